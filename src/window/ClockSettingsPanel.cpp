#include "window/ClockSettingsPanel.h"

#include "settings/SettingKinds.h"
#include "settings/TKWSizeTransformer.h"
#include "ui_ClockWindow.h"
#include "window/ObjectController.h"

ClockSettingsPanel::ClockSettingsPanel(std::shared_ptr<ObservableDictionary> settings,
                                       QWidget *parent)
    : QDialog(parent), mUi(std::make_unique<Ui::ClockSettingsPanel>())
{
    mUi->setupUi(this);
    setModal(false);
    // The control counts in steps; the range is the one every clock size is held to.
    const auto steps = [](int points) {
        return static_cast<int>(static_cast<float>(points) / TKWSizeTransformer::pointsPerStep);
    };
    mUi->clockSizeSpin->setRange(steps(SettingKinds::smallestClockSize),
                                 steps(SettingKinds::largestClockSize));
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

void ClockSettingsPanel::reject()
{
    Q_EMIT closeSettingsDialogRequested();
    QDialog::reject();
}
