#include "time/SecondTimer.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tockwise {

using namespace std::chrono;

Instant tickDeadline(Instant second, system_clock::duration sourceOffset)
{
    return second + duration_cast<system_clock::duration>(tickDelayAfterSecond) -
           duration_cast<system_clock::duration>(round<milliseconds>(sourceOffset));
}

QByteArray tickLogLine(system_clock::time_point fire, const QString &extra)
{
    // Rounded down, so a fire just before a second never reads as that second.
    const qint64 msecs = floor<milliseconds>(fire.time_since_epoch()).count();
    QString line = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).toString(Qt::ISODateWithMs);
    if (!extra.isEmpty()) {
        line += QLatin1Char(' ') + extra;
    }
    return line.toUtf8() + '\n';
}

bool appendTickLog(const QString &path, system_clock::time_point fire, const QString &extra)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const QByteArray line = tickLogLine(fire, extra);
    return file.write(line) == line.size();
}

SecondTimer::SecondTimer(QObject *parent)
    : QObject(parent), mLogPath(qEnvironmentVariable("TOCKWISE_TICK_LOG"))
{
    mFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (mFd >= 0) {
        mNotifier = std::make_unique<QSocketNotifier>(mFd, QSocketNotifier::Read);
        connect(mNotifier.get(), &QSocketNotifier::activated, this, &SecondTimer::readTimer);
        return;
    }
    qWarning("No wall-clock timer (%s): the clocks may lag after a suspend", strerror(errno));
    mFallback = std::make_unique<QTimer>();
    mFallback->setSingleShot(true);
    // A coarse timer may fire 5 % early or late, which is a second hand that skips.
    mFallback->setTimerType(Qt::PreciseTimer);
    connect(mFallback.get(), &QTimer::timeout, this, [this] { fire(mArmedCause); });
}

SecondTimer::~SecondTimer()
{
    mNotifier.reset();
    if (mFd >= 0) {
        ::close(mFd);
    }
}

void SecondTimer::wakeAt(Instant second)
{
    arm(tickDeadline(second, TimeSource::now() - system_clock::now()));
}

void SecondTimer::wakeNow()
{
    // The epoch has passed: the timer is due as soon as it is armed.
    arm(Instant{});
    mArmedCause = Cause::Asked;
}

void SecondTimer::arm(Instant deadline)
{
    mDeadline = deadline;
    mArmedCause = Cause::Due;
    if (mFallback) {
        mFallback->start(std::max(ceil<milliseconds>(deadline - system_clock::now()), 0ms));
        return;
    }
    const nanoseconds since = deadline.time_since_epoch();
    itimerspec deadlineTime{};
    // A zero it_value would disarm the timer: the epoch itself wakes a nanosecond later.
    deadlineTime.it_value.tv_sec = std::max<std::int64_t>(floor<seconds>(since).count(), 0);
    deadlineTime.it_value.tv_nsec = since < 1ns ? 1 : (since - floor<seconds>(since)).count();
    if (::timerfd_settime(mFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &deadlineTime,
                          nullptr) != 0) {
        qWarning("Cannot arm the wall-clock timer: %s", strerror(errno));
    }
}

void SecondTimer::stop()
{
    mDeadline.reset();
    if (mFallback) {
        mFallback->stop();
        return;
    }
    const itimerspec disarmed{};
    ::timerfd_settime(mFd, TFD_TIMER_ABSTIME, &disarmed, nullptr);
}

void SecondTimer::readTimer()
{
    std::uint64_t expirations = 0;
    if (::read(mFd, &expirations, sizeof expirations) == sizeof expirations) {
        fire(mArmedCause);
    } else if (errno == ECANCELED) {
        fire(Cause::ClockSet);
    }
    // EAGAIN: a wake-up disarmed or moved after the descriptor became readable.
}

void SecondTimer::annotateFire(const QString &field)
{
    if (!mAnnotation.isEmpty()) {
        mAnnotation += QLatin1Char(' ');
    }
    mAnnotation += field;
}

void SecondTimer::fire(Cause cause)
{
    mLastFire = system_clock::now();
    mLastCause = cause;
    mDeadline.reset();
    ++mWakeCount;
    static constexpr const char *causes[] = {"due", "set", "asked"};
    mAnnotation = QString::number(mWakeCount) + QLatin1Char(' ') +
                  QLatin1String(causes[static_cast<int>(cause)]);
    const QPointer<SecondTimer> alive(this);
    Q_EMIT fired();
    if (!alive) {
        return;
    }
    if (!mLogPath.isEmpty() && !appendTickLog(mLogPath, mLastFire, mAnnotation)) {
        qWarning("Cannot append to the tick log %s", qUtf8Printable(mLogPath));
        mLogPath.clear();
    }
}

} // namespace tockwise
