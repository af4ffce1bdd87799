#include "store/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tockwise {

namespace PrivateFiles {

bool makeFolder(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(absolute).isDir()) {
        return true;
    }
    // Each missing folder is made private as it is made: there is no moment at
    // which another user could look in.
    const qsizetype slash = absolute.lastIndexOf(u'/');
    if (slash > 0 && !makeFolder(absolute.left(slash))) {
        return false;
    }
    // Another process may make it meanwhile; a file in its place is no folder.
    return ::mkdir(QFile::encodeName(absolute).constData(), S_IRWXU) == 0 ||
           (errno == EEXIST && QFileInfo(absolute).isDir());
}

bool isPlainFile(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectlyInside(const QString &path, const QString &folder)
{
    return QDir::cleanPath(QFileInfo(path).absolutePath()) ==
           QDir::cleanPath(QDir(folder).absolutePath());
}

RegularFile readRegularFile(const QString &path, qint64 limit)
{
    RegularFile file;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.problem = RegularFile::Problem::CannotOpen;
        file.error = errno;
        return file;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        file.problem = RegularFile::Problem::NotRegular;
        return file;
    }
    if (info.st_size > limit) {
        ::close(fd);
        file.problem = RegularFile::Problem::TooLarge;
        return file;
    }
    // One byte more than the file holds, to see it grow.
    file.bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype filled = 0;
    while (filled < file.bytes.size()) {
        const ssize_t got = ::read(fd, file.bytes.data() + filled, file.bytes.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += got;
    }
    ::close(fd);
    if (filled > info.st_size) {
        file.bytes.clear();
        file.problem = RegularFile::Problem::Changed;
        return file;
    }
    file.bytes.truncate(filled);
    return file;
}

QString replaceFile(const QString &path, const QByteArray &bytes)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        return QCoreApplication::translate("PrivateFiles",
                                           "it is a symbolic link, which is left as it is");
    }
    // QSaveFile writes an unnamed file that a kill leaves no trace of. Unbuffered,
    // since a buffered one takes a write the disk refused at the end for a whole
    // file; the data flushed here, as its commit flushes it again but ignores a
    // failure, so that its own flush then finds nothing left to do.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    QString problem;
    if (file.write(bytes) != bytes.size()) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
    } else if (::fdatasync(file.handle()) != 0) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!problem.isEmpty()) {
        file.cancelWriting();
        return problem;
    }
    // New files are the user's alone, whatever the umask.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return file.commit() ? QString() : file.errorString();
}

} // namespace PrivateFiles

} // namespace tockwise
