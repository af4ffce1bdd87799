#include "store/AliasData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace tockwise {

namespace {

// Layout: "TKWa", a big-endian 16-bit version, the device and the inode as
// big-endian 64-bit numbers, in version 2 the size and the modification time in
// nanoseconds since 1970 likewise, then the length of the path as a big-endian
// 32-bit number and the path in UTF-8 without a terminator.
constexpr char magic[4] = {'T', 'K', 'W', 'a'};
constexpr quint16 identityVersion = 1;
constexpr quint16 stampedVersion = 2;
constexpr qsizetype identityAt = 4 + 2;
constexpr qsizetype stampAt = identityAt + 8 + 8;
constexpr qsizetype headerSize(bool stamped)
{
    return stampAt + (stamped ? 8 + 8 : 0) + 4;
}

template <typename T> void appendBigEndian(QByteArray &bytes, T value)
{
    const T big = qToBigEndian(value);
    bytes.append(reinterpret_cast<const char *>(&big), sizeof big);
}

template <typename T> T readBigEndian(const char *bytes)
{
    T big = 0;
    std::memcpy(&big, bytes, sizeof big);
    return qFromBigEndian(big);
}

AliasData::FileIdentity identityOf(const struct stat &status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

AliasData::FileStamp stampOf(const struct stat &status)
{
    return {static_cast<std::uint64_t>(status.st_size),
            std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

// Follows symbolic links: what is found is the file a path shows.
std::optional<struct stat> regularFileAt(const QByteArray &path)
{
    struct stat status = {};
    if (::stat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return status;
}

QByteArray parentFolder(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray childPath(const QByteArray &folder, const char *name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Looks for a regular file of a given identity under one or more folders,
// sharing one budget of directory entries and time between them. Symbolic
// links are never followed and folders on other file systems are not entered:
// neither can hold the moved file itself.
class NearbySearch
{
public:
    NearbySearch(const AliasData &wanted, const AliasData::SearchLimits &limits)
        : mWanted(wanted.identity()), mStamp(wanted.stamp()), mEntriesLeft(limits.maximumEntries),
          mDeadline(std::chrono::steady_clock::now() + limits.maximumTime)
    {}

    // Breadth-first under `root`, leaving out the trees searched before. A root
    // inside one of those has been searched already.
    std::optional<QByteArray> find(const QByteArray &root, bool skipHidden = false)
    {
        if (std::any_of(mSearched.begin(), mSearched.end(), [&root](const QByteArray &done) {
                return root == done || root.startsWith(childPath(done, ""));
            })) {
            return std::nullopt;
        }
        std::deque<QByteArray> folders{root};
        while (!folders.empty() && !mExhausted) {
            const QByteArray folder = std::move(folders.front());
            folders.pop_front();
            if (std::find(mSearched.begin(), mSearched.end(), folder) != mSearched.end()) {
                continue;
            }
            if (auto found = findIn(folder, folders, skipHidden)) {
                return found;
            }
        }
        mSearched.push_back(root);
        return std::nullopt;
    }

private:
    std::optional<QByteArray> findIn(const QByteArray &folder, std::deque<QByteArray> &pending,
                                     bool skipHidden)
    {
        const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.constData()), ::closedir);
        if (!dir) {
            return std::nullopt;
        }
        while (const dirent *entry = ::readdir(dir.get())) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
                continue;
            }
            if (--mEntriesLeft < 0 || std::chrono::steady_clock::now() > mDeadline) {
                mExhausted = true;
                return std::nullopt;
            }
            struct stat status = {};
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
                static_cast<std::uint64_t>(status.st_dev) != mWanted.device) {
                continue;
            }
            if (S_ISREG(status.st_mode) && identityOf(status) == mWanted &&
                (!mStamp || stampOf(status) == *mStamp)) {
                return childPath(folder, entry->d_name);
            }
            if (S_ISDIR(status.st_mode) && !(skipHidden && entry->d_name[0] == '.')) {
                pending.push_back(childPath(folder, entry->d_name));
            }
        }
        return std::nullopt;
    }

    AliasData::FileIdentity mWanted;
    std::optional<AliasData::FileStamp> mStamp;
    int mEntriesLeft;
    std::chrono::steady_clock::time_point mDeadline;
    bool mExhausted = false;
    std::vector<QByteArray> mSearched;
};

// Where people keep pictures, most likely first, home last. Hidden folders there
// (caches, settings, the trash) hold no picture anyone chose.
std::vector<QByteArray> picturePlaces()
{
    std::vector<QByteArray> places;
    for (const auto location : {QStandardPaths::PicturesLocation, QStandardPaths::DesktopLocation,
                                QStandardPaths::DownloadLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (QDir::isAbsolutePath(folder)) {
            places.push_back(QFile::encodeName(QDir::cleanPath(folder)));
        }
    }
    places.push_back(QFile::encodeName(QDir::cleanPath(QDir::homePath())));
    return places;
}

} // namespace

AliasData::AliasData(const QString &path, FileIdentity identity, std::optional<FileStamp> stamp)
    : mPath(path), mIdentity(identity), mStamp(stamp)
{}

std::optional<AliasData> AliasData::fromPath(const QString &path)
{
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const std::optional<struct stat> status = regularFileAt(QFile::encodeName(absolute));
    if (!status) {
        return std::nullopt;
    }
    return AliasData(absolute, identityOf(*status), stampOf(*status));
}

QByteArray AliasData::encode() const
{
    const QByteArray path = mPath.toUtf8();
    QByteArray bytes;
    bytes.reserve(headerSize(mStamp.has_value()) + path.size());
    bytes.append(magic, sizeof magic);
    appendBigEndian<quint16>(bytes, mStamp ? stampedVersion : identityVersion);
    appendBigEndian<quint64>(bytes, mIdentity.device);
    appendBigEndian<quint64>(bytes, mIdentity.inode);
    if (mStamp) {
        appendBigEndian<quint64>(bytes, mStamp->size);
        appendBigEndian<qint64>(bytes, mStamp->modifiedNanoseconds);
    }
    appendBigEndian<quint32>(bytes, static_cast<quint32>(path.size()));
    bytes.append(path);
    return bytes;
}

std::optional<AliasData> AliasData::decode(const QByteArray &data)
{
    if (data.size() < headerSize(false) ||
        std::memcmp(data.constData(), magic, sizeof magic) != 0) {
        return std::nullopt;
    }
    const quint16 version = readBigEndian<quint16>(data.constData() + 4);
    const bool stamped = version == stampedVersion;
    if ((version != identityVersion && !stamped) || data.size() < headerSize(stamped)) {
        return std::nullopt;
    }
    const FileIdentity identity{readBigEndian<quint64>(data.constData() + identityAt),
                                readBigEndian<quint64>(data.constData() + identityAt + 8)};
    std::optional<FileStamp> stamp;
    if (stamped) {
        stamp = FileStamp{readBigEndian<quint64>(data.constData() + stampAt),
                          readBigEndian<qint64>(data.constData() + stampAt + 8)};
    }
    const qsizetype header = headerSize(stamped);
    const quint32 pathSize = readBigEndian<quint32>(data.constData() + header - 4);
    if (pathSize != static_cast<quint64>(data.size() - header)) {
        return std::nullopt;
    }
    const QByteArray pathBytes = data.sliced(header);
    if (!pathBytes.startsWith('/') || pathBytes.contains('\0')) {
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = utf8(pathBytes);
    if (utf8.hasError()) {
        return std::nullopt;
    }
    return AliasData(path, identity, stamp);
}

std::optional<QString> AliasData::resolve(const SearchLimits &limits) const
{
    const QByteArray stored = QFile::encodeName(QDir::cleanPath(mPath));
    // Whatever file is there now is the one the user keeps there: its identity
    // may have gone to an unrelated file meanwhile.
    if (regularFileAt(stored)) {
        return mPath;
    }
    const QByteArray folder = parentFolder(stored);
    NearbySearch search(*this, limits);
    std::optional<QByteArray> found = search.find(folder);
    if (!found) {
        found = search.find(parentFolder(folder));
    }
    if (!found) {
        for (const QByteArray &place : picturePlaces()) {
            if ((found = search.find(place, true))) {
                break;
            }
        }
    }
    if (found) {
        return QFile::decodeName(*found);
    }
    return std::nullopt;
}

} // namespace tockwise
