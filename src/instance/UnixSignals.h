#pragma once

#include <QObject>

#include <initializer_list>
#include <map>
#include <signal.h>

class QSocketNotifier;

namespace tockwise {

// POSIX signals (SIGTERM, SIGINT, SIGHUP) as a Qt signal on the main thread, where
// it is safe to save and quit. The handler itself only writes the signal's number
// into a pipe, the one thing it may safely do.
class UnixSignals : public QObject
{
    Q_OBJECT

public:
    // Starts delivering `signalNumbers` (in addition to those already watched) as
    // received(). Call it on the main thread once the application object exists;
    // the watcher ends with that object, handing the signals back to their former
    // handlers.
    static UnixSignals &watch(std::initializer_list<int> signalNumbers);
    ~UnixSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    UnixSignals();
    void add(int signalNumber);
    void drain();

    QSocketNotifier *mNotifier = nullptr;
    std::map<int, struct sigaction> mPrevious;
};

} // namespace tockwise
