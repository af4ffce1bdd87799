#include "desktop/CoverWatch.h"

#include "desktop/x11/X11Connection.h"
#include "desktop/x11/X11Desktop.h"

#include <QCoreApplication>

#include <algorithm>

namespace tockwise {

namespace {

// A window dragged across the screen sends a stream of moves; the stacking is
// reckoned a moment after the first of them, and again after any that follow,
// not for every step.
constexpr int settleDelayMs = 250;

} // namespace

CoverWatch &CoverWatch::shared()
{
    static CoverWatch *const watch = X11Connection::ownedByApplication(new CoverWatch);
    return *watch;
}

CoverWatch::CoverWatch()
{
    mSettle.setSingleShot(true);
    mSettle.setInterval(settleDelayMs);
    connect(&mSettle, &QTimer::timeout, this, &CoverWatch::check);
}

void CoverWatch::watch(QWindow *window)
{
    if (!window || !X11Desktop::isX11()) {
        return;
    }
    const bool known = std::any_of(mWatched.begin(), mWatched.end(),
                                   [window](const Watched &item) { return item.window == window; });
    if (!known) {
        mWatched.push_back({window, false});
    }
    if (!mListening) {
        mListening = true;
        X11Desktop::followScreenStructure();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    mSettle.start();
}

bool CoverWatch::isCovered(const QWindow *window) const
{
    const auto found =
        std::find_if(mWatched.begin(), mWatched.end(),
                     [window](const Watched &item) { return item.window == window; });
    return found != mWatched.end() && found->covered;
}

bool CoverWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType == "xcb_generic_event_t" && X11Desktop::isStructureEvent(message) &&
        !mSettle.isActive()) {
        mSettle.start();
    }
    return false;
}

void CoverWatch::check()
{
    std::erase_if(mWatched, [](const Watched &item) { return item.window.isNull(); });
    std::vector<QWindow *> windows;
    windows.reserve(mWatched.size());
    for (const Watched &item : mWatched) {
        windows.push_back(item.window.data());
    }
    const std::vector<bool> covered = X11Desktop::coveredWindows(windows);
    if (covered.size() != mWatched.size()) {
        return;
    }
    for (std::size_t i = 0; i < covered.size(); ++i) {
        if (mWatched[i].covered != covered[i]) {
            mWatched[i].covered = covered[i];
            // The handler may watch another window, which would move the list.
            QWindow *window = mWatched[i].window.data();
            Q_EMIT coveredChanged(window, covered[i]);
        }
    }
}

} // namespace tockwise
