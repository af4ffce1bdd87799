#include "time/TimeZone.h"

#include "time/ZoneData.h"

#include <QFile>

#include <unicode/locid.h>
#include <unicode/tznames.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tockwise {

using ZoneDetail::toQString;
using ZoneDetail::toUnicodeString;
using ZoneDetail::ZoneData;

namespace {

// Zones named by settings are looked up at every sample; each name is resolved
// once. Names that name nothing are remembered too (as null), and the table is
// emptied when a run of odd names would make it grow without end.
constexpr qsizetype maximumCachedNames = 1024;

QHash<QString, std::shared_ptr<ZoneData>> &zoneCache()
{
    static QHash<QString, std::shared_ptr<ZoneData>> cache;
    return cache;
}

std::shared_ptr<ZoneData> resolve(const QString &name)
{
    auto &cache = zoneCache();
    if (const auto it = cache.constFind(name); it != cache.cend()) {
        return it.value();
    }
    std::shared_ptr<ZoneData> data;
    if (!name.isEmpty()) {
        std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(toUnicodeString(name)));
        if (zone && *zone != icu::TimeZone::getUnknown()) {
            data = std::make_shared<ZoneData>();
            data->name = name;
            data->zone = std::move(zone);
        }
    }
    if (cache.size() >= maximumCachedNames) {
        cache.clear();
    }
    cache.insert(name, data);
    return data;
}

std::shared_ptr<ZoneData> utc()
{
    return resolve(QStringLiteral("UTC"));
}

// --- The host's zone --------------------------------------------------------

struct HostFiles
{
    QByteArray localtime = "/etc/localtime";
    QByteArray timezone = "/etc/timezone";
};

HostFiles &hostFiles()
{
    static HostFiles files;
    return files;
}

// The files the host's zone was last derived from, as they were then.
struct FileState
{
    bool exists = false;
    struct stat info = {};

    static FileState of(const QByteArray &path)
    {
        FileState state;
        state.exists = ::lstat(path.constData(), &state.info) == 0;
        return state;
    }

    friend bool operator==(const FileState &a, const FileState &b)
    {
        const struct stat &x = a.info;
        const struct stat &y = b.info;
        return a.exists == b.exists &&
               (!a.exists ||
                (x.st_dev == y.st_dev && x.st_ino == y.st_ino && x.st_size == y.st_size &&
                 x.st_mtim.tv_sec == y.st_mtim.tv_sec && x.st_mtim.tv_nsec == y.st_mtim.tv_nsec &&
                 x.st_ctim.tv_sec == y.st_ctim.tv_sec && x.st_ctim.tv_nsec == y.st_ctim.tv_nsec));
    }
};

// "…/zoneinfo/Europe/Paris" (or its posix/ and right/ variants) names Europe/Paris.
QString zoneNameFromPath(const QString &path)
{
    static const QString marker = QStringLiteral("zoneinfo/");
    const qsizetype at = path.lastIndexOf(marker);
    if (at < 0) {
        return {};
    }
    QString name = path.mid(at + marker.size());
    for (const QString &prefix : {QStringLiteral("posix/"), QStringLiteral("right/")}) {
        if (name.startsWith(prefix)) {
            name = name.mid(prefix.size());
        }
    }
    return name;
}

std::shared_ptr<ZoneData> zoneFromTZ(const QByteArray &tz)
{
    // glibc reads an empty TZ as UTC.
    if (tz.isEmpty()) {
        return utc();
    }
    QString value = QString::fromLocal8Bit(tz);
    if (value.startsWith(u':')) {
        value = value.mid(1);
    }
    if (value.startsWith(u'/')) {
        return resolve(zoneNameFromPath(value));
    }
    return resolve(value);
}

std::shared_ptr<ZoneData> zoneFromHostFiles(const HostFiles &files)
{
    char target[PATH_MAX];
    if (::realpath(files.localtime.constData(), target) != nullptr) {
        if (auto zone = resolve(zoneNameFromPath(QFile::decodeName(target)))) {
            return zone;
        }
    }
    QFile timezoneFile(QFile::decodeName(files.timezone));
    if (timezoneFile.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(timezoneFile.read(256)).trimmed();
        if (auto zone = resolve(name)) {
            return zone;
        }
    }
    return nullptr;
}

std::shared_ptr<ZoneData> detectHostZone()
{
    const char *tz = std::getenv("TZ");
    if (tz) {
        if (auto zone = zoneFromTZ(QByteArray(tz))) {
            return zone;
        }
    }
    const HostFiles &files = hostFiles();
    if (!tz) {
        if (auto zone = zoneFromHostFiles(files)) {
            return zone;
        }
    }
    // A POSIX TZ rule or a copied zone file: ICU matches those by their offsets.
    std::unique_ptr<icu::TimeZone> detected(icu::TimeZone::detectHostTimeZone());
    if (detected && *detected != icu::TimeZone::getUnknown()) {
        icu::UnicodeString id;
        detected->getID(id);
        if (auto zone = resolve(toQString(id))) {
            return zone;
        }
    }
    return utc();
}

// Every clock that follows the host's zone asks for it at every tick. TZ costs a
// getenv to check; the files are looked at again only after this interval, which
// is still well within the next tick. While a watch tells of their changes, they
// are looked at only then, and once a minute in case the watch cannot see one
// (a file mounted over another).
constexpr auto fileCheckInterval = std::chrono::milliseconds(500);
constexpr auto watchedFileCheckInterval = std::chrono::seconds(60);

