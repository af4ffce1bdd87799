#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

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

} // namespace CommandLine
