// Real windows on an X server with a window manager: ctest runs these under
// xvfb-run -a tests/e2e/with-desktop.sh (the x11_desktop test), and the panels'
// test without one as well (x11_no_window_manager); anywhere else they skip.

#include "desktop/x11/X11Desktop.h"

#include "Support.h"
#include "app/TKWController.h"
#include "desktop/CoverWatch.h"
#include "desktop/x11/X11Connection.h"
#include "settings/SettingsKeys.h"
#include "store/UserDefaults.h"
#include "widgets/ColorWell.h"
#include "window/ClockSettingsPanel.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

using namespace tockwise;

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    return QString::fromUtf8(run(program, arguments, {}, 10s).standardOutput).trimmed();
}

// A window manager unmaps the frames of windows on other workspaces.
bool isViewable(QWidget &widget)
{
    return output("xwininfo", {"-id", QString::number(widget.winId())})
        .contains("Map State: IsViewable");
}

bool switchToWorkspace(int workspace)
{
    output("xdotool", {"set_desktop", QString::number(workspace)});
    return waitFor(
        [&] { return output("xdotool", {"get_desktop"}) == QString::number(workspace); });
}

std::unique_ptr<QWidget> clockLikeWindow()
{
    auto widget = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    widget->setAttribute(Qt::WA_TranslucentBackground);
    widget->resize(120, 120);
    widget->winId();
    return widget;
}

bool isSticky(QWidget &widget)
{
    return X11Desktop::workspaceOf(widget.windowHandle()) == X11Desktop::allWorkspaces;
}

bool skipsTaskbarAndPager(QWidget &widget)
{
    const QStringList state = X11Desktop::netWmState(widget.windowHandle());
    return state.contains("_NET_WM_STATE_SKIP_TASKBAR") &&
           state.contains("_NET_WM_STATE_SKIP_PAGER");
}

class X11DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!X11Desktop::isX11()) {
            GTEST_SKIP() << "runs under the x11_desktop test, on an X display";
        }
        ASSERT_TRUE(switchToWorkspace(0)) << "needs a window manager: see with-desktop.sh";
    }
};

} // namespace

TEST_F(X11DesktopTest, HintsHoldWhenGivenBeforeShowingWhileShownAndThroughHidingAndShowing)
{
    const auto widget = clockLikeWindow();
    QWindow *window = widget->windowHandle();
    X11Desktop::setOnAllWorkspaces(window, true);
    X11Desktop::setSkipTaskbar(window);
    widget->show();
    const auto plain = clockLikeWindow();
    plain->show();
    ASSERT_TRUE(waitFor([&] { return isViewable(*widget) && isViewable(*plain); }));
    EXPECT_TRUE(waitFor([&] { return isSticky(*widget) && skipsTaskbarAndPager(*widget); }))
        << qPrintable(X11Desktop::netWmState(window).join(u' '));
    EXPECT_EQ(X11Desktop::workspaceOf(plain->windowHandle()), 0u);
    EXPECT_FALSE(skipsTaskbarAndPager(*plain));

    X11Desktop::setOnAllWorkspaces(window, false);
    EXPECT_TRUE(waitFor([&] { return X11Desktop::workspaceOf(window) == 0u; }));
    X11Desktop::setOnAllWorkspaces(window, true);
    EXPECT_TRUE(waitFor([&] { return isSticky(*widget); }));
    // The property could be the client's own writing; the window manager's obedience
    // shows on another workspace, where the plain window is not shown.
    ASSERT_TRUE(switchToWorkspace(1));
    EXPECT_TRUE(waitFor([&] { return !isViewable(*plain); }));
    EXPECT_TRUE(isViewable(*widget));

    // Hidden, the window manager forgets the hints; shown again, they are back.
    widget->hide();
    ASSERT_TRUE(waitFor([&] { return !isViewable(*widget); }));
    widget->show();
    EXPECT_TRUE(waitFor([&] { return isSticky(*widget) && skipsTaskbarAndPager(*widget); }));
    ASSERT_TRUE(switchToWorkspace(2));
    EXPECT_TRUE(isViewable(*widget));
}

