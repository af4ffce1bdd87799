#include "instance/UnixSocket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace tockwise {

namespace {

constexpr int socketFlags = SOCK_NONBLOCK | SOCK_CLOEXEC;

} // namespace

UnixSocket UnixSocket::open(const QByteArray &path, sockaddr_un &address, int &error)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path)) {
        error = ENAMETOOLONG;
        return {};
    }
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    UnixSocket socket(::socket(AF_UNIX, SOCK_STREAM | socketFlags, 0));
    error = socket.isValid() ? 0 : errno;
    return socket;
}

UnixSocket::UnixSocket(UnixSocket &&other) noexcept
    : mDescriptor(std::exchange(other.mDescriptor, -1))
{}

UnixSocket &UnixSocket::operator=(UnixSocket &&other) noexcept
{
    if (this != &other) {
        close();
        mDescriptor = std::exchange(other.mDescriptor, -1);
    }
    return *this;
}

UnixSocket::~UnixSocket()
{
    close();
}

void UnixSocket::close()
{
    if (mDescriptor >= 0) {
        // Linux frees the descriptor even when close reports EINTR: never retry it.
        ::close(std::exchange(mDescriptor, -1));
    }
}

UnixSocket UnixSocket::connectTo(const QByteArray &path, int &error)
{
    sockaddr_un target;
    UnixSocket socket = open(path, target, error);
    if (!socket.isValid()) {
        return {};
    }
    // A local connect completes or fails at once; a full backlog is EAGAIN, not
    // EINPROGRESS as for TCP.
    const auto *address = reinterpret_cast<const sockaddr *>(&target);
    if (::connect(socket.mDescriptor, address, sizeof target) != 0) {
        error = errno;
        return {};
    }
    error = 0;
    return socket;
}

UnixSocket UnixSocket::listenOn(const QByteArray &path, int backlog, int &error)
{
    sockaddr_un name;
    UnixSocket socket = open(path, name, error);
    if (!socket.isValid()) {
        return {};
    }
    // A socket file outlives its process; bind will not reuse one.
    ::unlink(path.constData());
    if (::bind(socket.mDescriptor, reinterpret_cast<const sockaddr *>(&name), sizeof name) != 0) {
        error = errno;
        return {};
    }
    // Until listen nobody can connect, so the mode is right before anyone may try.
    if (::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 ||
        ::listen(socket.mDescriptor, backlog) != 0) {
        error = errno;
        ::unlink(path.constData());
        return {};
    }
    error = 0;
    return socket;
}

UnixSocket UnixSocket::accept(int &error) const
{
    UnixSocket client(::accept4(mDescriptor, nullptr, nullptr, socketFlags));
    error = client.isValid() ? 0 : errno;
    return client;
}

std::optional<uid_t> UnixSocket::peerUser() const
{
    ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(mDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
        return std::nullopt;
    }
    return credentials.uid;
}

qsizetype UnixSocket::send(const char *data, qsizetype size) const
{
    return ::send(mDescriptor, data, std::size_t(size), MSG_NOSIGNAL);
}

qsizetype UnixSocket::receive(char *data, qsizetype size) const
{
    return ::recv(mDescriptor, data, std::size_t(size), 0);
}

} // namespace tockwise
