// What other users and hostile input must never reach: the settings (private
// folder and files), the instance socket (same user only, messages of bounded
// size), the files a clock removal deletes, and the program the login item runs.

#include "Support.h"
#include "app/TKWController.h"
#include "platform/AutostartEntry.h"
#include "platform/InstanceMessage.h"
#include "platform/PropertyListFile.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Reliability;

namespace {

unsigned modeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Sends `bytes` on the instance socket; true when the instance closed the
// connection without answering.
bool refusedWithoutAnswer(const QString &socketPath, const QByteArray &bytes)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000)) {
        return false;
    }
    QByteArray answer;
    for (qsizetype sent = 0;
         sent < bytes.size() && socket.state() == QLocalSocket::ConnectedState;) {
        const qint64 written = socket.write(bytes.mid(sent, 64 * 1024));
        if (written <= 0) {
            break;
        }
        sent += written;
        socket.waitForBytesWritten(1000);
        answer += socket.readAll();
    }
    waitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 10s);
    answer += socket.readAll();
    return socket.state() == QLocalSocket::UnconnectedState && answer.isEmpty();
}

} // namespace

TEST(Privacy, SettingsFolderAndFilesAreTheUsersAloneWhateverTheUmask)
{
    Home home;
    Process::Options options{home.environment()};
    options.umask = 0;
    RunningTockwise app(home, {}, options);
    ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
    EXPECT_EQ(modeOf(home.socketPath()) & 077, 0u) << "the socket";
    ASSERT_TRUE(tockwise(home, {QStringLiteral("--new-clock"), QStringLiteral("Europe/Paris")})
                    .cleanExit());
    const Outcome ended = app.quit();
    ASSERT_TRUE(ended.cleanExit()) << ended.describe();

    EXPECT_EQ(modeOf(home.settingsFolder()), 0700u);
    const QStringList files =
        QDir(home.settingsFolder()).entryList({QStringLiteral("*.tkw")}, QDir::Files);
    EXPECT_EQ(files.size(), 2);
    for (const QString &file : files) {
        EXPECT_EQ(modeOf(QDir(home.settingsFolder()).filePath(file)), 0600u) << file.toStdString();
    }
    EXPECT_EQ(modeOf(home.defaultsFile()), 0600u);
}

TEST(InstanceSocket, AnotherUserIsRefusedWhileTheOwnerIsServed)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can start an instance as another user";
    }
    const passwd *nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    Home home;
    ASSERT_TRUE(home.giveTo(nobody->pw_uid, nobody->pw_gid));
    Process::Options asNobody{home.environment()};
    asNobody.uid = nobody->pw_uid;
    asNobody.gid = nobody->pw_gid;
    const auto nobodysTockwise = [&](const QStringList &arguments) {
        return run(tockwiseBinary(), arguments, asNobody, 10s);
    };

    Process app(tockwiseBinary(), {}, asNobody);
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo::exists(home.socketPath()) &&
                   nobodysTockwise({QStringLiteral("--list")}).cleanExit();
        },
        20s))
        << app.standardError().toStdString();

    // Root can reach any socket file; the instance still answers only its user.
    EXPECT_TRUE(refusedWithoutAnswer(
        home.socketPath(), encodeInstanceRequest({tockwiseBinary(), QStringLiteral("--list")})));
    EXPECT_TRUE(refusedWithoutAnswer(
        home.socketPath(), encodeInstanceRequest({tockwiseBinary(), QStringLiteral("--quit")})));
    const Outcome listed = nobodysTockwise({QStringLiteral("--list")});
    EXPECT_TRUE(listed.cleanExit()) << listed.describe();
    EXPECT_EQ(listed.standardOutput.count('\n'), 1) << "its one clock";
    EXPECT_TRUE(nobodysTockwise({QStringLiteral("--quit")}).cleanExit());
    const Outcome ended = app.finish(15s);
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
}

