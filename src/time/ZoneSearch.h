#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tockwise {

// Finds time zones by what a person types: part of a zone's identifier
// ("buenos aires" for America/Argentina/Buenos_Aires), its city as the user's
// language names it ("Tokio" in German) or its country, in English or in the
// user's language. Case and accents do not count. The names are read from ICU
// on the first search, not before: launching a clock never pays for them.
class ZoneSearch
{
public:
    // How well the typed text meets a name.
    enum class Strength
    {
        Substring,
        WordStart,
        Whole
    };

    struct Match
    {
        QString zone;
        Strength strength = Strength::Substring;
        // Met through the zone's country rather than its identifier or city.
        bool byCountry = false;
    };

    // A search among `zones` (identifiers), naming them in the language of the
    // BCP 47 tag (such as "de-DE"); English where the tag names none.
    ZoneSearch(QStringList zones, const QString &languageTag);
    ~ZoneSearch();
    ZoneSearch(const ZoneSearch &) = delete;
    ZoneSearch &operator=(const ZoneSearch &) = delete;

    // The zones the text meets, best first: a whole name before the start of a
    // word before anything within one, identifier or city before country, then
    // by the city's name. Nothing for a text of nothing but spaces and marks.
    std::vector<Match> find(const QString &text) const;

    // The one zone the words name without doubt: the only zone whose city,
    // identifier or (failing those) country they spell out whole. None when they
    // meet several zones that way, or none.
    std::optional<QString> uniqueZone(const QString &words) const;

    // The zone's city and country as the user reads them, "Wien, Österreich";
    // the identifier's last part where ICU knows no city.
    QString place(const QString &zone) const;

    // The tag of the language the user reads, as the locale variables name it.
    static QString userLanguage();

    // The text as it is compared: without accents, in one case, "_" and
    // punctuation as spaces, runs of spaces as one.
    static QString fold(const QString &text);

private:
    struct Index;
    const Index &index() const;

    QStringList mZones;
    QString mLanguageTag;
    mutable std::unique_ptr<Index> mIndex;
};

} // namespace tockwise
