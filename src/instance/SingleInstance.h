#pragma once

#include "instance/InstanceMessage.h"
#include "instance/UnixSocket.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace tockwise {

class InstanceConnection;

// One running Tockwise per user. A start first offers its command line to the
// running instance over a socket only the user can reach; only when none answers
// does it become that instance. A lock file beside the socket serialises the
// "connect, else listen" step, so that simultaneous starts leave exactly one.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        Primary,
        Secondary,
        Failed
    };
    using Handler = std::function<InstanceReply(const QStringList &arguments)>;

    explicit SingleInstance(const QString &name = QStringLiteral("org.tockwise.Tockwise"),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the primary, or hands `arguments` to the primary and puts its answer in
    // `reply`. On failure `reply` says why. It blocks until the answer comes, without
    // serving this thread's events, so call it before any window exists. A primary
    // still starting on a busy machine can take seconds to answer; giving up on it
    // loses the later start's command.
    Role claim(const QStringList &arguments, InstanceReply *reply,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // In the primary: answers each later start, on the main thread. Until one is set,
    // later starts are told that Tockwise is not ready.
    void setHandler(Handler handler);
    // How long the primary waits for a connected start to send its whole message.
    void setClientTimeout(std::chrono::milliseconds timeout);

    // Where the socket lives; empty until claim() found a private folder for it.
    QString socketPath() const { return mSocketPath; }
    // After a failed claim: whether another start or a running instance may be
    // there (it holds the lock, or its socket does not answer properly). Only when
    // none can be, may this start run on its own without two instances writing
    // the same files.
    bool anotherInstanceMayRun() const { return mAnotherMayRun; }

    // The folder for the socket: $XDG_RUNTIME_DIR where it is private to the user,
    // else /tmp/tockwise-UID. None (with the reason) when neither can be trusted.
    static std::optional<QString> runtimeDirectory(QString *error = nullptr);
    // Creates `path` (one level) with mode 0700 when missing; true when it is then a
    // real directory (no symbolic link) owned by this user that nobody else may
    // enter.
    static bool ensurePrivateDirectory(const QString &path, QString *error = nullptr);

private:
    Role fail(InstanceReply *reply, const QString &reason);
    Role listen(InstanceReply *reply);
    Role exchange(const UnixSocket &socket, const QByteArray &request, InstanceReply *reply,
                  QDeadlineTimer deadline);
    void acceptConnections();
    // Whether another client may be served, having dropped an idle one if need be.
    bool makeRoom();
    void serve(UnixSocket socket);
    void answer(const QStringList &arguments, const QPointer<InstanceConnection> &client);

    QString mName;
    QString mSocketPath;
    bool mAnotherMayRun = false;
    UnixSocket mListener;
    // The socket file this instance bound, told apart from any successor's by its
    // device and inode.
    std::optional<std::pair<dev_t, ino_t>> mSocketFile;
    std::unique_ptr<QSocketNotifier> mAccepting;
    Handler mHandler;
    std::chrono::milliseconds mClientTimeout = std::chrono::seconds(5);
    // In the order they connected.
    std::vector<QPointer<InstanceConnection>> mClients;
};

} // namespace tockwise