TEST(InstanceSocket, AnOversizedMessageIsRefusedAndServingGoesOn)
{
    std::signal(SIGPIPE, SIG_IGN);
    Home home;
    RunningTockwise app(home);
    ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
    const QStringList clocks = app.listedFiles();
    ASSERT_EQ(clocks.size(), 1);

    // Announced as the maximum and one byte more, then sent in full.
    const qsizetype size = maximumInstanceMessageSize - 4 + 1;
    QByteArray message = encodeInstanceRequest({tockwiseBinary(), QStringLiteral("--list")});
    message = message.left(4) + QByteArray(size, ' ');
    qToBigEndian(quint32(size), message.data());
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(), message));
    // And one that claims four gigabytes.
    EXPECT_TRUE(refusedWithoutAnswer(home.socketPath(), QByteArray("\xff\xff\xff\xff{", 5) +
                                                            QByteArray(2 * 1024 * 1024, 'x')));

    EXPECT_EQ(app.listedFiles(), clocks) << "still serving";
    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
}

TEST(Removal, DeletesOnlyTheClocksOwnPlainFileInsideTheSettingsFolder)
{
    // The application's clock list, with a clock that stays: no removal below is
    // of the last clock, which would ask first and then quit.
    TKWController clocks;
    const QDir folder(TKWWindowController::settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    const auto keeper = TKWWindowController::initWithTimeZoneName(QStringLiteral("UTC"));
    const PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim.tkw"));
    ASSERT_TRUE(PropertyListFile::write(victim, settings));
    const FileState victimBefore = fileState(victim);
    const auto opened = [&](const QString &path) {
        EXPECT_TRUE(PropertyListFile::write(path, settings));
        return TKWWindowController::initWithSettingsFile(path);
    };

    // Its file swapped for a link to another file after the clock opened.
    const QString swapped = folder.filePath(QStringLiteral("swapped.tkw"));
    const auto linked = opened(swapped);
    ASSERT_TRUE(linked && QFile::remove(swapped) && QFile::link(victim, swapped));
    linked->removeClock();
    EXPECT_EQ(fileState(victim), victimBefore);
    EXPECT_EQ(QFile::symLinkTarget(swapped), victim) << "the link is not followed";

    // A clock opened from a file outside the folder.
    const auto outside = TKWWindowController::initWithSettingsFile(victim);
    ASSERT_TRUE(outside);
    outside->removeClock();
    EXPECT_EQ(fileState(victim), victimBefore);

    // A path that leaves the folder on its way.
    const QString escaped = folder.filePath(QStringLiteral("../escaped.tkw"));
    const auto escaping = opened(escaped);
    ASSERT_TRUE(escaping);
    escaping->removeClock();
    EXPECT_TRUE(QFileInfo::exists(escaped));

    // Its file replaced by a folder of someone's.
    const QString replaced = folder.filePath(QStringLiteral("replaced.tkw"));
    const auto folded = opened(replaced);
    ASSERT_TRUE(folded && QFile::remove(replaced) && QDir().mkpath(replaced));
    ASSERT_TRUE(writeFile(QDir(replaced).filePath(QStringLiteral("inside")), "kept\n"));
    folded->removeClock();
    EXPECT_EQ(readFile(QDir(replaced).filePath(QStringLiteral("inside"))), "kept\n");

    // And its own plain file inside the folder does go.
    const QString own = folder.filePath(QStringLiteral("own.tkw"));
    const auto plain = opened(own);
    ASSERT_TRUE(plain);
    plain->removeClock();
    EXPECT_FALSE(QFileInfo::exists(own));
    EXPECT_EQ(clocks.numberOfClocks(), 1u);
}

namespace {

// The arguments of an Exec value read by the rules of the desktop-entry format,
// strictly and independently of the product's own reader: none when the value
// breaks a rule, so that anything a launcher might read differently fails.
std::optional<QStringList> execArguments(const QString &value)
{
    // The escapes of a string value come first.
    QString line;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\') {
            line += value[i];
            continue;
        }
        if (++i == value.size()) {
            return std::nullopt;
        }
        switch (value[i].unicode()) {
        case u's':
            line += u' ';
            break;
        case u'n':
            line += u'\n';
            break;
        case u't':
            line += u'\t';
            break;
        case u'r':
            line += u'\r';
            break;
        case u'\\':
            line += u'\\';
            break;
        default:
            return std::nullopt;
        }
    }
    // Then the quoting: a reserved character stands only inside double quotes,
    // where ", `, $ and \ need a backslash; an argument is quoted whole or not at all.
    const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u' ') {
            if (inArgument) {
                arguments.append(current);
            }
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            if (inArgument) {
                return std::nullopt;
            }
            for (++i;; ++i) {
                if (i >= line.size()) {
                    return std::nullopt;
                }
                if (line[i] == u'"') {
                    break;
                }
                if (line[i] == u'\\') {
                    if (i + 1 >= line.size() || !QStringLiteral("\"`$\\").contains(line[i + 1])) {
                        return std::nullopt;
                    }
                    ++i;
                } else if (line[i] == u'`' || line[i] == u'$') {
                    return std::nullopt;
                }
                current += line[i];
            }
            if (i + 1 < line.size() && line[i + 1] != u' ') {
                return std::nullopt;
            }
            arguments.append(current);
            current.clear();
        } else if (reserved.contains(c)) {
            return std::nullopt;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.append(current);
    }
    // Field codes last: "%%" is a percent sign, any other would be replaced.
    for (QString &argument : arguments) {
        QString expanded;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] == u'%') {
                if (i + 1 >= argument.size() || argument[i + 1] != u'%') {
                    return std::nullopt;
                }
                ++i;
            }
            expanded += argument[i];
        }
        argument = expanded;
    }
    return arguments;
}

} // namespace

