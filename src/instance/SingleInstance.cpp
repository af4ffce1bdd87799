#include "instance/SingleInstance.h"

#include "instance/InstanceConnection.h"
#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tockwise {

using namespace std::chrono_literals;

namespace {

// Later starts come one at a time from a person at a desktop; more at once than
// this are a runaway script, and each costs a socket and a buffer.
constexpr std::size_t maximumClients = 32;

// QLockFile treats a lock older than this as abandoned even when its process still
// seems to live (a reused PID); the lock is only ever held for a connect or a listen.
constexpr int staleLockMilliseconds = 10'000;

// A listener with a full backlog is alive but busy: it is asked again this often.
constexpr auto busyRetryInterval = 20ms;

// Out of descriptors, accepting would fail again at once; the pending starts wait
// in the backlog meanwhile.
constexpr auto acceptRetryInterval = 100ms;

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool isTransient(int code)
{
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

std::optional<std::pair<dev_t, ino_t>> fileIdentity(const QByteArray &path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0) {
        return std::nullopt;
    }
    return std::pair{status.st_dev, status.st_ino};
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), mName(name)
{}

SingleInstance::~SingleInstance()
{
    if (!mListener.isValid()) {
        return;
    }
    mAccepting.reset();
    mListener.close();
    // Only the file this instance bound: a start that found it dead may have bound
    // its own in its place since.
    const QByteArray path = QFile::encodeName(mSocketPath);
    if (mSocketFile && fileIdentity(path) == mSocketFile) {
        ::unlink(path.constData());
    }
}

bool SingleInstance::ensurePrivateDirectory(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    if (!PrivateFiles::makeFolder(path)) {
        if (error) {
            const int code = errno;
            *error = tr("cannot create %1: %2").arg(path, systemReason(code));
        }
        return false;
    }
    // lstat, so that a symbolic link planted by someone else is refused, not followed.
    struct stat status;
    if (::lstat(native.constData(), &status) != 0) {
        if (error) {
            const int code = errno;
            *error = tr("cannot examine %1: %2").arg(path, systemReason(code));
        }
        return false;
    }
    QString problem;
    if (!S_ISDIR(status.st_mode)) {
        problem = tr("%1 is not a directory");
    } else if (status.st_uid != ::geteuid()) {
        problem = tr("%1 belongs to another user");
    } else if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        problem = tr("%1 is open to other users");
    }
    if (!problem.isEmpty() && error) {
        *error = problem.arg(path);
    }
    return problem.isEmpty();
}

std::optional<QString> SingleInstance::runtimeDirectory(QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString runtimeProblem;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) &&
        ensurePrivateDirectory(runtime, &runtimeProblem)) {
        return QDir::cleanPath(runtime);
    }
    if (!runtimeProblem.isEmpty()) {
        qWarning("Ignoring XDG_RUNTIME_DIR: %s", qUtf8Printable(runtimeProblem));
    }
    // Deliberately /tmp and not $TMPDIR: every start of this user must meet in the
    // same place, whatever its environment.
    const QString fallback = QStringLiteral("/tmp/tockwise-%1").arg(::geteuid());
    if (ensurePrivateDirectory(fallback, error)) {
        return fallback;
    }
    return std::nullopt;
}

void SingleInstance::setHandler(Handler handler)
{
    mHandler = std::move(handler);
}

void SingleInstance::setClientTimeout(std::chrono::milliseconds timeout)
{
    mClientTimeout = timeout;
}

SingleInstance::Role SingleInstance::fail(InstanceReply *reply, const QString &reason)
{
    if (reply) {
        *reply = InstanceReply{1, reason};
    }
    return Role::Failed;
}