struct HostZone
{
    std::shared_ptr<ZoneData> zone;
    bool tzSet = false;
    QByteArray tz;
    FileState localtime;
    FileState timezone;
    std::chrono::steady_clock::time_point filesCheckedAt;
    bool watched = false;
};

HostZone &hostZone()
{
    static HostZone host;
    return host;
}

QStringList readKnownTimeZoneNames()
{
    const QString folder = ZoneDetail::databaseFolder();
    std::set<QString> names = {QStringLiteral("GMT"), QStringLiteral("UTC")};
    for (const QString &table : {QStringLiteral("/zone1970.tab"), QStringLiteral("/zone.tab")}) {
        QFile file(folder + table);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            continue;
        }
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(u'#')) {
                continue;
            }
            const QStringList fields = line.split(u'\t');
            if (fields.size() >= 3 && TimeZone::named(fields[2])) {
                names.insert(fields[2]);
            }
        }
    }
    return QStringList(names.begin(), names.end());
}

} // namespace

namespace ZoneDetail {

const icu::Locale &userLocale()
{
    static const icu::Locale locale = [] {
        QByteArray name;
        for (const char *variable : {"LC_ALL", "LC_TIME", "LANG"}) {
            const char *value = std::getenv(variable);
            if (value && *value) {
                name = value;
                break;
            }
        }
        // "de_DE.UTF-8@euro" names the locale de_DE.
        const qsizetype cut = name.indexOf('.');
        name = name.left(cut >= 0 ? cut : name.size());
        const qsizetype at = name.indexOf('@');
        name = name.left(at >= 0 ? at : name.size());
        if (name.isEmpty() || name == "C" || name == "POSIX") {
            name = "en_US_POSIX";
        }
        return icu::Locale(name.constData());
    }();
    return locale;
}

} // namespace ZoneDetail

TimeZone::TimeZone(std::shared_ptr<ZoneData> data) : mData(std::move(data))
{}

std::optional<TimeZone> TimeZone::named(const QString &name)
{
    if (auto data = resolve(name)) {
        return TimeZone(std::move(data));
    }
    return std::nullopt;
}

TimeZone TimeZone::system()
{
    HostZone &host = hostZone();
    const char *tz = std::getenv("TZ");
    bool changed = !host.zone || (tz != nullptr) != host.tzSet || (tz && host.tz != tz);
    if (!tz) {
        const auto now = std::chrono::steady_clock::now();
        const auto interval =
            host.watched ? std::chrono::milliseconds(watchedFileCheckInterval) : fileCheckInterval;
        if (changed || now - host.filesCheckedAt >= interval) {
            host.filesCheckedAt = now;
            FileState localtime = FileState::of(hostFiles().localtime);
            FileState timezone = FileState::of(hostFiles().timezone);
            changed = changed || !(localtime == host.localtime) || !(timezone == host.timezone);
            host.localtime = localtime;
            host.timezone = timezone;
        }
    }
    if (changed) {
        host.zone = detectHostZone();
        host.tzSet = tz != nullptr;
        host.tz = tz ? QByteArray(tz) : QByteArray();
    }
    return TimeZone(host.zone);
}

void TimeZone::setHostZoneFiles(const QString &localtimePath, const QString &timezonePath)
{
    hostFiles() = HostFiles{QFile::encodeName(localtimePath), QFile::encodeName(timezonePath)};
    hostZone() = HostZone{};
}

QStringList TimeZone::hostZoneFiles()
{
    return {QFile::decodeName(hostFiles().localtime), QFile::decodeName(hostFiles().timezone)};
}

void TimeZone::hostZoneFilesChanged()
{
    hostZone().filesCheckedAt = {};
}

void TimeZone::setHostZoneWatched(bool watched)
{
    hostZone().watched = watched;
}

QStringList TimeZone::knownTimeZoneNames()
{
    static const QStringList names = readKnownTimeZoneNames();
    return names;
}

QString TimeZone::name() const
{
    return mData->name;
}

int TimeZone::secondsFromGMT(Instant instant) const
{
    return ZoneDetail::periodAt(*mData, instant).offset;
}

TimeOfDay TimeZone::timeOfDay(Instant instant) const
{
    const auto local =
        std::chrono::floor<std::chrono::seconds>(instant).time_since_epoch().count() +
        secondsFromGMT(instant);
    constexpr long long secondsPerDay = 86400;
    const long long second = ((local % secondsPerDay) + secondsPerDay) % secondsPerDay;
    return TimeOfDay{static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                     static_cast<int>(second % 60)};
}

QString TimeZone::abbreviation(Instant instant) const
{
    return ZoneDetail::periodAt(*mData, instant).abbreviation;
}

QString TimeZone::exemplarCity() const
{
    static const std::unique_ptr<icu::TimeZoneNames> names = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::TimeZoneNames> made(
            icu::TimeZoneNames::createInstance(ZoneDetail::userLocale(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    icu::UnicodeString id;
    icu::UnicodeString canonical;
    UErrorCode status = U_ZERO_ERROR;
    // Names are kept for the canonical zone only: US/Pacific is Los Angeles.
    icu::TimeZone::getCanonicalID(mData->zone->getID(id), canonical, status);
    if (!names || U_FAILURE(status)) {
        return {};
    }
    icu::UnicodeString city;
    names->getExemplarLocationName(canonical, city);
    return city.isBogus() ? QString() : toQString(city);
}

} // namespace tockwise
