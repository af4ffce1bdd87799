#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace PrivateFiles {

bool makeFolder(const QString &path)
{
    const QString absolute = QDir(path).absolutePath();
    if (QFileInfo(absolute).isDir()) {
        return true;
    }
    if (!QDir().mkpath(absolute)) {
        return false;
    }
    return ::chmod(QFile::encodeName(absolute).constData(), S_IRWXU) == 0;
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

} // namespace PrivateFiles
