#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

namespace tockwise {

// A reference to a file that survives a rename or a move nearby: the absolute
// path it had when chosen and its identity on its file system. A face picture is
// stored in the clock settings this way, as one data value.
class AliasData
{
public:
    struct FileIdentity
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
    };
    // What the file was like when it was chosen: a file system gives a deleted
    // file's inode to the next new file, which the identity alone would take for it.
    struct FileStamp
    {
        std::uint64_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        friend bool operator==(const FileStamp &, const FileStamp &) = default;
    };

    // How far resolve() looks for a moved file, in all: the stored file's folder
    // tree, then its parent folder's tree, then where people keep pictures (the
    // pictures, desktop and downloads folders, then the rest of home but its
    // hidden folders), each breadth-first.
    struct SearchLimits
    {
        int maximumEntries = 20000;
        std::chrono::milliseconds maximumTime{200};
    };

    AliasData(const QString &path, FileIdentity identity, std::optional<FileStamp> stamp = {});

    // None for a path that names no existing regular file (symbolic links are
    // followed). A relative path is taken from the current folder. It has a stamp.
    static std::optional<AliasData> fromPath(const QString &path);

    QString path() const { return mPath; }
    FileIdentity identity() const { return mIdentity; }
    std::optional<FileStamp> stamp() const { return mStamp; }

    // Version 2 with a stamp, version 1 (what earlier releases wrote) without.
    // Data that is not alias data of these versions (or whose lengths disagree, or
    // whose path is not absolute UTF-8) decodes to none.
    QByteArray encode() const;
    static std::optional<AliasData> decode(const QByteArray &data);

    // The stored path while a regular file is there (a picture saved over by an
    // editor is a new file); else the same file (by its identity, and its stamp
    // where there is one) found nearby or where people keep pictures; else none.
    std::optional<QString> resolve(const SearchLimits &limits) const;
    std::optional<QString> resolve() const { return resolve(SearchLimits{}); }

    friend bool operator==(const AliasData &, const AliasData &) = default;

private:
    QString mPath;
    FileIdentity mIdentity;
    std::optional<FileStamp> mStamp;
};

} // namespace tockwise
