#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <future>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Role = SingleInstance::Role;

namespace {

// Each test claims its own name, so that nothing one leaves behind meets another.
// Short, since a socket path has room for little more than a hundred bytes.
QString uniqueName()
{
    const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("t%1.%2")
        .arg(qHash(QLatin1String(test->name())), 0, 36)
        .arg(QCoreApplication::applicationPid());
}

// A later start, from a thread of its own: a start waits for its answer without
// serving the events of its thread, and the primary here serves in this one.
Role claimBeside(const QStringList &arguments, InstanceReply *reply)
{
    const QString name = uniqueName();
    auto later = std::async(std::launch::async,
                            [&] { return SingleInstance(name).claim(arguments, reply); });
    while (later.wait_for(5ms) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return later.get();
}

void serveFor(std::chrono::milliseconds time)
{
    const QDeadlineTimer deadline(time);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

bool disconnects(QLocalSocket &socket)
{
    const QDeadlineTimer deadline(10s);
    while (socket.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return socket.state() == QLocalSocket::UnconnectedState;
}

// A start in a process of its own (see SingleInstanceHelper.cpp).
std::unique_ptr<QProcess> startHelper(const QString &name, const char *when)
{
    auto helper = std::make_unique<QProcess>();
    helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper->start(QStringLiteral(SINGLE_INSTANCE_HELPER),
                  {name, QLatin1String(when), QStringLiteral("--new-clock")});
    return helper;
}

QString nextLine(QProcess &helper)
{
    const QDeadlineTimer deadline(20s);
    while (!helper.canReadLine() && !deadline.hasExpired() &&
           (helper.waitForReadyRead(100) || helper.state() != QProcess::NotRunning)) {
    }
    return QString::fromUtf8(helper.readLine()).trimmed();
}

} // namespace

TEST(SingleInstanceTest, FoldersOthersCouldReachAreRefused)
{
    QTemporaryDir dir;
    const auto path = [&](const char *name) { return dir.filePath(QLatin1String(name)); };
    ASSERT_TRUE(SingleInstance::ensurePrivateDirectory(path("fresh")));
    EXPECT_EQ(QFile::permissions(path("fresh")) & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    EXPECT_TRUE(SingleInstance::ensurePrivateDirectory(path("fresh"))) << "and again, as it is";

    ASSERT_TRUE(QDir().mkdir(path("open")));
    ::chmod(QFile::encodeName(path("open")).constData(), 0750);
    EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("open")));
    ASSERT_TRUE(QFile::link(path("fresh"), path("link")));
    EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("link")));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path("fresh")).constData(), 65534, 65534), 0);
        EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("fresh"))) << "another's";
    }

    // A runtime folder that is not private is passed over for one in /tmp.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("open")));
    EXPECT_EQ(SingleInstance::runtimeDirectory(),
              QStringLiteral("/tmp/tockwise-%1").arg(::geteuid()));
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(SingleInstance::runtimeDirectory(), QFile::decodeName(runtime));
}

