#include "window/ClockSettingsPanel.h"

#include "settings/SettingKinds.h"
#include "settings/TKWSizeTransformer.h"
#include "ui_ClockWindow.h"
#include "widgets/ObjectController.h"
#include "widgets/PanelsAboveClocks.h"

#include <QLabel>

namespace tockwise {

ClockSettingsPanel::ClockSettingsPanel(std::shared_ptr<ObservableDictionary> settings,
                                       QWidget *parent)
    : QDialog(parent), mUi(std::make_unique<Ui::ClockSettingsPanel>())
{
    mUi->setupUi(this);
    setModal(false);
    PanelsAboveClocks::shared().add(this);
    // The range is the one every clock size is held to.
    mUi->clockSizeSpin->setRange(SettingKinds::smallestClockSize, SettingKinds::largestClockSize);
    mUi->clockSizeSpin->setSingleStep(static_cast<int>(TKWSizeTransformer::pointsPerStep));
    setWindowTitle(tr("Clock Settings"));

    connect(mUi->chooseTimeZoneButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::selectPrimaryTimeZoneRequested);
    connect(mUi->chooseAlternateZoneButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::selectAlternateTimeZoneRequested);
    connect(mUi->chooseFaceImageButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::selectFaceImageRequested);
    connect(mUi->calibrateHandsButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::beginMovingClockHandsRequested);
    connect(mUi->resetHandsButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::resetHandLocationRequested);
    connect(mUi->removeClockButton, &QPushButton::clicked, this,
            &ClockSettingsPanel::removeClockRequested);
    connect(mUi->closeButton, &QPushButton::clicked, this, &ClockSettingsPanel::reject);

    mMissingPicture = new QLabel(this);
    mMissingPicture->setObjectName(QStringLiteral("missingPictureValue"));
    mMissingPicture->setTextFormat(Qt::PlainText);
    mMissingPicture->setSizePolicy(mUi->faceImageValue->sizePolicy());
    mUi->faceImageRow->insertWidget(1, mMissingPicture);
    setFacePicture({}, {});

    mObjectController = new ObjectController(this, this);
    mObjectController->setContent(std::move(settings));
}

ClockSettingsPanel::~ClockSettingsPanel() = default;

void ClockSettingsPanel::setSettings(std::shared_ptr<ObservableDictionary> settings)
{
    mObjectController->setContent(std::move(settings));
}

const std::shared_ptr<ObservableDictionary> &ClockSettingsPanel::settings() const
{
    return mObjectController->content();
}

void ClockSettingsPanel::setFacePicture(const QString &path, const QString &missingName)
{
    mUi->faceImageValue->setText(path.isEmpty() ? tr("None") : path);
    // Paths can be longer than the panel is wide. Marked as rich text, so that a
    // file name that looks like markup shows as written.
    mUi->faceImageValue->setToolTip(
        path.isEmpty() ? QString() : QStringLiteral("<qt>%1</qt>").arg(path.toHtmlEscaped()));
    //: In place of the face picture's path when its file is found nowhere.
    mMissingPicture->setText(tr("Picture not found: %1").arg(missingName));
    mMissingPicture->setToolTip(missingName);
    mMissingPicture->setVisible(!missingName.isEmpty());
    mUi->faceImageValue->setVisible(missingName.isEmpty());
}

void ClockSettingsPanel::reject()
{
    Q_EMIT closeSettingsDialogRequested();
    QDialog::reject();
}

} // namespace tockwise
