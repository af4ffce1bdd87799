#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace tockwise {

// The program's table of user-facing texts that are looked up by key rather than
// written out at their point of use. A key without a translation shows as itself.
namespace StringTable {

// The one translation context the keys live in.
inline constexpr char context[] = "StringTable";

inline const QString LastClockTitle = QStringLiteral("LastClockTitle");
inline const QString LastClockWarning = QStringLiteral("LastClockWarning");
inline const QString Yes = QStringLiteral("Yes");
inline const QString No = QStringLiteral("No");
inline const QString ClickThroughWarning = QStringLiteral("ClickThroughWarning");
inline const QString OK = QStringLiteral("OK");
inline const QString ClickThroughToolTip =
    QStringLiteral("Click here to cancel Tockwise's click-through feature.");
inline const QString Region = QStringLiteral("Region");

QString localizedString(const QString &key);

// Every key the program looks up.
QStringList keys();

// Installs the translation for the user's locale (LANGUAGE, LC_ALL, LC_MESSAGES,
// LANG), or English where there is none for it, and Qt's own translation of its
// standard buttons and dialogs in that same language where the system has one;
// replaces an earlier installation. Needs the application object. False when not
// even English loads.
bool install();
bool install(const QLocale &locale);

} // namespace StringTable

} // namespace tockwise