TEST(SingleInstanceTest, ALaterStartHandsOverItsCommandLineAndGetsTheAnswer)
{
    auto primary = std::make_unique<SingleInstance>(uniqueName());
    InstanceReply reply{5, QStringLiteral("stale")};
    ASSERT_EQ(primary->claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    EXPECT_EQ(reply, InstanceReply{});
    struct stat socket;
    ASSERT_EQ(::stat(QFile::encodeName(primary->socketPath()).constData(), &socket), 0);
    EXPECT_EQ(socket.st_mode & 077, 0u) << "only the user may connect";

    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_NE(reply.exitCode, 0) << "answered before the primary had a handler";

    QStringList heard;
    primary->setHandler([&](const QStringList &arguments) {
        heard = arguments;
        return InstanceReply{3, QStringLiteral("clock added\n")};
    });
    const QStringList arguments{QStringLiteral("--new-clock"), QStringLiteral("Asia/Kolkata")};
    EXPECT_EQ(claimBeside(arguments, &reply), Role::Secondary);
    EXPECT_EQ(reply, (InstanceReply{3, QStringLiteral("clock added\n")}));
    EXPECT_EQ(heard, arguments);

    const QString path = primary->socketPath();
    primary.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(SingleInstance(uniqueName()).claim({}, &reply), Role::Primary);
}

TEST(SingleInstanceTest, BadOrSilentClientsAreDroppedWhileServingGoesOn)
{
    SingleInstance primary(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(primary.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    primary.setClientTimeout(300ms);
    int served = 0;
    primary.setHandler([&](const QStringList &) {
        ++served;
        return InstanceReply{0, QStringLiteral("ok")};
    });

    QLocalSocket silent;
    silent.connectToServer(primary.socketPath());
    ASSERT_TRUE(silent.waitForConnected(5000));
    const QByteArray good = encodeInstanceRequest({QStringLiteral("--list")});
    for (const QByteArray &garbage :
         {QByteArray("\0\0\0\x05hello", 9), QByteArray("\xff\xff\xff\xff", 4),
          good.left(4) + QByteArray(good.size() - 4, 'x'), good + good}) {
        QLocalSocket client;
        client.connectToServer(primary.socketPath());
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(garbage);
        EXPECT_TRUE(disconnects(client)) << garbage.toHex().toStdString();
        EXPECT_TRUE(client.readAll().isEmpty());
    }
    EXPECT_EQ(served, 0);

    // The silent client, still connected, holds nobody up.
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply, (InstanceReply{0, QStringLiteral("ok")}));
    EXPECT_TRUE(disconnects(silent));
}

TEST(SingleInstanceTest, SlowPeersAreServedInPiecesAndOneThatNeverReadsIsDropped)
{
    SingleInstance primary(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(primary.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    primary.setClientTimeout(2s);
    // Several times what a socket's queue holds, so the answer leaves in pieces too.
    const InstanceReply large{0, QString(600'000, u'x')};
    primary.setHandler([&](const QStringList &) { return large; });
    const QByteArray request = encodeInstanceRequest({QStringLiteral("--list")});

    QLocalSocket slow;
    slow.connectToServer(primary.socketPath());
    ASSERT_TRUE(slow.waitForConnected(5000));
    for (const QByteArray &piece : {request.left(2), request.mid(2, 5), request.mid(7)}) {
        slow.write(piece);
        ASSERT_TRUE(slow.waitForBytesWritten(5000));
        serveFor(100ms);
    }
    QByteArray answer;
    const QDeadlineTimer deadline(10s);
    while (!deadline.hasExpired() && slow.state() == QLocalSocket::ConnectedState) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        answer += slow.readAll();
    }
    answer += slow.readAll();
    ASSERT_EQ(announcedInstanceMessageSize(answer), answer.size());
    EXPECT_EQ(parseInstanceReply(answer), large);

    // A peer that sends its request and never reads: the answer fills its queue,
    // and only the timeout frees the primary of it.
    primary.setClientTimeout(300ms);
    const int stuck = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(stuck, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(primary.socketPath());
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::connect(stuck, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::send(stuck, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL),
              ssize_t(request.size()));
    pollfd hangUp = {stuck, 0, 0};
    const QDeadlineTimer patience(10s);
    while (!patience.hasExpired() && (hangUp.revents & POLLHUP) == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ::poll(&hangUp, 1, 5);
    }
    EXPECT_NE(hangUp.revents & POLLHUP, 0) << "still connected after the timeout";
    ::close(stuck);
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply, large);
}

TEST(SingleInstanceTest, APrimaryLeavesASuccessorsSocketFileAlone)
{
    auto first = std::make_unique<SingleInstance>(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(first->claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    // Its socket file deleted by hand: the next start finds nobody and takes over.
    ASSERT_TRUE(QFile::remove(first->socketPath()));
    SingleInstance successor(uniqueName());
    ASSERT_EQ(successor.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    successor.setHandler([](const QStringList &) { return InstanceReply{6, {}}; });

    first.reset();
    EXPECT_TRUE(QFileInfo::exists(successor.socketPath()));
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply.exitCode, 6);
}

TEST(SingleInstanceTest, TheSocketOfAKilledPrimaryDoesNotStopANewOne)
{
    const auto killed = startHelper(uniqueName(), "now");
    ASSERT_TRUE(nextLine(*killed).startsWith(QStringLiteral("primary ")));
    killed->kill();
    ASSERT_TRUE(killed->waitForFinished(10'000));
    const QString stale = qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + uniqueName();
    ASSERT_TRUE(QFileInfo::exists(stale + QStringLiteral(".socket")));

    SingleInstance successor(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(successor.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    successor.setHandler([](const QStringList &) { return InstanceReply{4, {}}; });
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply.exitCode, 4);
}

TEST(SingleInstanceTest, SimultaneousStartsLeaveExactlyOnePrimary)
{
    std::array<std::unique_ptr<QProcess>, 4> starts;
    for (auto &start : starts) {
        start = startHelper(uniqueName(), "wait");
    }
    for (auto &start : starts) {
        ASSERT_EQ(nextLine(*start), QStringLiteral("ready"));
    }
    // Each waits on its input, so the lines let them go within microseconds.
    for (auto &start : starts) {
        start->write("\n");
        start->waitForBytesWritten(10'000);
    }
    QStringList lines;
    for (auto &start : starts) {
        lines.append(nextLine(*start));
    }
    const QStringList primaries = lines.filter(QRegularExpression(QStringLiteral("^primary ")));
    ASSERT_EQ(primaries.size(), 1) << qPrintable(lines.join(u'|'));
    const QString answer = QStringLiteral("secondary 7 %1: --new-clock").arg(primaries.first());
    EXPECT_EQ(lines.count(answer), 3) << qPrintable(lines.join(u'|'));

    InstanceReply reply;
    EXPECT_EQ(SingleInstance(uniqueName()).claim({QStringLiteral("quit")}, &reply),
              Role::Secondary);
    for (auto &start : starts) {
        // waitForFinished() is false for a process that has already finished.
        EXPECT_TRUE(start->state() == QProcess::NotRunning || start->waitForFinished(10'000));
        EXPECT_EQ(start->exitCode(), 0);
    }
}

TEST(SingleInstanceTest, AFailedClaimTellsWhetherAnotherInstanceMayRun)
{
    // Another start holding the lock: this one must not run beside it.
    QLockFile held(qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + uniqueName() +
                   QStringLiteral(".lock"));
    ASSERT_TRUE(held.tryLock());
    SingleInstance blocked(uniqueName());
    InstanceReply reply;
    EXPECT_EQ(blocked.claim({}, &reply, 300ms), Role::Failed);
    EXPECT_TRUE(blocked.anotherInstanceMayRun()) << qPrintable(reply.output);
    held.unlock();

    // A command line too long to send: nobody was asked, nothing stands in the way.
    SingleInstance alone(uniqueName());
    EXPECT_EQ(alone.claim({QString(2 * 1024 * 1024, u'x')}, &reply), Role::Failed);
    EXPECT_FALSE(alone.anotherInstanceMayRun());
}
