#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

// How long after the turn of a wall-clock second the tick comes: late enough that
// a timer firing a little early still lands in the new second, early enough that
// nobody sees the hand wait.
inline constexpr std::chrono::milliseconds tickDelayAfterSecond{10};

// The time from `now` to the tick of the next wall-clock second: never zero, never
// more than a second and the tick delay, rounded up to whole milliseconds so that
// a timer never fires ahead of the tick.
std::chrono::milliseconds delayUntilNextTick(std::chrono::system_clock::time_point now);

// One line of the tick log: the instant in ISO 8601 UTC with milliseconds, then
// `extra` after a space when there is any, then a newline.
QByteArray tickLogLine(std::chrono::system_clock::time_point fire, const QString &extra = {});
// Appends tickLogLine() to the file at `path`; false when it cannot be written.
bool appendTickLog(const QString &path, std::chrono::system_clock::time_point fire,
                   const QString &extra = {});

// The one tick of the application, just after each turn of the wall-clock second,
// so that a second hand neither skips nor repeats a second. Each fire schedules
// the next from the system clock, so a suspend, a resume or a change of the system
// time is followed at the next fire.
//
// With TOCKWISE_TICK_LOG=FILE in the environment, every fire appends one line to
// FILE: the wall-clock time of the fire, then whatever the receivers of fired()
// passed to annotateFire() meanwhile.
class SecondTimer : public QObject
{
    Q_OBJECT

public:
    explicit SecondTimer(QObject *parent = nullptr);

    void start();
    void stop();
    bool isActive() const { return mTimer.isActive(); }

    // The wall-clock time of the fire being delivered (or of the last one).
    std::chrono::system_clock::time_point lastFire() const { return mLastFire; }
    // From a receiver of fired(): adds `field` to this fire's line in the tick log.
    void annotateFire(const QString &field);
    bool isLogging() const { return !mLogPath.isEmpty(); }

Q_SIGNALS:
    void fired();

private:
    void schedule();
    void fire();

    QTimer mTimer;
    QString mLogPath;
    QString mAnnotation;
    std::chrono::system_clock::time_point mLastFire;
};
