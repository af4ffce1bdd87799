// What other users and hostile input must never reach: the instance socket (its
// user's alone) and the files a clock removal deletes.

#include "Support.h"
#include "app/TKWController.h"
#include "instance/InstanceMessage.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"
#include "window/TKWWindowController.h"

#include <pwd.h>

using namespace tockwise;

TEST(InstanceSocket, AnotherUserIsRefusedWhileTheOwnerIsServed)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can start an instance as another user";
    }
    const passwd *nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    Home home;
    // Its user's, and its login group's, as a home is.
    ASSERT_TRUE(run("chown", {"-R", "-h", "nobody:", home.path()}).cleanExit());
    Process::Options asNobody{home.environment()};
    asNobody.uid = nobody->pw_uid;
    asNobody.gid = nobody->pw_gid;
    const auto nobodysTockwise = [&](const QStringList &arguments) {
        return run(tockwiseBinary(), arguments, asNobody, 10s);
    };

    Process app(tockwiseBinary(), {}, asNobody);
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo::exists(home.socketPath()) && nobodysTockwise({"--list"}).cleanExit();
        },
        20s))
        << app.standardError().toStdString();

    EXPECT_EQ(fileState(home.socketPath()).mode & 077, 0u) << "the socket is its user's alone";
    // Root can reach any socket file; the instance still answers only its user.
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(),
                                     encodeInstanceRequest({tockwiseBinary(), "--list"})));
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(),
                                     encodeInstanceRequest({tockwiseBinary(), "--quit"})));
    const Outcome listed = nobodysTockwise({"--list"});
    EXPECT_TRUE(listed.cleanExit()) << listed.describe();
    EXPECT_EQ(listed.standardOutput.count('\n'), 1) << "its one clock";
    EXPECT_TRUE(nobodysTockwise({"--quit"}).cleanExit());
    const Outcome ended = app.finish(15s);
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
}

TEST(Removal, DeletesOnlyTheClocksOwnPlainFileInsideTheSettingsFolder)
{
    // The application's clock list, with a clock that stays: no removal below is
    // of the last clock, which would ask first and then quit.
    TKWController clocks;
    const QDir folder(TKWWindowController::settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    const auto keeper = clocks.addClock(TKWWindowController::initWithTimeZoneName("UTC"));
    const PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim.tkw");
    ASSERT_TRUE(PropertyListFile::write(victim, settings));
    const FileState victimBefore = fileState(victim);
    const auto opened = [&](const QString &path) {
        EXPECT_TRUE(PropertyListFile::write(path, settings));
        return clocks.addClock(TKWWindowController::initWithSettingsFile(path));
    };

    // Its file swapped for a link to another file after the clock opened.
    const QString swapped = folder.filePath("swapped.tkw");
    const auto linked = opened(swapped);
    ASSERT_TRUE(linked && QFile::remove(swapped) && QFile::link(victim, swapped));
    linked->removeClock();
    EXPECT_EQ(fileState(victim), victimBefore);
    EXPECT_EQ(QFile::symLinkTarget(swapped), victim) << "the link is not followed";

    // A clock opened from a file outside the folder.
    const auto outside = clocks.addClock(TKWWindowController::initWithSettingsFile(victim));
    ASSERT_TRUE(outside);
    outside->removeClock();
    EXPECT_EQ(fileState(victim), victimBefore);

    // A path that leaves the folder on its way.
    const QString escaped = folder.filePath("../escaped.tkw");
    const auto escaping = opened(escaped);
    ASSERT_TRUE(escaping);
    escaping->removeClock();
    EXPECT_TRUE(QFileInfo::exists(escaped));

    // Its file replaced by a folder of someone's.
    const QString replaced = folder.filePath("replaced.tkw");
    const auto folded = opened(replaced);
    ASSERT_TRUE(folded && QFile::remove(replaced) && QDir().mkpath(replaced));
    ASSERT_TRUE(writeFile(QDir(replaced).filePath("inside"), "kept\n"));
    folded->removeClock();
    EXPECT_EQ(readFile(QDir(replaced).filePath("inside")), "kept\n");
    EXPECT_EQ(clocks.numberOfClocks(), 1u);
}
