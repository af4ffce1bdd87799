#include "platform/CompositingWatch.h"

#include "platform/X11Desktop.h"

#include <QCoreApplication>
#include <QMetaMethod>

namespace {

// A round trip to the X server every few seconds costs nothing measurable, and a
// compositor that starts or stops is followed within that time.
constexpr int pollIntervalMs = 3000;

} // namespace

CompositingWatch &CompositingWatch::shared()
{
    static CompositingWatch *watch = [] {
        auto *created = new CompositingWatch;
        // Gone with the application, with the display connection it asks.
        created->setParent(QCoreApplication::instance());
        return created;
    }();
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
    if (signal == QMetaMethod::fromSignal(&CompositingWatch::changed) && !mPoll.isActive() &&
        X11Desktop::isX11()) {
        mPoll.start();
    }
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