TEST(LoginItem, RunsExactlyTheProgramWhateverItsPathHolds)
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    QTemporaryDir base;
    const QString parent = base.filePath(QStringLiteral("odd $dir `x` %d \"q\" ;"));
    ASSERT_TRUE(QDir().mkpath(parent));
    const QStringList names = {
        QStringLiteral("plain"),
        QStringLiteral("with space"),
        QStringLiteral("quote\"double"),
        QStringLiteral("quote'single"),
        QStringLiteral("back\\slash"),
        QStringLiteral("trailing\\"),
        QStringLiteral("\\s\\n\\\\"),
        QStringLiteral("dollar$HOME${PATH}"),
        QStringLiteral("back`id`tick$(id)"),
        QStringLiteral("percent%f%U%%%"),
        QStringLiteral("new\nline\nExec=sh -c evil"),
        QStringLiteral("semi;colon; rm -rf ~"),
        QStringLiteral("tab\there"),
        QStringLiteral("carriage\rreturn"),
        QStringLiteral("all \" ' \\ $ ` % \n ; & | < > * ? # ( ) ~ [ ] = { }"),
        QStringLiteral("ünïcödé ☃"),
    };
    const QStringList expectedKeys = {QStringLiteral("Comment"),
                                      QStringLiteral("Exec"),
                                      QStringLiteral("Icon"),
                                      QStringLiteral("Name"),
                                      QStringLiteral("Terminal"),
                                      QStringLiteral("Type"),
                                      QStringLiteral("X-GNOME-Autostart-enabled")};
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString program = QDir(parent).filePath(name);
        ASSERT_TRUE(writeFile(program, "#!/bin/sh\n"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        AutostartEntry::establish(program);
        const std::optional<QString> entry = AutostartEntry::find(program);
        ASSERT_TRUE(entry);
        const QByteArray text = readFile(*entry);

        // One group, its keys each once: nothing in the path started a line.
        QStringList keys;
        QString exec;
        const QList<QByteArray> lines = text.trimmed().split('\n');
        EXPECT_EQ(lines.value(0), "[Desktop Entry]");
        for (const QByteArray &line : lines.mid(1)) {
            const QString decoded = QString::fromUtf8(line);
            keys.append(decoded.section(u'=', 0, 0));
            if (keys.last() == u"Exec") {
                exec = decoded.section(u'=', 1);
            }
        }
        keys.sort();
        EXPECT_EQ(keys, expectedKeys) << text.toStdString();
        EXPECT_EQ(execArguments(exec), QStringList{QFileInfo(program).canonicalFilePath()})
            << "Exec=" << exec.toStdString();

        if (!validator.isEmpty()) {
            const Outcome validated = run(validator, {*entry}, {}, 30s);
            EXPECT_TRUE(validated.cleanExit())
                << validated.describe() << validated.standardOutput.toStdString();
        }
        AutostartEntry::remove(program);
        EXPECT_FALSE(AutostartEntry::find(program));
    }
    if (validator.isEmpty()) {
        GTEST_SKIP() << "checked by the rules alone: desktop-file-validate is not installed "
                        "(package desktop-file-utils)";
    }
}
