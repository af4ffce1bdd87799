// The actions of a clock's settings panel that open panels of their own: the
// picture chooser and the time zone panels. Their results go into the clock's
// settings, which the view follows.

#include "clockview/TKWView.h"
#include "graphics/PictureReader.h"
#include "settings/SettingsKeys.h"
#include "store/ValueTransformer.h"
#include "tzpanel/QZTimeZonePanel.h"
#include "window/ClockSettingsPanel.h"
#include "window/TKWWindowController.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>

void TKWWindowController::selectFaceImage()
{
    const QString path =
        QFileDialog::getOpenFileName(mPrefWindow, tr("Choose a Face Picture"), QString(),
                                     tr("Pictures (%1)").arg(PictureReader::nameFilter()));
    if (path.isEmpty()) {
        return;
    }
    const ValueTransformer *aliases =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"));
    const PropertyList alias =
        aliases ? aliases->reverseTransformedValue(PropertyList::string(path)) : PropertyList();
    if (alias.isNone()) {
        return;
    }
    mClockSettings->setValue(Keys::FaceImage, alias);
    // Another picture has its dial elsewhere: it starts from the middle.
    if (mClockView) {
        mClockView->resetHandLocation();
    }
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
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *colors = qobject_cast<QColorDialog *>(widget); colors && colors->isVisible()) {
            colors->close();
        }
    }
    if (mPrefWindow) {
        mPrefWindow->hide();
    }
}
