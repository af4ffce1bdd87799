// The new-clock panel of TKWController: a browser of the known zones, a search
// among them, and the clock made for the zone chosen there.

#include "app/StringTable.h"
#include "app/TKWController.h"
#include "ui_NewClockPanel.h"
#include "widgets/PanelsAboveClocks.h"
#include "window/TKWWindowController.h"

#include <QDialog>
#include <QPushButton>

namespace tockwise {

namespace {

std::optional<QString> zoneNameFromPath(const QString &path)
{
    if (path.isEmpty() || path == u"/") {
        return std::nullopt;
    }
    return path.mid(1);
}

} // namespace

void TKWController::loadNewClockPanel()
{
    if (mNewClockPanel) {
        return;
    }
    auto *panel = new QDialog;
    Ui::NewClockPanel ui;
    ui.setupUi(panel);
    panel->setModal(false);
    PanelsAboveClocks::shared().add(panel);
    mNewClockPanel = panel;
    mZoneBrowser = ui.zoneBrowser;
    mCreateButton = ui.createButton;
    mZoneSearch = ui.zoneSearch;
    mZoneBrowser->setDelegate(&mZoneDelegate);
    mZoneBrowser->setTitle(StringTable::localizedString(QStringLiteral("Region")), 0);
    mZoneBrowser->loadColumnZero();
    connect(ui.createButton, &QPushButton::clicked, this, &TKWController::createNewClock);
    connect(ui.clearButton, &QPushButton::clicked, this, &TKWController::clearTimeZone);
    connect(mZoneBrowser, &ColumnBrowser::selectionChanged, this,
            &TKWController::updateCreateButton);
    connect(mZoneBrowser, &ColumnBrowser::leafActivated, this, &TKWController::createNewClock);
    // Choosing the zone marked in the search makes its clock, as a double click
    // in the browser does.
    mZoneSearch->setBrowser(mZoneBrowser);
    connect(mZoneSearch, &ZoneSearchField::chosen, this, [this](const QString &zone) {
        mZoneBrowser->setPath(u'/' + zone);
        updateCreateButton();
        createNewClock();
    });
    updateCreateButton();
}

void TKWController::showNewClockPanel()
{
    loadNewClockPanel();
    mZoneSearch->clear();
    mNewClockPanel->show();
    mNewClockPanel->raise();
    mNewClockPanel->activateWindow();
    mZoneSearch->setFocus(Qt::OtherFocusReason);
}

void TKWController::clearTimeZone()
{
    loadNewClockPanel();
    mZoneBrowser->setPath(QStringLiteral("/"));
    updateCreateButton();
}

void TKWController::updateCreateButton()
{
    // A region alone (Europe) names no zone: a clock made for it would show
    // another zone than the one its name promises.
    if (mCreateButton && mZoneBrowser) {
        const bool nothing = !zoneNameFromPath(mZoneBrowser->path()).has_value();
        mCreateButton->setEnabled(nothing || mZoneBrowser->selectionIsLeaf());
    }
}

void TKWController::createNewClock()
{
    loadNewClockPanel();
    if (!mCreateButton->isEnabled()) {
        return;
    }
    const QString path = mZoneBrowser->path();
    mNewClockPanel->hide();
    // The zone taken stays selected for the next time, the search done with.
    mZoneSearch->clear();
    mZoneBrowser->setPath(path);
    addClock(TKWWindowController::initWithTimeZoneName(zoneNameFromPath(path)))->showWindow();
}

} // namespace tockwise
