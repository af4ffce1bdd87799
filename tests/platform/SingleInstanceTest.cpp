// The running process: one per user, whatever was left behind or is sent by others.

#include "instance/SingleInstance.h"

#include "Support.h"

#include <future>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

using namespace tockwise;

using Role = SingleInstance::Role;

namespace {

// Short, since a socket path has room for little more than a hundred bytes.
QString uniqueName()
{
    const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
    return QString("t%1.%2").arg(qHash(QLatin1String(test->name())), 0, 36).arg(::getpid());
}

// A later start, from a thread of its own: it waits for its answer without serving
// the events of its thread, and the primary here serves in this one.
Role claimBeside(const QStringList &arguments, InstanceReply *reply)
{
    auto later = std::async(std::launch::async,
                            [&] { return SingleInstance(uniqueName()).claim(arguments, reply); });
    waitFor([&] { return later.wait_for(0s) == std::future_status::ready; });
    return later.get();
}

// A client that sends `bytes` and reads nothing.
int sentBy(const SingleInstance &primary, const QByteArray &bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {AF_UNIX, {}};
    const QByteArray path = QFile::encodeName(primary.socketPath());
    std::copy(path.begin(), path.end(), address.sun_path);
    const bool sent =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL) == bytes.size();
    return sent ? fd : -1;
}

// Whether the primary hangs up on `fd`, having answered nothing when `silently`.
bool hungUp(int fd, bool silently = true)
{
    pollfd peer = {fd, silently ? short(POLLIN) : short(0), 0};
    char byte = 0;
    const bool done = fd >= 0 && waitFor([&] { return ::poll(&peer, 1, 0) > 0; }, 20s) &&
                      (!silently || ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0);
    ::close(fd);
    return done;
}

} // namespace

TEST(SingleInstance, FoldersOthersCouldReachAreRefused)
{
    Scratch dir;
    const auto path = [&](const char *name) { return dir.filePath(name); };
    ASSERT_TRUE(SingleInstance::ensurePrivateDirectory(path("fresh")));
    EXPECT_EQ(QFileInfo(path("fresh")).permissions() & 0x0777, 0x0700);
    ASSERT_TRUE(QDir().mkdir(path("open")) && QFile::link(path("fresh"), path("link")));
    ASSERT_EQ(::chmod(QFile::encodeName(path("open")).constData(), 0740), 0);
    EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("open")));
    EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("link")));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path("fresh")).constData(), 65534, 65534), 0);
        EXPECT_FALSE(SingleInstance::ensurePrivateDirectory(path("fresh"))) << "another's";
    }
    // A runtime folder that is not private is passed over for one in /tmp.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("open")));
    EXPECT_EQ(SingleInstance::runtimeDirectory(), QString("/tmp/tockwise-%1").arg(::geteuid()));
    qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST(SingleInstance, ALaterStartHandsOverItsCommandLineAndGetsTheAnswer)
{
    auto primary = std::make_unique<SingleInstance>(uniqueName());
    InstanceReply reply{5, "stale"};
    ASSERT_EQ(primary->claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    QStringList heard;
    const InstanceReply answer{-3, "a.tkw\tEurope/Paris\nZürich \U0001F570\n"};
    primary->setHandler([&](const QStringList &arguments) {
        heard = arguments;
        return answer;
    });
    const QStringList arguments{"--new-clock", QString(), "Zürich \"\\\n\x01 \U0001F570"};
    EXPECT_EQ(claimBeside(arguments, &reply), Role::Secondary);
    EXPECT_EQ(reply, answer);
    EXPECT_EQ(heard, arguments);
    const QString path = primary->socketPath();
    primary.reset();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(SingleInstance, MalformedSilentAndDeafClientsAreDroppedWhileServingGoesOn)
{
    SingleInstance primary(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(primary.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    primary.setClientTimeout(10min); // what is dropped now is dropped for what it sent
    // Several times what a socket's queue holds, so that it leaves in pieces.
    const InstanceReply large{0, QString(600'000, u'x')};
    primary.setHandler([&](const QStringList &) { return large; });
    const auto framed = [](const QByteArray &payload) {
        return bigEndian(payload.size()) + payload;
    };
    const QByteArray good = encodeInstanceRequest({"--list"});
    for (const QByteArray &message :
         {good + good, framed("arguments"), framed(R"(["--list"])"),
          framed(R"({"argv":["--list"]})"), framed(R"({"arguments":"--list"})"),
          framed(R"({"arguments":["--list",1]})"), framed(R"({"arguments":[["--list"]]})"),
          framed(QByteArray(10'000, '[') + QByteArray(10'000, ']')),
          encodeInstanceReply({0, "ok"})}) {
        EXPECT_TRUE(hungUp(sentBy(primary, message))) << message.left(40).toStdString();
    }

    // More idle clients than are served at once: the oldest make room for the
    // newest, and a start is answered at once.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(sentBy(primary, {}));
    }
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_TRUE(hungUp(idle.front()));
    std::for_each(idle.begin() + 1, idle.end(), ::close);

    primary.setClientTimeout(300ms);
    const int silent = sentBy(primary, {});
    // One that never reads its answer: only the timeout frees the primary of it.
    EXPECT_TRUE(hungUp(sentBy(primary, good), false));
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply, large);
    EXPECT_TRUE(hungUp(silent));
}

TEST(SingleInstance, NeitherAKilledPrimaryNorAnEndingOneStopsTheNext)
{
    Process killed(SINGLE_INSTANCE_HELPER, {uniqueName()});
    ASSERT_TRUE(waitFor([&] { return killed.standardOutput() == "primary\n"; }));
    killed.signal(SIGKILL);
    ASSERT_TRUE(killed.wait(10s));
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + '/' + uniqueName() + ".socket";
    ASSERT_TRUE(QFileInfo::exists(socket)) << "left behind";
    auto first = std::make_unique<SingleInstance>(uniqueName());
    InstanceReply reply;
    ASSERT_EQ(first->claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    // Its socket deleted by hand: the next start takes over, and the first, ending,
    // leaves the successor's socket alone.
    ASSERT_TRUE(QFile::remove(socket));
    SingleInstance successor(uniqueName());
    ASSERT_EQ(successor.claim({}, &reply), Role::Primary) << qPrintable(reply.output);
    successor.setHandler([](const QStringList &) { return InstanceReply{6, {}}; });
    first.reset();
    EXPECT_EQ(claimBeside({}, &reply), Role::Secondary);
    EXPECT_EQ(reply.exitCode, 6);
}