TEST_F(X11DesktopTest, AWindowIsCoveredOnlyWhileOpaqueWindowsHideAllOfIt)
{
    const auto clock = clockLikeWindow();
    clock->move(200, 200);
    clock->show();
    ASSERT_TRUE(waitFor([&] { return isViewable(*clock); }));
    QWindow *window = clock->windowHandle();
    CoverWatch &covers = CoverWatch::shared();
    QList<bool> reports;
    QObject::connect(&covers, &CoverWatch::coveredChanged, clock.get(),
                     [&](QWindow *changed, bool covered) {
                         if (changed == window) {
                             reports.append(covered);
                         }
                     });
    covers.watch(window);
    // The watch judges all its windows at once: once it finds a marker covered that
    // was covered only now, it has judged the clock after all that came before.
    const auto staysUncovered = [&] {
        QWidget marker(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        QWidget lid(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        marker.setGeometry(800, 500, 40, 40);
        lid.setGeometry(790, 490, 60, 60);
        marker.show();
        EXPECT_TRUE(waitFor([&] { return isViewable(marker); }));
        covers.watch(marker.windowHandle());
        lid.show();
        EXPECT_TRUE(waitFor([&] { return covers.isCovered(marker.windowHandle()); }));
        return !covers.isCovered(window);
    };
    EXPECT_TRUE(staysUncovered());

    QWidget cover(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    cover.setGeometry(150, 150, 300, 300);
    cover.show();
    EXPECT_TRUE(waitFor([&] { return covers.isCovered(window); }));
    EXPECT_EQ(reports, QList<bool>{true});

    // Moved so that a strip of the clock shows.
    cover.move(250, 150);
    EXPECT_TRUE(waitFor([&] { return !covers.isCovered(window); }));
    cover.move(150, 150);
    EXPECT_TRUE(waitFor([&] { return covers.isCovered(window); }));
    // The cover gone, and back.
    cover.hide();
    EXPECT_TRUE(waitFor([&] { return !covers.isCovered(window); }));
    cover.show();
    EXPECT_TRUE(waitFor([&] { return covers.isCovered(window); }));
    cover.hide();
    EXPECT_TRUE(waitFor([&] { return !covers.isCovered(window); }));
    EXPECT_EQ(reports, (QList<bool>{true, false, true, false, true, false}));

    // A translucent window over it lets it show through.
    const auto glass = clockLikeWindow();
    glass->setGeometry(150, 150, 300, 300);
    glass->show();
    ASSERT_TRUE(waitFor([&] { return isViewable(*glass); }));
    EXPECT_TRUE(staysUncovered());
}

namespace {

// Where a window is in the screen's stacking order, bottom to top: that of its
// frame, where a window manager gives it one.
qsizetype stackingPlace(xcb_window_t window)
{
    using X11Connection::Reply;
    xcb_connection_t *c = X11Connection::connection();
    for (xcb_window_t at = window;;) {
        const Reply<xcb_query_tree_reply_t> up(
            xcb_query_tree_reply(c, xcb_query_tree(c, at), nullptr));
        if (!up) {
            return -1;
        }
        if (up->parent == up->root) {
            const Reply<xcb_query_tree_reply_t> top(
                xcb_query_tree_reply(c, xcb_query_tree(c, up->root), nullptr));
            const xcb_window_t *children = xcb_query_tree_children(top.get());
            const int count = xcb_query_tree_children_length(top.get());
            return std::find(children, children + count, at) - children;
        }
        at = up->parent;
    }
}

// Whether the window manager has changed the active window since the watch began.
struct ActivationWatch : QAbstractNativeEventFilter
{
    ActivationWatch() { qApp->installNativeEventFilter(this); }
    ~ActivationWatch() override { qApp->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_property_notify_event_t *>(message);
        seen = seen || ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                        event->atom ==
                            X11Connection::atom(X11Connection::connection(), "_NET_ACTIVE_WINDOW"));
        return false;
    }
    bool seen = false;
};

bool isAboveEveryClock(QWidget *panel, const TKWController &controller)
{
    const qsizetype place = stackingPlace(panel->winId());
    return place >= 0 && std::all_of(controller.clocks().begin(), controller.clocks().end(),
                                     [place](const auto &clock) {
                                         return stackingPlace(clock->window()->winId()) < place;
                                     });
}

} // namespace

// Clocks float above other windows; what the program opens over them stays over
// them while it shows: a clock shown later, or raised by a window manager as it
// takes the focus, goes under it.
TEST(X11Panels, EveryPanelAndAlertOpensAboveEveryClockAndStaysThere)
{
    if (!X11Desktop::isX11()) {
        GTEST_SKIP() << "runs under the x11_desktop and x11_no_window_manager tests";
    }
    UserDefaults::standard().setBool(Keys::Converted, true);
    TKWController controller;
    controller.awakeFromNib();
    controller.setTrayAvailability([] { return false; });
    const bool windowManager =
        !output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("not found");
    const auto addClock = [&] {
        auto clock = controller.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
        clock->showWindow();
        return clock;
    };
    const auto clock = addClock();
    addClock();
    const auto staysAbove = [&](QWidget *panel) {
        ASSERT_NE(panel, nullptr);
        SCOPED_TRACE(panel->metaObject()->className());
        EXPECT_TRUE(waitFor([&] { return isViewable(*panel); }));
        EXPECT_TRUE(waitFor([&] { return isAboveEveryClock(panel, controller); }));
        const auto added = addClock();
        EXPECT_TRUE(waitFor(
            [&] { return isViewable(*added->window()) && isAboveEveryClock(panel, controller); }));
        controller.removeClock(added.get());
        if (windowManager) {
            // Once the window manager has raised the clock, it says which window is active.
            ActivationWatch activation;
            output("xdotool", {"windowactivate", QString::number(clock->window()->winId())});
            EXPECT_TRUE(
                waitFor([&] { return activation.seen && isAboveEveryClock(panel, controller); }));
        }
    };
    // A modal panel is looked at from within the loop that runs it.
    const auto staysAboveWhileModal = [&](const std::function<void()> &open) {
        whenUp<QDialog>([&](QDialog &modal) {
            staysAbove(&modal);
            modal.close();
        });
        open();
    };
    clock->showSettingsPanel();
    QWidget *settings = shownWindow<ClockSettingsPanel>();
    staysAbove(settings);
    // A clock back from the desktop's level comes up at the top of its new level.
    const auto atLevel = [&](int level, const char *state) {
        UserDefaults::standard().setInteger(Keys::WindowLevel, level);
        return waitFor([&] {
            return !windowManager ||
                   X11Desktop::netWmState(clock->window()->windowHandle()).contains(state);
        });
    };
    EXPECT_TRUE(atLevel(1, "_NET_WM_STATE_BELOW") && atLevel(0, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(waitFor([&] { return isAboveEveryClock(settings, controller); }));
    for (const char *button : {"chooseTimeZoneButton", "chooseFaceImageButton"}) {
        staysAboveWhileModal([&] { settings->findChild<QPushButton *>(button)->click(); });
    }
    settings->findChild<QPushButton *>("faceColorWell")->click();
    staysAbove(ColorWell::sharedColorDialog(false));
    controller.showNewClockPanel();
    staysAbove(controller.newClockPanel());
    controller.toggleClickThrough(); // without a tray, it explains the way out
    staysAbove(shownWindow<QMessageBox>());
    shownWindow<QMessageBox>()->close();
    staysAboveWhileModal([&] {
        controller.showMenu(clock.get(), {});
        QWidget *menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        menu->close();
        for (QAction *action : menu->actions()) {
            if (action->text() == "About Tockwise") {
                action->trigger();
            }
        }
    });
}
