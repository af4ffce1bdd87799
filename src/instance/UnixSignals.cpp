#include "instance/UnixSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tockwise {

namespace {

// The pipe is made once and never closed: a handler running on another thread at
// the moment of teardown must never write into a descriptor number that has been
// reused for some file.
int readEnd = -1;
int writeEnd = -1;

UnixSignals *current = nullptr;

extern "C" void forwardSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // When the pipe is full the signal is dropped: the same ones are still waiting.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

UnixSignals &UnixSignals::watch(std::initializer_list<int> signalNumbers)
{
    if (!current) {
        current = new UnixSignals;
    }
    for (const int signalNumber : signalNumbers) {
        current->add(signalNumber);
    }
    return *current;
}

UnixSignals::UnixSignals() : QObject(QCoreApplication::instance())
{
    if (readEnd < 0) {
        std::array<int, 2> ends{};
        if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            qFatal("UnixSignals: no pipe: %s", std::strerror(errno));
        }
        readEnd = ends[0];
        writeEnd = ends[1];
    }
    mNotifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &UnixSignals::drain);
}

UnixSignals::~UnixSignals()
{
    for (const auto &[signalNumber, previous] : mPrevious) {
        ::sigaction(signalNumber, &previous, nullptr);
    }
    if (current == this) {
        current = nullptr;
    }
}

void UnixSignals::add(int signalNumber)
{
    if (mPrevious.count(signalNumber) != 0) {
        return;
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    // Restarted system calls spare the rest of the program from EINTR.
    action.sa_flags = SA_RESTART;
    struct sigaction previous;
    if (::sigaction(signalNumber, &action, &previous) != 0) {
        qWarning("UnixSignals: cannot watch signal %d: %s", signalNumber, std::strerror(errno));
        return;
    }
    mPrevious.emplace(signalNumber, previous);
}

void UnixSignals::drain()
{
    std::array<unsigned char, 64> bytes{};
    ssize_t count = 0;
    while ((count = ::read(readEnd, bytes.data(), bytes.size())) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            Q_EMIT received(bytes[static_cast<std::size_t>(i)]);
        }
    }
}

} // namespace tockwise
