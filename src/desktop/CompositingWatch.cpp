#include "desktop/CompositingWatch.h"

#include "desktop/x11/X11Connection.h"
#include "desktop/x11/X11Desktop.h"

#include <QCoreApplication>
#include <QMetaMethod>

namespace tockwise {

namespace {

// Only without XFixes: a compositor that starts or stops is followed within this.
constexpr int pollIntervalMs = 3000;

} // namespace

CompositingWatch &CompositingWatch::shared()
{
    static CompositingWatch *const watch = X11Connection::ownedByApplication(new CompositingWatch);
    return *watch;
}

CompositingWatch::CompositingWatch()
{
    mCompositing = X11Desktop::isCompositing().value_or(true);
    mPoll.setInterval(pollIntervalMs);
    connect(&mPoll, &QTimer::timeout, this, &CompositingWatch::check);
}

void CompositingWatch::connectNotify(const QMetaMethod &signal)
{
    if (signal != QMetaMethod::fromSignal(&CompositingWatch::changed) || mFollowing ||
        !X11Desktop::isX11()) {
        return;
    }
    mFollowing = true;
    if (X11Desktop::followCompositing()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        // A compositor may have come or gone before the server was asked to tell.
        check();
    } else {
        mPoll.start();
    }
}

bool CompositingWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType == "xcb_generic_event_t" && X11Desktop::isCompositingEvent(message)) {
        check();
    }
    return false;
}

void CompositingWatch::setOverride(std::optional<bool> compositing)
{
    const bool before = isCompositing();
    mOverride = compositing;
    if (isCompositing() != before) {
        Q_EMIT changed(isCompositing());
    }
}

void CompositingWatch::check()
{
    const bool before = isCompositing();
    mCompositing = X11Desktop::isCompositing().value_or(true);
    if (isCompositing() != before) {
        Q_EMIT changed(isCompositing());
    }
}

} // namespace tockwise
