#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace tockwise {

// The options of `tockwise`, shared by the start that reads them and by the
// running instance that later starts hand their command lines to.
namespace CommandLine {

inline const QString newClock = QStringLiteral("new-clock");
inline const QString clickThrough = QStringLiteral("click-through");
inline const QString autostart = QStringLiteral("autostart");
inline const QString list = QStringLiteral("list");
inline const QString quit = QStringLiteral("quit");

// Adds every option (rendering included) and the help and version options.
void addOptions(QCommandLineParser &parser);

// True when the command only asks something of a running instance and so never
// needs a display of its own.
bool onlyForRunningInstance(const QCommandLineParser &parser);

// True when the command only switches application-wide settings: done by the
// running instance, or directly where none runs.
bool changesSettingsOnly(const QCommandLineParser &parser);

// A line saying what is wrong with the arguments, or none.
std::optional<QString> checkArguments(const QCommandLineParser &parser);

// The zone that --new-clock's words name: a zone identifier as it is, or else the
// one zone that the words name without doubt (a city, a country with one zone).
// Without one, the text that says so and lists the zones they might mean.
struct ZoneChoice
{
    std::optional<QString> zone;
    QString problem;
};
ZoneChoice chooseZone(const QString &words);

// The arguments with the words of --new-clock replaced by the zone they name, for
// a running instance that takes identifiers only.
QStringList withZone(QStringList arguments, const QString &words, const QString &zone);

} // namespace CommandLine

} // namespace tockwise
