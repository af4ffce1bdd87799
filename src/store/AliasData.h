#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

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

    // How far resolve() looks for a moved file, in all: the stored file's folder
    // tree, then its parent folder's tree, then where people keep pictures (the
    // pictures, desktop and downloads folders, then the rest of home but its
    // hidden folders), each breadth-first.
    struct SearchLimits
    {
        int maximumEntries = 20000;
        std::chrono::milliseconds maximumTime{200};
    };

    AliasData(const QString &path, FileIdentity identity);

    // None for a path that names no existing regular file (symbolic links are
    // followed). A relative path is taken from the current folder.
    static std::optional<AliasData> fromPath(const QString &path);

    QString path() const { return mPath; }
    FileIdentity identity() const { return mIdentity; }

    // Data that is not alias data of this version (or whose lengths disagree, or
    // whose path is not absolute UTF-8) decodes to none.
    QByteArray encode() const;
    static std::optional<AliasData> decode(const QByteArray &data);

    // The stored path while it holds the same file; else the same file found
    // nearby or where people keep pictures; else the stored path while any
    // regular file is there (a picture saved over by an editor gets a new inode);
    // else none.
    std::optional<QString> resolve(const SearchLimits &limits) const;
    std::optional<QString> resolve() const { return resolve(SearchLimits{}); }

    friend bool operator==(const AliasData &, const AliasData &) = default;

private:
    QString mPath;
    FileIdentity mIdentity;
};
