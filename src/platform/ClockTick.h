#pragma once

#include <QObject>

// The one tick that drives every clock: posted once a second by the application,
// heard by every clock view. Connections end with either side.
class ClockTick : public QObject
{
    Q_OBJECT

public:
    static ClockTick &instance();
    void post() { Q_EMIT tick(); }

Q_SIGNALS:
    void tick();

private:
    ClockTick() = default;
};
