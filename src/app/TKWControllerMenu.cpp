// The clock's menu, and the question its Remove Clock asks of the last clock.

#include "app/StringTable.h"
#include "app/TKWApplication.h"
#include "app/TKWController.h"
#include "desktop/wayland/LayerShell.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "widgets/PanelsAboveClocks.h"
#include "window/TKWWindowController.h"

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace tockwise {

namespace {

void showAbout()
{
    // Qt's own about box could open under the clocks.
    QMessageBox about(QMessageBox::NoIcon, TKWController::tr("About Tockwise"),
                      TKWController::tr("<p><b>Tockwise</b> %1</p><p>Clocks that float on "
                                        "your desktop.</p>")
                          .arg(QCoreApplication::applicationVersion()));
    about.setIconPixmap(qApp->windowIcon().pixmap(64));
    PanelsAboveClocks::shared().add(&about);
    about.exec();
}

} // namespace

void TKWController::showMenu(TKWWindowController *clock, const QPoint &globalPosition)
{
    auto *menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::weak_ptr<TKWWindowController> weakClock =
        clock ? clock->shared_from_this() : std::shared_ptr<TKWWindowController>();

    menu->addAction(tr("New Clock…"), this, &TKWController::showNewClockPanel);
    menu->addAction(tr("Settings…"), this, [weakClock] {
        if (const auto target = weakClock.lock()) {
            target->showSettingsPanel();
        }
    });
    menu->addAction(tr("Remove Clock"), this, [this, weakClock] {
        if (const auto target = weakClock.lock()) {
            askToRemoveClock(target.get());
        }
    });
    menu->addSeparator();

    UserDefaults &defaults = UserDefaults::standard();
    QAction *clickThrough = menu->addAction(tr("Click-Through"));
    clickThrough->setCheckable(true);
    clickThrough->setChecked(defaults.boolForKey(Keys::ClickThrough));
    connect(clickThrough, &QAction::triggered, this, &TKWController::toggleClickThrough);
    QAction *desktop = menu->addAction(tr("Keep on Desktop"));
    desktop->setCheckable(true);
    desktop->setChecked(defaults.integerForKey(Keys::WindowLevel) != 0);
    connect(desktop, &QAction::toggled, this,
            [](bool on) { UserDefaults::standard().setInteger(Keys::WindowLevel, on ? 1 : 0); });
    QAction *allWorkspaces = menu->addAction(tr("Show on All Workspaces"));
    allWorkspaces->setCheckable(true);
    allWorkspaces->setChecked(defaults.boolForKey(Keys::AllSpaces));
    if (LayerSurface::available()) {
        // A layer of the desktop is on every workspace, whatever the setting.
        allWorkspaces->setChecked(true);
        allWorkspaces->setEnabled(false);
    }
    connect(allWorkspaces, &QAction::toggled, this,
            [](bool on) { UserDefaults::standard().setBool(Keys::AllSpaces, on); });
    if (auto *application = qobject_cast<TKWApplication *>(qApp)) {
        QAction *login = menu->addAction(tr("Start at Login"));
        login->setCheckable(true);
        login->setChecked(application->autoLaunch());
        connect(login, &QAction::toggled, application, &TKWApplication::setAutoLaunch);
    }
    menu->addSeparator();

    menu->addAction(tr("About Tockwise"), this, &showAbout);
    menu->addAction(tr("Quit Tockwise"), qApp, &QCoreApplication::quit);
    // Over a clock that is a layer of the desktop a menu would otherwise open as a
    // window of its own, where the compositor puts one.
    LayerSurface::attach(menu, LayerSurface::Layer::Overlay, LayerSurface::Keyboard::WhileShown);
    menu->popup(globalPosition);
}

void TKWController::askToRemoveClock(TKWWindowController *clock)
{
    // The clock list lets go of it on the way; it lives until we are done.
    const std::shared_ptr<TKWWindowController> kept = clock->shared_from_this();
    if (mClocks.size() == 1) {
        QMessageBox alert(QMessageBox::Question, QStringLiteral("Tockwise"),
                          StringTable::localizedString(StringTable::LastClockTitle));
        alert.setInformativeText(StringTable::localizedString(StringTable::LastClockWarning));
        QPushButton *yes =
            alert.addButton(StringTable::localizedString(StringTable::Yes), QMessageBox::YesRole);
        QPushButton *no =
            alert.addButton(StringTable::localizedString(StringTable::No), QMessageBox::NoRole);
        alert.setDefaultButton(yes);
        alert.setEscapeButton(no);
        PanelsAboveClocks::shared().add(&alert);
        alert.exec();
        if (alert.clickedButton() != yes) {
            return;
        }
    }
    clock->removeClock();
}

} // namespace tockwise
