// Real windows on an X server with a window manager: ctest runs these under
// xvfb-run -a tests/e2e/with-desktop.sh (the x11_desktop test); anywhere else they
// skip.

#include "desktop/X11Desktop.h"

#include "Support.h"
#include "desktop/CoverWatch.h"

#include <QWidget>
#include <QWindow>

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    return QString::fromUtf8(run(program, arguments, {}, 10s).standardOutput).trimmed();
}

int currentWorkspace()
{
    bool ok = false;
    const int workspace = output("xdotool", {"get_desktop"}).toInt(&ok);
    return ok ? workspace : -1;
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
    return waitFor([&] { return currentWorkspace() == workspace; });
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

// Only opaque windows hide a clock, and only when they hide all of it.
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
