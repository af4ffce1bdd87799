#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Later starts come one at a time from a person at a desktop; more at once than
// this are a runaway script, and each costs a socket and a buffer.
constexpr int maximumClients = 32;

// QLockFile treats a lock older than this as abandoned even when its process still
// seems to live (a reused PID); the lock is only ever held for a connect or a listen.
constexpr int staleLockMilliseconds = 10'000;

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The socket's mode keeps other users out only as far as the file system is
// asked (root passes anyway, and so does anyone if the folder is ever opened);
// the kernel's record of who connected is what decides.
std::optional<uid_t> peerUser(const QLocalSocket &client)
{
    ucred credentials = {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(client.socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                     &credentials, &size) != 0) {
        return std::nullopt;
    }
    return credentials.uid;
}

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), mName(name)
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::ensurePrivateDirectory(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), S_IRWXU) != 0 && errno != EEXIST) {
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
    if (mServer) {
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
    if (QFile::encodeName(mSocketPath).size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        return fail(reply, tr("The socket path %1 is too long.").arg(mSocketPath));
    }

    QLockFile lock(base + QStringLiteral(".lock"));
    lock.setStaleLockTime(staleLockMilliseconds);
    if (!lock.tryLock(static_cast<int>(deadline.remainingTime()))) {
        mAnotherMayRun = true;
        return fail(reply, tr("Another start of Tockwise holds %1.").arg(lock.fileName()));
    }

    QLocalSocket socket;
    socket.connectToServer(mSocketPath);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        lock.unlock();
        // Whatever the exchange gives, an instance listens there.
        mAnotherMayRun = true;
        return exchange(
            socket, request, reply,
            std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
    }
    // Only no socket, or a socket file that outlived its server, means nobody runs;
    // the lock keeps everyone else from listening meanwhile. A server too busy to
    // accept is still there, and must not be replaced.
    const QLocalSocket::LocalSocketError refusal = socket.error();
    if (refusal != QLocalSocket::ServerNotFoundError &&
        refusal != QLocalSocket::ConnectionRefusedError) {
        mAnotherMayRun = true;
        return fail(reply, tr("Cannot reach the running Tockwise: %1").arg(socket.errorString()));
    }
    return listen(reply);
}

SingleInstance::Role SingleInstance::listen(InstanceReply *reply)
{
    QLocalServer::removeServer(mSocketPath);
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(mSocketPath)) {
        return fail(reply, tr("Cannot listen on %1: %2").arg(mSocketPath, server->errorString()));
    }
    mServer = server.release();
    connect(mServer, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (reply) {
        *reply = {};
    }
    return Role::Primary;
}

SingleInstance::Role SingleInstance::exchange(QLocalSocket &socket, const QByteArray &request,
                                              InstanceReply *reply,
                                              std::chrono::milliseconds timeout)
{
    socket.write(request);
    QByteArray received;
    bool complete = false;
    QEventLoop loop;
    const auto take = [&] {
        received += socket.readAll();
        const std::optional<qsizetype> size = announcedInstanceMessageSize(received);
        if (size && (*size > maximumInstanceMessageSize || received.size() >= *size)) {
            complete = true;
            loop.quit();
        }
    };
    connect(&socket, &QLocalSocket::readyRead, &loop, take);
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!complete) {
        take(); // the answer may have come with the close
    }
    if (!complete) {
        return fail(reply, socket.state() == QLocalSocket::ConnectedState
                               ? tr("The running Tockwise did not answer in time.")
                               : tr("The running Tockwise closed the connection."));
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
    while (QLocalSocket *client = mServer->nextPendingConnection()) {
        const std::optional<uid_t> peer = peerUser(*client);
        const bool sameUser = peer == ::geteuid();
        if (!sameUser) {
            qWarning("Refused a connection to the instance socket from user %lld.",
                     peer ? static_cast<long long>(*peer) : -1LL);
        }
        if (!sameUser || mClients >= maximumClients) {
            client->abort();
            client->deleteLater();
            continue;
        }
        serve(client);
    }
}

void SingleInstance::serve(QLocalSocket *client)
{
    ++mClients;
    connect(client, &QObject::destroyed, this, [this] { --mClients; });
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    // Past the whole maximum the message is dropped anyway; Qt need not read further.
    client->setReadBufferSize(maximumInstanceMessageSize + 1);

    // Covers a start that never sends, and one that never reads its answer.
    auto *timer = new QTimer(client);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, client, [client] {
        client->abort();
        client->deleteLater();
    });
    timer->start(mClientTimeout);

    auto buffer = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    const auto take = [this, client, buffer, answered] {
        if (*answered) {
            client->readAll();
            return;
        }
        *buffer += client->readAll();
        const std::optional<qsizetype> size = announcedInstanceMessageSize(*buffer);
        const bool oversized =
            size ? *size > maximumInstanceMessageSize : buffer->size() > maximumInstanceMessageSize;
        if (oversized) {
            qWarning("Ignored a message of %lld bytes on the instance socket: too large.",
                     static_cast<long long>(size.value_or(buffer->size())));
            client->abort();
            client->deleteLater();
            return;
        }
        if (!size || buffer->size() < *size) {
            return;
        }
        const std::optional<QStringList> arguments = parseInstanceMessage(*buffer);
        if (!arguments) {
            qWarning("Ignored a malformed message on the instance socket.");
            client->abort();
            client->deleteLater();
            return;
        }
        *answered = true;
        // The handler may run an event loop of its own, in which the client can go.
        const QPointer<QLocalSocket> alive(client);
        const InstanceReply reply =
            mHandler ? mHandler(*arguments) : InstanceReply{1, tr("Tockwise is not ready yet.")};
        if (!alive) {
            return;
        }
        QByteArray message = encodeInstanceReply(reply);
        if (message.isEmpty()) {
            message = encodeInstanceReply({1, tr("The answer is too long to pass on.")});
        }
        client->write(message);
        client->disconnectFromServer();
    };
    connect(client, &QLocalSocket::readyRead, client, take);
    if (client->bytesAvailable() > 0) {
        take();
    }
}
