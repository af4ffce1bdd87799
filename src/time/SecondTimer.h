#pragma once

#include "time/TimeSource.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;

namespace tockwise {

// How long after the turn of a wall-clock second the tick comes: late enough that
// a timer firing a little early still lands in the new second, early enough that
// nobody sees the hand wait.
inline constexpr std::chrono::milliseconds tickDelayAfterSecond{10};

// When on the system clock to wake for the wall-clock `second` of TimeSource:
// just after its turn, moved by however far TimeSource stands from the system
// clock (nothing, unless a test pins it). Rounded to whole milliseconds, so that
// the nanoseconds between two readings of the clocks never move a deadline.
Instant tickDeadline(Instant second, std::chrono::system_clock::duration sourceOffset);

// One line of the tick log: the instant in ISO 8601 UTC with milliseconds, then
// `extra` after a space when there is any, then a newline.
QByteArray tickLogLine(std::chrono::system_clock::time_point fire, const QString &extra = {});
// Appends tickLogLine() to the file at `path`; false when it cannot be written.
bool appendTickLog(const QString &path, std::chrono::system_clock::time_point fire,
                   const QString &extra = {});

// The wake-ups of the application: each just after the turn of the wall-clock
// second that was asked for, and no others. The deadline is kept on the wall
// clock itself (a timerfd on CLOCK_REALTIME with an absolute time), so that the
// wake-up comes on time after a suspend, when a timer on the monotonic clock would
// still have the sleep to wait; and when the system clock is set, the timer hears
// it (TFD_TIMER_CANCEL_ON_SET) and fires at once, since any deadline worked out
// before may now be far off.
//
// With TOCKWISE_TICK_LOG=FILE in the environment, every wake-up appends one line
// to FILE: its wall-clock time, its number since start, its cause ("due", "set"
// when the system clock was set, "asked" for wakeNow), then whatever the
// receivers of fired() passed to annotateFire() meanwhile.
class SecondTimer : public QObject
{
    Q_OBJECT

public:
    enum class Cause
    {
        Due,
        ClockSet,
        Asked
    };

    explicit SecondTimer(QObject *parent = nullptr);
    ~SecondTimer() override;

    // Wakes just after the turn of `second` (TimeSource time), in place of any
    // wake-up armed before. A second gone by wakes at once.
    void wakeAt(Instant second);
    // Wakes as soon as the event loop runs.
    void wakeNow();
    void stop();
    bool isActive() const { return mDeadline.has_value(); }
    // The system-clock time of the armed wake-up.
    std::optional<Instant> deadline() const { return mDeadline; }

    // The wall-clock time of the wake-up being delivered (or of the last one).
    std::chrono::system_clock::time_point lastFire() const { return mLastFire; }
    Cause lastCause() const { return mLastCause; }
    qint64 wakeCount() const { return mWakeCount; }
    // From a receiver of fired(): adds `field` to this wake-up's line in the tick log.
    void annotateFire(const QString &field);
    bool isLogging() const { return !mLogPath.isEmpty(); }

Q_SIGNALS:
    void fired();

private:
    void arm(Instant deadline);
    void readTimer();
    void fire(Cause cause);

    int mFd = -1;
    std::unique_ptr<QSocketNotifier> mNotifier;
    // Only where the kernel has no timerfd: a monotonic timer, which a suspend
    // delays and a set clock does not reach.
    std::unique_ptr<QTimer> mFallback;
    std::optional<Instant> mDeadline;
    QString mLogPath;
    QString mAnnotation;
    std::chrono::system_clock::time_point mLastFire;
    Cause mLastCause = Cause::Due;
    Cause mArmedCause = Cause::Due;
    qint64 mWakeCount = 0;
};

} // namespace tockwise