SingleInstance::Role SingleInstance::claim(const QStringList &arguments, InstanceReply *reply,
                                           std::chrono::milliseconds timeout)
{
    if (mListener.isValid()) {
        if (reply) {
            *reply = {};
        }
        return Role::Primary;
    }
    const QDeadlineTimer deadline(timeout);
    const QByteArray request = encodeInstanceRequest(arguments);
    if (request.isEmpty()) {
        return fail(reply, tr("The command line is too long."));
    }
    QString error;
    const std::optional<QString> directory = runtimeDirectory(&error);
    if (!directory) {
        return fail(reply, tr("No private folder for the instance socket: %1").arg(error));
    }
    const QString base = *directory + QLatin1Char('/') + mName;
    mSocketPath = base + QStringLiteral(".socket");
    const QByteArray path = QFile::encodeName(mSocketPath);
    if (path.size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        return fail(reply, tr("The socket path %1 is too long.").arg(mSocketPath));
    }

    QLockFile lock(base + QStringLiteral(".lock"));
    lock.setStaleLockTime(staleLockMilliseconds);
    if (!lock.tryLock(static_cast<int>(deadline.remainingTime()))) {
        mAnotherMayRun = true;
        return fail(reply, tr("Another start of Tockwise holds %1.").arg(lock.fileName()));
    }

    int refusal = 0;
    UnixSocket socket = UnixSocket::connectTo(path, refusal);
    while (!socket.isValid() && isTransient(refusal) && !deadline.hasExpired()) {
        const qint64 left = deadline.remainingTime();
        const qint64 pause = left < 0 ? busyRetryInterval.count()
                                      : std::min<qint64>(busyRetryInterval.count(), left);
        ::poll(nullptr, 0, static_cast<int>(pause));
        socket = UnixSocket::connectTo(path, refusal);
    }
    if (socket.isValid()) {
        lock.unlock();
        // Whatever the exchange gives, an instance listens there.
        mAnotherMayRun = true;
        return exchange(socket, request, reply, deadline);
    }
    // Only no socket, or a socket file that outlived its server, means nobody runs;
    // the lock keeps everyone else from listening meanwhile. A server too busy to
    // accept is still there, and must not be replaced.
    if (refusal != ENOENT && refusal != ECONNREFUSED) {
        mAnotherMayRun = true;
        return fail(reply, tr("Cannot reach the running Tockwise: %1")
                               .arg(systemReason(isTransient(refusal) ? ETIMEDOUT : refusal)));
    }
    return listen(reply);
}

SingleInstance::Role SingleInstance::listen(InstanceReply *reply)
{
    const QByteArray path = QFile::encodeName(mSocketPath);
    int error = 0;
    UnixSocket listener = UnixSocket::listenOn(path, SOMAXCONN, error);
    if (!listener.isValid()) {
        return fail(reply, tr("Cannot listen on %1: %2").arg(mSocketPath, systemReason(error)));
    }
    mListener = std::move(listener);
    mSocketFile = fileIdentity(path);
    mAccepting = std::make_unique<QSocketNotifier>(mListener.descriptor(), QSocketNotifier::Read);
    connect(mAccepting.get(), &QSocketNotifier::activated, this,
            &SingleInstance::acceptConnections);
    if (reply) {
        *reply = {};
    }
    return Role::Primary;
}

