#pragma once

#include <QByteArray>

#include <optional>
#include <sys/types.h>

struct sockaddr_un;

namespace tockwise {

// A stream socket named in the file system, non-blocking and closed on exec, that
// closes its descriptor when it goes. QtNetwork's local sockets would do as much,
// but bring a dozen libraries (Kerberos among them) into a program that needs
// nothing else of them.
class UnixSocket
{
public:
    // What one read of a request or an answer takes at the most; a whole message
    // is a few hundred bytes.
    static constexpr qsizetype readChunk = 64 * 1024;

    UnixSocket() = default;
    UnixSocket(UnixSocket &&other) noexcept;
    UnixSocket &operator=(UnixSocket &&other) noexcept;
    ~UnixSocket();

    // Invalid on failure, with the errno in `error`: ENOENT or ECONNREFUSED when
    // nobody listens at `path`, EAGAIN when its listener has a full backlog.
    static UnixSocket connectTo(const QByteArray &path, int &error);
    // Replaces whatever socket file is at `path` with one only its owner may use.
    static UnixSocket listenOn(const QByteArray &path, int backlog, int &error);
    // The next pending connection; invalid with the errno when there is none.
    UnixSocket accept(int &error) const;

    bool isValid() const { return mDescriptor >= 0; }
    int descriptor() const { return mDescriptor; }
    void close();

    // Who is at the other end, as the kernel recorded it when the connection was made.
    std::optional<uid_t> peerUser() const;

    // As for ::send and ::recv: the byte count, or -1 with errno set. A peer that
    // has gone makes send fail with EPIPE, never raise SIGPIPE.
    qsizetype send(const char *data, qsizetype size) const;
    qsizetype receive(char *data, qsizetype size) const;

private:
    explicit UnixSocket(int descriptor) : mDescriptor(descriptor) {}
    // A fresh socket, and `address` made from `path`.
    static UnixSocket open(const QByteArray &path, sockaddr_un &address, int &error);

    int mDescriptor = -1;
};

} // namespace tockwise
