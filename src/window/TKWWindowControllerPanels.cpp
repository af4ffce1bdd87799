// What the user asks of a clock through its settings panel and its face: a
// picture (chosen or dropped), a zone, a dial calibrated on the picture. The
// results go into the clock's settings, which the view follows.

#include "clockview/TKWView.h"
#include "graphics/PictureReader.h"
#include "settings/FacePicture.h"
#include "settings/SettingsKeys.h"
#include "store/AliasData.h"
#include "store/SizeString.h"
#include "store/ValueTransformer.h"
#include "tzpanel/QZTimeZonePanel.h"
#include "widgets/ColorWell.h"
#include "widgets/PanelsAboveClocks.h"
#include "window/ClockSettingsPanel.h"
#include "window/TKWWindowController.h"

#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace tockwise {

namespace {

PropertyList aliasFor(const QString &path)
{
    const ValueTransformer *aliases =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    return aliases ? aliases->reverseTransformedValue(PropertyList::string(path)) : PropertyList();
}

} // namespace

void TKWWindowController::selectFaceImage()
{
    QFileDialog chooser(mPrefWindow, tr("Choose a Face Picture"), QString(),
                        tr("Pictures (%1)").arg(PictureReader::nameFilter()));
    chooser.setFileMode(QFileDialog::ExistingFile);
    PanelsAboveClocks::shared().add(&chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = chooser.selectedFiles().constFirst();
    const PropertyList alias = aliasFor(path);
    if (alias.isNone()) {
        return;
    }
    mClockSettings->setValue(Keys::FaceImage, alias);
    // Another picture has its dial elsewhere: it starts from the middle.
    resetHandLocation();
}

void TKWWindowController::takeDroppedPicture(const QString &path, bool *taken)
{
    // A dropped picture keeps the dial the clock has: it may be the same picture
    // again, or one of the same camera.
    const PropertyList alias = aliasFor(path);
    *taken = !alias.isNone();
    if (*taken) {
        mClockSettings->setValue(Keys::FaceImage, alias);
        mClockSettings->setValue(Keys::UseFaceImage, PropertyList::boolean(true));
    }
}

void TKWWindowController::findFacePicture(bool hold)
{
    const PropertyList *stored = mClockSettings->value(Keys::FaceImage);
    const QByteArray *data = stored ? stored->asData() : nullptr;
    if (!data || *data != mWarnedPicture) { // another picture, or none
        mMissingPicture.clear();
    }
    const std::optional<AliasData> alias = data ? AliasData::decode(*data) : std::nullopt;
    const std::optional<QString> path = FacePicture::find(stored);
    if (alias && usesFacePicture()) {
        if (!path) {
            if (std::exchange(mWarnedPicture, *data) != *data) {
                qWarning("The face picture %s of the clock %s is not found, neither near where it "
                         "was nor where pictures are kept; the clock shows its face colour.",
                         qUtf8Printable(alias->path()), qUtf8Printable(mSettingsFile));
            }
            mMissingPicture = QFileInfo(alias->path()).fileName();
        } else {
            mMissingPicture.clear(); // back where it was
            // Moved, or saved over as a new file: stored as it is now, and held
            // through that change.
            if (const PropertyList now = aliasFor(*path); !now.isNone() && now != *stored) {
                mClockSettings->setValue(Keys::FaceImage, now);
                return;
            }
        }
    }
    if (hold) {
        mFaceImage = path ? mFacePicture.read(*path) : QImage();
    }
    if (mPrefWindow) {
        mPrefWindow->setFacePicture(path.value_or(QString()), mMissingPicture);
    }
}

void TKWWindowController::storeDial(QSizeF centerFactor, float radiusFactor)
{
    mClockSettings->setValue(Keys::CenterFactor,
                             PropertyList::string(SizeString::stringFromSize(centerFactor)));
    mClockSettings->setValue(Keys::RadiusFactor,
                             PropertyList::real(static_cast<double>(radiusFactor)));
}

void TKWWindowController::resetHandLocation()
{
    mClockSettings->setValue(Keys::CenterFactor,
                             PropertyList::string(SizeString::stringFromSize({0.5, 0.5})));
    mClockSettings->removeValue(Keys::RadiusFactor);
}

void TKWWindowController::selectTimeZone(const QString &key, bool primary)
{
    const PropertyList *current = mClockSettings->value(key);
    const std::optional<QString> name = current && current->asString()
                                            ? std::optional<QString>(*current->asString())
                                            : std::nullopt;
    const std::unique_ptr<QZTimeZonePanel> panel = QZTimeZonePanel::timeZonePanel();
    if (panel->runModalForTimeZoneName(name, primary) != QZTimeZonePanel::okCode) {
        return;
    }
    if (const std::optional<QString> chosen = panel->timeZoneName()) {
        mClockSettings->setValue(key, PropertyList::string(*chosen));
    } else {
        mClockSettings->removeValue(key);
    }
}

void TKWWindowController::closeSettingsPanel()
{
    // The colour chooser a well opened belongs to the panel and goes with it.
    ColorWell::closeColorDialog();
    if (mPrefWindow) {
        mPrefWindow->hide();
    }
}

} // namespace tockwise
