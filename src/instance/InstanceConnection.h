#pragma once

#include "instance/UnixSocket.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <chrono>

namespace tockwise {

// A later start connected to the running instance, from its first byte to the last
// byte of its answer. Its bytes come from another process: a request larger than
// the maximum or malformed ends the connection, and so does the timeout, counted
// from the connect, for a peer that never sends or never reads its answer.
class InstanceConnection : public QObject
{
    Q_OBJECT

public:
    InstanceConnection(UnixSocket socket, std::chrono::milliseconds timeout,
                       QObject *parent = nullptr);

    // Sends `message` in full, then closes; nothing when already closed.
    void reply(const QByteArray &message);
    bool isOpen() const { return mSocket.isValid(); }
    // Open, and its request not in yet.
    bool isIdle() const { return isOpen() && !mAnswered; }
    // Hangs up without an answer.
    void close();

Q_SIGNALS:
    // The one well-formed request of this connection.
    void received(const QStringList &arguments);
    // The socket is closed; the object deletes itself once control is back in the
    // event loop.
    void closed();

private:
    void receive();
    void send();

    UnixSocket mSocket;
    QSocketNotifier mReader;
    QSocketNotifier mWriter;
    QTimer mTimeout;
    QByteArray mReceived;
    QByteArray mAnswer;
    qsizetype mSent = 0;
    bool mAnswered = false;
};

} // namespace tockwise
