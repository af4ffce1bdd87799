#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QSocketNotifier;

namespace tockwise {

// Tells when the files that name the host's zone (/etc/localtime, /etc/timezone)
// are replaced or written. Clocks that show no seconds may sleep for a minute,
// and a changed zone must not wait that long. The folders are watched rather
// than the files, because a zone is changed by putting a new link or file in
// the old one's place.
class HostZoneWatch : public QObject
{
    Q_OBJECT

public:
    explicit HostZoneWatch(const QStringList &files, QObject *parent = nullptr);
    ~HostZoneWatch() override;
    bool isWatching() const { return mNotifier != nullptr; }

Q_SIGNALS:
    void changed();

private:
    void readEvents();

    int mFd = -1;
    QStringList mNames;
    std::unique_ptr<QSocketNotifier> mNotifier;
};

} // namespace tockwise
