#include "instance/InstanceConnection.h"

#include "instance/InstanceMessage.h"

#include <array>
#include <cerrno>

namespace tockwise {

namespace {

// Reads of one wake-up, so that a peer that never stops sending cannot keep the
// event loop (and with it the timeout) from running.
constexpr int readsPerWakeUp = 16;

bool wouldBlock(int code)
{
    return code == EAGAIN || code == EWOULDBLOCK;
}

} // namespace

InstanceConnection::InstanceConnection(UnixSocket socket, std::chrono::milliseconds timeout,
                                       QObject *parent)
    : QObject(parent), mSocket(std::move(socket)),
      mReader(mSocket.descriptor(), QSocketNotifier::Read),
      mWriter(mSocket.descriptor(), QSocketNotifier::Write)
{
    mWriter.setEnabled(false);
    connect(&mReader, &QSocketNotifier::activated, this, &InstanceConnection::receive);
    connect(&mWriter, &QSocketNotifier::activated, this, &InstanceConnection::send);
    mTimeout.setSingleShot(true);
    connect(&mTimeout, &QTimer::timeout, this, &InstanceConnection::close);
    mTimeout.start(timeout);
}

void InstanceConnection::reply(const QByteArray &message)
{
    if (!isOpen() || !mAnswer.isEmpty()) {
        return;
    }
    mAnswer = message;
    send();
}

void InstanceConnection::receive()
{
    std::array<char, UnixSocket::readChunk> chunk;
    for (int reads = 0; reads < readsPerWakeUp; ++reads) {
        const qsizetype got = mSocket.receive(chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && wouldBlock(errno)) {
            return;
        }
        if (got <= 0) {
            close();
            return;
        }
        // What follows the request is not looked at; reading it on shows the hang-up.
        if (mAnswered) {
            continue;
        }
        mReceived.append(chunk.data(), got);
        const std::optional<qsizetype> size = announcedInstanceMessageSize(mReceived);
        const bool oversized = size ? *size > maximumInstanceMessageSize
                                    : mReceived.size() > maximumInstanceMessageSize;
        if (oversized) {
            qWarning("Ignored a message of %lld bytes on the instance socket: too large.",
                     static_cast<long long>(size.value_or(mReceived.size())));
            close();
            return;
        }
        if (!size || mReceived.size() < *size) {
            continue;
        }
        const std::optional<QStringList> arguments = parseInstanceMessage(mReceived);
        if (!arguments) {
            qWarning("Ignored a malformed message on the instance socket.");
            close();
            return;
        }
        mAnswered = true;
        mReceived = {};
        Q_EMIT received(*arguments);
    }
}

void InstanceConnection::send()
{
    while (mSent < mAnswer.size()) {
        const qsizetype written = mSocket.send(mAnswer.constData() + mSent, mAnswer.size() - mSent);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && wouldBlock(errno)) {
            // Until the peer reads, its queue is full; the timeout ends one that won't.
            mWriter.setEnabled(true);
            return;
        }
        if (written < 0) {
            close();
            return;
        }
        mSent += written;
    }
    // The whole answer waits in the peer's queue, where closing leaves it; the end
    // of the stream tells the start there is no more.
    close();
}

void InstanceConnection::close()
{
    if (!isOpen()) {
        return;
    }
    mReader.setEnabled(false);
    mWriter.setEnabled(false);
    mTimeout.stop();
    mSocket.close();
    Q_EMIT closed();
    deleteLater();
}

} // namespace tockwise
