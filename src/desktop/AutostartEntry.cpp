#include "desktop/AutostartEntry.h"

#include "desktop/DesktopEntryFormat.h"
#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tockwise {

namespace {

// A login item is a few hundred bytes; a file far larger is not one, and reading
// it whole would only cost memory.
constexpr qint64 maximumEntrySize = 64 * 1024;

// Past this many numbered names the folder is not one anybody keeps by hand.
constexpr int maximumNameNumber = 1000;

struct Entry
{
    QString exec;
    // Entries the session skips: deleted (Hidden) or switched off in the desktop's
    // own list of startup programs.
    bool startedAtLogin = true;
};

// Follows links, as the session does; never blocks on a pipe or device.
std::optional<QByteArray> readSmallFile(const QString &path)
{
    PrivateFiles::RegularFile file = PrivateFiles::readRegularFile(path, maximumEntrySize);
    if (file.problem != PrivateFiles::RegularFile::Problem::None) {
        return std::nullopt;
    }
    return std::move(file.bytes);
}

std::optional<Entry> readEntry(const QString &path)
{
    const std::optional<QByteArray> bytes = readSmallFile(path);
    const std::optional<QHash<QString, QString>> keys =
        bytes ? DesktopEntryFormat::mainGroup(*bytes) : std::nullopt;
    if (!keys) {
        return std::nullopt;
    }
    return Entry{keys->value(QStringLiteral("Exec")),
                 keys->value(QStringLiteral("Hidden")).trimmed() != u"true" &&
                     keys->value(QStringLiteral("X-GNOME-Autostart-enabled")).trimmed() !=
                         u"false"};
}

// The file a program name or path stands for, as a launcher would find it: a bare
// name through PATH, a path only when absolute.
QString resolveProgram(const QString &program)
{
    QString path = program;
    if (!program.contains(u'/')) {
        path = QStandardPaths::findExecutable(program);
    } else if (QDir::isRelativePath(program)) {
        return {};
    }
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString canonicalExecutable(const QString &executable)
{
    return executable.isEmpty() ? QString() : QFileInfo(executable).canonicalFilePath();
}

std::optional<QString> findResolved(const QString &target)
{
    const QDir dir(AutostartEntry::folder());
    QStringList names = dir.entryList({QStringLiteral("*.desktop")},
                                      QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    std::sort(names.begin(), names.end());
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        const std::optional<Entry> entry = readEntry(path);
        if (!entry || !entry->startedAtLogin) {
            continue;
        }
        const std::optional<QString> program = DesktopEntryFormat::programOfExecValue(entry->exec);
        if (program && resolveProgram(*program) == target) {
            return path;
        }
    }
    return std::nullopt;
}

// Anything at all under the name, even a dangling link, keeps it taken.
bool isTaken(const QString &path)
{
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 || errno != ENOENT;
}

std::optional<QString> freePath(const QDir &dir)
{
    const QString stem = QFileInfo(AutostartEntry::preferredFileName).completeBaseName();
    for (int number = 1; number <= maximumNameNumber; ++number) {
        const QString name = number == 1 ? AutostartEntry::preferredFileName
                                         : QStringLiteral("%1-%2.desktop").arg(stem).arg(number);
        const QString path = dir.filePath(name);
        if (!isTaken(path)) {
            return path;
        }
    }
    return std::nullopt;
}

QByteArray entryText(const QString &execValue)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tockwise\n"
                          "Comment=Clocks on the desktop, in any time zone\n"
                          "Exec=%1\n"
                          "Icon=org.tockwise.Tockwise\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          "Terminal=false\n")
        .arg(execValue)
        .toUtf8();
}

bool writeEntry(const QString &target)
{
    const std::optional<QString> exec = DesktopEntryFormat::execValue(target);
    const QString folderPath = AutostartEntry::folder();
    if (!exec || folderPath.isEmpty() || !QDir().mkpath(folderPath)) {
        return false;
    }
    const std::optional<QString> path = freePath(QDir(folderPath));
    if (!path) {
        return false;
    }
    QSaveFile file(*path);
    const QByteArray bytes = entryText(*exec);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

namespace AutostartEntry {

QString folder()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/autostart");
}

std::optional<QString> find(const QString &executable)
{
    const QString target = canonicalExecutable(executable);
    if (target.isEmpty()) {
        return std::nullopt;
    }
    return findResolved(target);
}

bool isEstablished(const QString &executable)
{
    return find(executable).has_value();
}

void establish(const QString &executable)
{
    const QString target = canonicalExecutable(executable);
    if (target.isEmpty() || findResolved(target)) {
        return;
    }
    if (!writeEntry(target)) {
        qWarning("Unable to establish login item.");
    }
}

void remove(const QString &executable)
{
    const std::optional<QString> entry = find(executable);
    if (!entry) {
        return;
    }
    if (::unlink(QFile::encodeName(*entry).constData()) != 0) {
        // The number must never read as success, whatever errno holds.
        const int status = errno != 0 ? errno : -1;
        qWarning("Unable to remove login item. (%d)", status);
    }
}

} // namespace AutostartEntry

} // namespace tockwise