SingleInstance::Role SingleInstance::exchange(const UnixSocket &socket, const QByteArray &request,
                                              InstanceReply *reply, QDeadlineTimer deadline)
{
    qsizetype sent = 0;
    bool sending = true;
    bool closed = false;
    QByteArray received;
    std::array<char, UnixSocket::readChunk> chunk;
    const auto complete = [&received] {
        const std::optional<qsizetype> size = announcedInstanceMessageSize(received);
        return size && (*size > maximumInstanceMessageSize || received.size() >= *size);
    };
    while (!complete() && !closed && !deadline.hasExpired()) {
        pollfd watched = {socket.descriptor(), POLLIN, 0};
        if (sending) {
            watched.events |= POLLOUT;
        }
        if (::poll(&watched, 1, static_cast<int>(deadline.remainingTime())) <= 0) {
            continue;
        }
        if ((watched.revents & POLLOUT) != 0) {
            const qsizetype written =
                socket.send(request.constData() + sent, request.size() - sent);
            if (written > 0) {
                sent += written;
            }
            // A primary that hung up may still have said why: read on to the end.
            sending = sent < request.size() && (written > 0 || isTransient(errno));
        }
        if ((watched.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const qsizetype got = socket.receive(chunk.data(), chunk.size());
            if (got > 0) {
                received.append(chunk.data(), got);
            } else if (got == 0 || !isTransient(errno)) {
                closed = true;
            }
        }
    }
    if (!complete()) {
        return fail(reply, closed ? tr("The running Tockwise closed the connection.")
                                  : tr("The running Tockwise did not answer in time."));
    }
    const std::optional<InstanceReply> answer =
        parseInstanceReply(received.left(*announcedInstanceMessageSize(received)));
    if (!answer) {
        return fail(reply, tr("The running Tockwise gave an answer that makes no sense."));
    }
    if (reply) {
        *reply = *answer;
    }
    return Role::Secondary;
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        int error = 0;
        UnixSocket client = mListener.accept(error);
        if (!client.isValid()) {
            if (error == EINTR || error == ECONNABORTED) {
                continue;
            }
            if (!isTransient(error)) {
                mAccepting->setEnabled(false);
                QTimer::singleShot(acceptRetryInterval, this, [this] {
                    if (mAccepting) {
                        mAccepting->setEnabled(true);
                    }
                });
            }
            return;
        }
        // The socket's mode keeps other users out only as far as the file system is
        // asked (root passes anyway, and so does anyone if the folder is ever opened);
        // the kernel's record of who connected is what decides.
        const std::optional<uid_t> peer = client.peerUser();
        const bool sameUser = peer == ::geteuid();
        if (!sameUser) {
            qWarning("Refused a connection to the instance socket from user %lld.",
                     peer ? static_cast<long long>(*peer) : -1LL);
        }
        if (sameUser && makeRoom()) {
            serve(std::move(client));
        }
    }
}

bool SingleInstance::makeRoom()
{
    std::erase_if(mClients, [](const QPointer<InstanceConnection> &client) {
        return !client || !client->isOpen();
    });
    if (mClients.size() < maximumClients) {
        return true;
    }
    // Idle clients must not lock the user's next start out: the one that has
    // waited longest without sending its request makes room.
    const auto idle = std::ranges::find_if(
        mClients, [](const QPointer<InstanceConnection> &client) { return client->isIdle(); });
    if (idle == mClients.end()) {
        return false;
    }
    (*idle)->close();
    mClients.erase(idle);
    return true;
}

void SingleInstance::serve(UnixSocket socket)
{
    auto *client = new InstanceConnection(std::move(socket), mClientTimeout, this);
    mClients.emplace_back(client);
    // Queued, so that a handler running an event loop of its own does so from the
    // main loop and not from inside the client's socket notifier, which may go
    // meanwhile.
    connect(
        client, &InstanceConnection::received, this,
        [this, client](const QStringList &arguments) {
            answer(arguments, QPointer<InstanceConnection>(client));
        },
        Qt::QueuedConnection);
}

void SingleInstance::answer(const QStringList &arguments,
                            const QPointer<InstanceConnection> &client)
{
    // A start that went away after sending its whole command still gets it done,
    // as one whose answer is lost on the way would.
    const InstanceReply reply =
        mHandler ? mHandler(arguments) : InstanceReply{1, tr("Tockwise is not ready yet.")};
    // The handler may run an event loop of its own, in which the client can go.
    if (!client || !client->isOpen()) {
        return;
    }
    QByteArray message = encodeInstanceReply(reply);
    if (message.isEmpty()) {
        message = encodeInstanceReply({1, tr("The answer is too long to pass on.")});
    }
    client->reply(message);
}

} // namespace tockwise
