#include "platform/AutostartEntry.h"

#include "platform/DesktopEntryFormat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace {

// Captures what the code under test logs.
class MessageLog
{
public:
    MessageLog() { previous = qInstallMessageHandler(&MessageLog::handle); }
    ~MessageLog() { qInstallMessageHandler(previous); }
    static inline QStringList messages;

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        messages += message;
    }
    QtMessageHandler previous;
};

class LoginItemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(AutostartEntry::folder()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(AutostartEntry::folder()));
        MessageLog::messages.clear();
        program = makeFile(u"My Apps/tock$wise"_s);
    }
    void TearDown() override { QDir(AutostartEntry::folder()).removeRecursively(); }

    static QString writeFile(const QString &path, const QByteArray &bytes = "#!/bin/sh\n")
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        return path;
    }
    QString makeFile(const QString &name) const { return writeFile(programs.filePath(name)); }
    static QString entryPath(const QString &name)
    {
        return QDir(AutostartEntry::folder()).filePath(name);
    }
    static QString addEntry(const QString &name, const QString &program, const char *extra = "")
    {
        const QString exec = DesktopEntryFormat::execValue(program).value_or(QString());
        return writeFile(entryPath(name), "[Desktop Entry]\nType=Application\nName=X\nExec=" +
                                              exec.toUtf8() + " --x\n" + extra);
    }
    static QStringList entries()
    {
        return QDir(AutostartEntry::folder()).entryList(QDir::Files | QDir::System, QDir::Name);
    }

    QTemporaryDir programs;
    QString program;
    MessageLog log;
};

TEST_F(LoginItemTest, TurningOnTwiceWritesOneValidEntry)
{
    EXPECT_FALSE(AutostartEntry::isEstablished(program));
    AutostartEntry::establish(program);
    AutostartEntry::establish(program);
    ASSERT_EQ(entries(), QStringList{AutostartEntry::preferredFileName});
    EXPECT_TRUE(AutostartEntry::isEstablished(program));
    QFile file(entryPath(AutostartEntry::preferredFileName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray path = QFileInfo(program).canonicalFilePath().toUtf8();
    EXPECT_TRUE(
        file.readAll().contains("\nExec=\"" + QByteArray(path).replace("$", "\\\\$") + "\"\n"));
    EXPECT_TRUE(MessageLog::messages.isEmpty());

    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {file.fileName()});
    ASSERT_TRUE(process.waitForFinished());
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
}

TEST_F(LoginItemTest, MatchesThroughLinksAndPathButNotDisabledEntries)
{
    const QString link = programs.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(program, link));
    addEntry(u"hidden.desktop"_s, program, "Hidden=true\n");
    addEntry(u"off.desktop"_s, program, "X-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(AutostartEntry::isEstablished(program));

    addEntry(u"z.desktop"_s, link);
    EXPECT_EQ(AutostartEntry::find(program), entryPath(u"z.desktop"_s));

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(programs.path()));
    addEntry(u"y.desktop"_s, u"link"_s);
    const std::optional<QString> found = AutostartEntry::find(link);
    qputenv("PATH", path);
    EXPECT_EQ(found, entryPath(u"y.desktop"_s));
}

TEST_F(LoginItemTest, NeverReplacesOrTouchesOtherEntries)
{
    const QString deleted = makeFile(u"deleted"_s);
    addEntry(AutostartEntry::preferredFileName, deleted);
    ASSERT_TRUE(QFile::remove(deleted));
    addEntry(u"a.desktop"_s, makeFile(u"other"_s));

    AutostartEntry::remove(program);
    AutostartEntry::establish(deleted);
    AutostartEntry::remove(deleted);
    EXPECT_EQ(entries().size(), 2);
    AutostartEntry::establish(program);
    const QString second = u"org.tockwise.Tockwise-2.desktop"_s;
    EXPECT_EQ(entries(), (QStringList{u"a.desktop"_s, second, AutostartEntry::preferredFileName}));
    AutostartEntry::remove(program);
    EXPECT_EQ(entries(), (QStringList{u"a.desktop"_s, AutostartEntry::preferredFileName}));
    EXPECT_TRUE(MessageLog::messages.isEmpty());
}

TEST_F(LoginItemTest, TurningOffRemovesOnlyTheFirstMatch)
{
    addEntry(u"b.desktop"_s, program);
    addEntry(u"a.desktop"_s, program);
    AutostartEntry::remove(program);
    EXPECT_EQ(entries(), QStringList{u"b.desktop"_s});
    EXPECT_TRUE(AutostartEntry::isEstablished(program));
}

TEST_F(LoginItemTest, LogsAnEntryThatCannotBeWritten)
{
    ASSERT_TRUE(QDir(AutostartEntry::folder()).removeRecursively());
    writeFile(AutostartEntry::folder());
    AutostartEntry::establish(program);
    EXPECT_EQ(MessageLog::messages, QStringList{u"Unable to establish login item."_s});
    QFile::remove(AutostartEntry::folder());
}

TEST_F(LoginItemTest, LogsAnEntryThatCannotBeRemoved)
{
    const QByteArray entry = QFile::encodeName(addEntry(u"a.desktop"_s, program));
    // Root may delete from a read-only folder, but not an immutable file.
    const QByteArray folder = QFile::encodeName(AutostartEntry::folder());
    const int fd = ::open(entry.constData(), O_RDONLY);
    int flags = 0;
    int expected = EACCES;
    if (geteuid() == 0) {
        expected = EPERM;
        ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
        flags |= FS_IMMUTABLE_FL;
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            ::close(fd);
            GTEST_SKIP() << "running as root where files cannot be made immutable";
        }
    } else {
        ::chmod(folder.constData(), 0500);
    }
    AutostartEntry::remove(program);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
    ::chmod(folder.constData(), 0700);
    EXPECT_EQ(MessageLog::messages,
              QStringList{u"Unable to remove login item. (%1)"_s.arg(expected)});
    EXPECT_TRUE(AutostartEntry::isEstablished(program));
}

} // namespace
