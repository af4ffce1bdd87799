#include "time/HostZoneWatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace tockwise {

HostZoneWatch::HostZoneWatch(const QStringList &files, QObject *parent) : QObject(parent)
{
    mFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (mFd < 0) {
        qWarning("Cannot watch the system time zone (%s): a change shows within a minute",
                 strerror(errno));
        return;
    }
    QSet<QString> folders;
    for (const QString &file : files) {
        const QFileInfo info(file);
        mNames.append(info.fileName());
        folders.insert(info.absolutePath());
    }
    for (const QString &folder : folders) {
        constexpr std::uint32_t replaced =
            IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_CLOSE_WRITE | IN_ATTRIB;
        ::inotify_add_watch(mFd, QFile::encodeName(folder).constData(), replaced);
    }
    mNotifier = std::make_unique<QSocketNotifier>(mFd, QSocketNotifier::Read);
    connect(mNotifier.get(), &QSocketNotifier::activated, this, &HostZoneWatch::readEvents);
}

HostZoneWatch::~HostZoneWatch()
{
    mNotifier.reset();
    if (mFd >= 0) {
        ::close(mFd);
    }
}

void HostZoneWatch::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    bool ours = false;
    for (;;) {
        const ssize_t length = ::read(mFd, buffer, sizeof buffer);
        if (length <= 0) {
            break;
        }
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            // Any other file of /etc is none of ours; an overflow may hide ours.
            ours = ours || (event->mask & IN_Q_OVERFLOW) ||
                   (event->len > 0 && mNames.contains(QFile::decodeName(event->name)));
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (ours) {
        Q_EMIT changed();
    }
}

} // namespace tockwise
