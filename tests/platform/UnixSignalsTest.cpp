#include "platform/UnixSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

TEST(UnixSignalsTest, QuitSignalsArriveOnTheMainThreadOncePerSignal)
{
    UnixSignals &signals = UnixSignals::watch({SIGTERM, SIGINT, SIGHUP});
    // Watching again must neither make a second watcher nor deliver twice.
    EXPECT_EQ(&UnixSignals::watch({SIGHUP}), &signals);

    std::vector<int> received;
    bool allOnMainThread = true;
    QObject receiver;
    QObject::connect(&signals, &UnixSignals::received, &receiver, [&](int signalNumber) {
        received.push_back(signalNumber);
        allOnMainThread = allOnMainThread && QThread::currentThread() == qApp->thread();
    });

    ::kill(::getpid(), SIGHUP);
    ::kill(::getpid(), SIGTERM);
    // Raised on another thread, the handler runs there; the Qt signal still may not.
    std::thread([] { ::raise(SIGINT); }).join();

    const QDeadlineTimer deadline(10'000);
    while (received.size() < 3 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, (std::vector<int>{SIGHUP, SIGINT, SIGTERM}));
    EXPECT_TRUE(allOnMainThread);
}
