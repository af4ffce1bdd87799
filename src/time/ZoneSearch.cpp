#include "time/ZoneSearch.h"

#include "time/ZoneData.h"

#include <QHash>
#include <QLocale>

#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/tznames.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace tockwise {

using ZoneDetail::toQString;
using ZoneDetail::toUnicodeString;

namespace {

struct Entry
{
    QString zone;
    QString place;
    // Folded, and compared with what is typed.
    QStringList names;     // the identifier, its last part, the city in both languages
    QStringList countries; // in English and in the user's language
    QString sortKey;
};

// How the typed text meets a name: as all of it, as the start of a word (at the
// beginning, or after a space or a "/"), or within a word.
ZoneSearch::Strength strengthIn(const QString &name, const QString &typed)
{
    if (name == typed) {
        return ZoneSearch::Strength::Whole;
    }
    for (qsizetype at = name.indexOf(typed); at >= 0; at = name.indexOf(typed, at + 1)) {
        if (at == 0 || name[at - 1] == u' ' || name[at - 1] == u'/') {
            return ZoneSearch::Strength::WordStart;
        }
    }
    return ZoneSearch::Strength::Substring;
}

// The best strength with which the text meets any of the names; none when it
// meets none of them.
std::optional<ZoneSearch::Strength> bestIn(const QStringList &names, const QString &typed)
{
    std::optional<ZoneSearch::Strength> best;
    for (const QString &name : names) {
        if (name.contains(typed)) {
            best =
                std::max(best.value_or(ZoneSearch::Strength::Substring), strengthIn(name, typed));
        }
    }
    return best;
}

QString countryName(const char *region, const icu::Locale &language)
{
    icu::UnicodeString name;
    icu::Locale(language.getLanguage(), region).getDisplayCountry(language, name);
    return toQString(name);
}

void addFolded(QStringList &names, const QString &name)
{
    const QString folded = ZoneSearch::fold(name);
    if (!folded.isEmpty() && !names.contains(folded)) {
        names.append(folded);
    }
}

} // namespace

struct ZoneSearch::Index
{
    std::vector<Entry> entries;
    QHash<QString, std::size_t> byZone;
};

ZoneSearch::ZoneSearch(QStringList zones, const QString &languageTag)
    : mZones(std::move(zones)), mLanguageTag(languageTag)
{}

ZoneSearch::~ZoneSearch() = default;

QString ZoneSearch::fold(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    bool space = true; // no space leads
    for (const QChar c : text.normalized(QString::NormalizationForm_KD).toCaseFolded()) {
        if (c.isMark() || c == u'\'' || c == u'\u2019') {
            continue; // accents, and the apostrophe of "St. John's", vanish
        }
        if (c.isLetterOrNumber() || c == u'/') {
            folded.append(c);
            space = false;
        } else if (!space) {
            folded.append(u' ');
            space = true;
        }
    }
    if (folded.endsWith(u' ')) {
        folded.chop(1);
    }
    return folded;
}

QString ZoneSearch::userLanguage()
{
    return QLocale().uiLanguages().value(0);
}

const ZoneSearch::Index &ZoneSearch::index() const
{
    if (mIndex) {
        return *mIndex;
    }
    mIndex = std::make_unique<Index>();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale language = icu::Locale::forLanguageTag(mLanguageTag.toStdString(), status);
    if (U_FAILURE(status) || language.isBogus() || !*language.getLanguage()) {
        language = icu::Locale::getEnglish();
    }
    const icu::Locale &english = icu::Locale::getEnglish();
    status = U_ZERO_ERROR;
    const std::unique_ptr<icu::TimeZoneNames> localNames(
        icu::TimeZoneNames::createInstance(language, status));
    status = U_ZERO_ERROR;
    const std::unique_ptr<icu::TimeZoneNames> englishNames(
        icu::TimeZoneNames::createInstance(english, status));
    const auto cityIn = [](const icu::TimeZoneNames *names, const icu::UnicodeString &id) {
        icu::UnicodeString city;
        if (names) {
            names->getExemplarLocationName(id, city);
        }
        return city.isBogus() ? QString() : toQString(city);
    };

    for (const QString &zone : mZones) {
        Entry entry;
        entry.zone = zone;
        const icu::UnicodeString id = toUnicodeString(zone);
        QString city = cityIn(localNames.get(), id);
        const QString lastPart = zone.section(u'/', -1).replace(u'_', u' ');
        addFolded(entry.names, zone);
        addFolded(entry.names, lastPart);
        addFolded(entry.names, city);
        addFolded(entry.names, cityIn(englishNames.get(), id));
        if (city.isEmpty()) {
            city = lastPart;
        }

        char region[8] = {};
        status = U_ZERO_ERROR;
        icu::TimeZone::getRegion(id, region, sizeof region, status);
        // "001" is the world, where GMT and UTC lie: no country to name.
        QString country;
        if (U_SUCCESS(status) && *region && std::strcmp(region, "001") != 0) {
            country = countryName(region, language);
            addFolded(entry.countries, countryName(region, english));
            addFolded(entry.countries, country);
        }
        entry.place =
            country.isEmpty() || country == city ? city : city + QStringLiteral(", ") + country;
        entry.sortKey = fold(city);
        mIndex->byZone.insert(zone, mIndex->entries.size());
        mIndex->entries.push_back(std::move(entry));
    }
    return *mIndex;
}

std::vector<ZoneSearch::Match> ZoneSearch::find(const QString &text) const
{
    const QString typed = fold(text);
    std::vector<Match> found;
    if (typed.isEmpty()) {
        return found;
    }
    std::vector<std::pair<Match, const Entry *>> met;
    for (const Entry &entry : index().entries) {
        const std::optional<Strength> byName = bestIn(entry.names, typed);
        const std::optional<Strength> byCountry = bestIn(entry.countries, typed);
        if (!byName && !byCountry) {
            continue;
        }
        // The country counts only where it is met better than any name.
        const bool country = !byName || (byCountry && *byCountry > *byName);
        met.push_back({{entry.zone, country ? *byCountry : *byName, country}, &entry});
    }
    std::sort(met.begin(), met.end(), [](const auto &a, const auto &b) {
        if (a.first.strength != b.first.strength) {
            return a.first.strength > b.first.strength;
        }
        if (a.first.byCountry != b.first.byCountry) {
            return b.first.byCountry;
        }
        if (a.second->sortKey != b.second->sortKey) {
            return a.second->sortKey < b.second->sortKey;
        }
        return a.first.zone < b.first.zone;
    });
    found.reserve(met.size());
    for (const auto &[match, entry] : met) {
        found.push_back(match);
    }
    return found;
}

std::optional<QString> ZoneSearch::uniqueZone(const QString &words) const
{
    const std::vector<Match> found = find(words);
    if (found.empty() || found.front().strength != Strength::Whole) {
        return std::nullopt;
    }
    // The best kind of whole match decides: a city spelt out beats a country
    // that holds it, and two cities of one name are a question, not an answer.
    const bool byCountry = found.front().byCountry;
    const auto same = [&](const Match &match) {
        return match.strength == Strength::Whole && match.byCountry == byCountry;
    };
    if (found.size() > 1 && same(found[1])) {
        return std::nullopt;
    }
    return found.front().zone;
}

QString ZoneSearch::place(const QString &zone) const
{
    const Index &all = index();
    if (const auto it = all.byZone.constFind(zone); it != all.byZone.cend()) {
        return all.entries[*it].place;
    }
    return zone.section(u'/', -1).replace(u'_', u' ');
}

} // namespace tockwise
