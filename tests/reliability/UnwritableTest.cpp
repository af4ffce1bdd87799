// Settings that cannot be written: a read-only settings folder, a settings folder
// that cannot be made, a folder where the defaults file belongs. Clocks keep
// running, each path is named in one warning however often a write fails, and
// what is there is left byte for byte.

#include "Support.h"
#include "app/TKWController.h"
#include "clockview/TKWView.h"
#include "platform/PropertyListFile.h"
#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindow.h"
#include "window/TKWWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Reliability;

namespace {

// A folder in which nothing can be created, renamed or removed while this lives.
// Root ignores permission bits, so for root the folder is made immutable instead.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : mPath(QFile::encodeName(path))
    {
        if (::geteuid() != 0) {
            mActive = ::chmod(mPath.constData(), 0500) == 0;
            return;
        }
        mFd = ::open(mPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        if (mFd >= 0 && ::ioctl(mFd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            mActive = ::ioctl(mFd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (mFd >= 0) {
            int flags = 0;
            if (::ioctl(mFd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(mFd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(mFd);
        } else {
            ::chmod(mPath.constData(), 0700);
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool active() const { return mActive; }

private:
    QByteArray mPath;
    int mFd = -1;
    bool mActive = false;
};

QStringList settingsFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tkw")}, QDir::Files, QDir::Name);
}

} // namespace

TEST(Unwritable, AReadOnlySettingsFolderIsNamedOncePerClockAndKeptAsItWas)
{
    UserDefaults::standard().setBool(Keys::Converted, true);
    const QDir folder(TKWWindowController::settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    const QStringList files = {folder.filePath(QStringLiteral("A.tkw")),
                               folder.filePath(QStringLiteral("B.tkw"))};
    QList<FileState> before;
    for (const QString &file : files) {
        ASSERT_TRUE(PropertyListFile::write(file, TKWWindowController::defaultConfig()));
        before.append(fileState(file));
    }
    const ReadOnlyFolder readOnly(folder.path());
    if (!readOnly.active()) {
        GTEST_SKIP() << "the folder cannot be made read-only here (root without "
                        "CAP_LINUX_IMMUTABLE, or a file system without the immutable flag)";
    }

    MessageLog log;
    TKWController controller;
    controller.awakeFromNib();
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();
    ASSERT_EQ(controller.numberOfClocks(), 2u);
    const auto &clocks = controller.clocks();
    const std::optional<std::int32_t> firstSecond = clocks[0]->clockView()->secondOfDay();

    // Two rounds of changes: two failed writes of each file, then a third at quit.
    for (const int size : {150, 170}) {
        for (const auto &clock : clocks) {
            clock->clockSettings()->setValue(Keys::ClockSize, PropertyList::integer(size));
        }
        // Timers fire in the order they fall due: once this one has, so have the writes.
        bool written = false;
        QObject marker;
        QTimer::singleShot(2 * TKWWindowController::writeDelayMs, &marker, [&] { written = true; });
        ASSERT_TRUE(waitFor([&] { return written; }, 60s));
    }
    // Still running: shown, ticking, and with the settings as changed.
    for (const auto &clock : clocks) {
        EXPECT_TRUE(clock->window()->isVisible());
        EXPECT_EQ(clock->window()->width(), 170);
    }
    EXPECT_NE(clocks[0]->clockView()->secondOfDay(), firstSecond) << "the clocks tick on";
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();

    for (int i = 0; i < files.size(); ++i) {
        EXPECT_EQ(log.naming(files[i]).size(), 1) << log.messages().join(u'\n').toStdString();
        EXPECT_EQ(fileState(files[i]), before[i]) << describe(fileState(files[i]));
    }
    EXPECT_EQ(log.naming(folder.path()).size(), files.size())
        << log.messages().join(u'\n').toStdString();
    EXPECT_EQ(settingsFiles(folder.path()),
              (QStringList{QStringLiteral("A.tkw"), QStringLiteral("B.tkw")}));
}

TEST(Unwritable, ASettingsFolderThatCannotBeMadeIsNamedOncePerClock)
{
    // Where the settings folder should go, a plain file stands in the way: no
    // folder can be made beneath it, whoever asks.
    Home home;
    const QString blocker = home.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(writeFile(blocker, "a plain file\n"));
    const FileState blockerBefore = fileState(blocker);
    home.set("XDG_DATA_HOME", blocker + QStringLiteral("/data"));

    RunningTockwise app(home);
    ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
    ASSERT_TRUE(
        tockwise(home, {QStringLiteral("--new-clock"), QStringLiteral("Asia/Tokyo")}).cleanExit());
    const QStringList clocks = app.listedFiles();
    EXPECT_EQ(clocks.size(), 2) << "both clocks run";
    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
    const QStringList lines = QString::fromLocal8Bit(ended.standardError).split(u'\n');
    for (const QString &clock : clocks) {
        EXPECT_EQ(lines.filter(clock).size(), 1) << ended.standardError.toStdString();
    }
    // No path twice, however often its writes failed (a first launch also names
    // the clock it would have carried over from older versions).
    const QStringList named = lines.filter(blocker);
    EXPECT_EQ(QSet<QString>(named.begin(), named.end()).size(), named.size())
        << ended.standardError.toStdString();
    EXPECT_EQ(fileState(blocker), blockerBefore);
}

TEST(Unwritable, AFolderWhereTheDefaultsBelongIsNamedOnceAndAddsNoClocks)
{
    Home home;
    ASSERT_TRUE(QDir().mkpath(home.defaultsFile()));
    const QString inside = QDir(home.defaultsFile()).filePath(QStringLiteral("keep"));
    ASSERT_TRUE(writeFile(inside, "someone's\n"));
    const FileState insideBefore = fileState(inside);
    ASSERT_TRUE(QDir().mkpath(home.settingsFolder()));
    const QString clock = QDir(home.settingsFolder()).filePath(QStringLiteral("A.tkw"));
    ASSERT_TRUE(PropertyListFile::write(clock, TKWWindowController::defaultConfig()));

    for (int launch = 0; launch < 2; ++launch) {
        SCOPED_TRACE("launch " + std::to_string(launch + 1));
        RunningTockwise app(home);
        ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
        // Each switch is a change of the defaults, and a write that fails.
        for (const char *state : {"on", "off", "on", "off"}) {
            const Outcome switched =
                tockwise(home, {QStringLiteral("--click-through"), QLatin1String(state)});
            EXPECT_TRUE(switched.cleanExit()) << switched.describe();
        }
        EXPECT_EQ(app.listedFiles(), QStringList{clock}) << "the one saved clock, no other";
        const Outcome ended = app.quit();
        EXPECT_TRUE(ended.cleanExit()) << ended.describe();
        EXPECT_EQ(QString::fromLocal8Bit(ended.standardError)
                      .split(u'\n')
                      .filter(home.defaultsFile())
                      .size(),
                  1)
            << ended.standardError.toStdString();
        EXPECT_TRUE(QFileInfo(home.defaultsFile()).isDir());
        EXPECT_EQ(fileState(inside), insideBefore);
        EXPECT_EQ(settingsFiles(home.settingsFolder()), QStringList{QStringLiteral("A.tkw")});
    }
}
