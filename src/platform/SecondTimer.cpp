#include "platform/SecondTimer.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>

using namespace std::chrono;

milliseconds delayUntilNextTick(system_clock::time_point now)
{
    // floor, not a cast: before 1970 a cast would round towards the epoch, a second
    // too late.
    const system_clock::time_point next =
        floor<seconds>(now) + seconds(1) +
        duration_cast<system_clock::duration>(tickDelayAfterSecond);
    return ceil<milliseconds>(next - now);
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
    mTimer.setSingleShot(true);
    // A coarse timer may fire 5 % early or late, which is a second hand that skips.
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &SecondTimer::fire);
}

void SecondTimer::start()
{
    schedule();
}

void SecondTimer::stop()
{
    mTimer.stop();
}

void SecondTimer::annotateFire(const QString &field)
{
    if (!mAnnotation.isEmpty()) {
        mAnnotation += QLatin1Char(' ');
    }
    mAnnotation += field;
}

void SecondTimer::schedule()
{
    mTimer.start(delayUntilNextTick(system_clock::now()));
}

void SecondTimer::fire()
{
    mLastFire = system_clock::now();
    // Before the emission, so that a receiver that stops the timer stays obeyed.
    schedule();
    mAnnotation.clear();
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
