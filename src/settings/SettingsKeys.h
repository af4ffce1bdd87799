#pragma once

#include <QString>

namespace tockwise {

// The keys of a clock's settings and of the application-wide user defaults, as
// settings files and the defaults file store them, by the names code uses.
namespace Keys {

// Clock settings, each declared with all that it holds in ClockSettings.
inline const QString TimeZone = QStringLiteral("TKWTimeZone");
inline const QString AlternateTimeZone = QStringLiteral("TKWAlternateTimeZone");
inline const QString Local = QStringLiteral("TKWLocal");
inline const QString ClockSize = QStringLiteral("TKWClockSize");
inline const QString DigitalClock = QStringLiteral("TKWDigitalClock");
inline const QString FaceColor = QStringLiteral("TKWFaceColor");
inline const QString Opacity = QStringLiteral("TKWOpacity");
inline const QString DrawBorder = QStringLiteral("TKWDrawBorder");
inline const QString UseFaceImage = QStringLiteral("TKWUseFaceImage");
inline const QString FaceImage = QStringLiteral("TKWFaceImage");
inline const QString CenterFactor = QStringLiteral("TKWCenterFactor");
inline const QString RadiusFactor = QStringLiteral("TKWRadiusFactor");
inline const QString HandColor = QStringLiteral("TKWHandColor");
inline const QString SecondHandColor = QStringLiteral("TKWSecondHandColor");
inline const QString AlternateZoneColor = QStringLiteral("TKWAlternateZoneColor");
inline const QString FadeHands = QStringLiteral("TKWFadeHands");
inline const QString ShowSeconds = QStringLiteral("TKWShowSeconds");
inline const QString PipStyle = QStringLiteral("TKWPipStyle");
inline const QString MinutePips = QStringLiteral("TKWMinutePips");
inline const QString PipColor = QStringLiteral("TKWPipColor");
inline const QString TwentyFour = QStringLiteral("TKWTwentyFour");
inline const QString ShowDate = QStringLiteral("TKWShowDate");
inline const QString ShowDayOnly = QStringLiteral("TKWShowDayOnly");
inline const QString ShowWeekday = QStringLiteral("TKWShowWeekday");
inline const QString ShowMeridian = QStringLiteral("TKWShowMeridian");
inline const QString ShowTimeZone = QStringLiteral("TKWShowTimeZone");
inline const QString OtherDataColor = QStringLiteral("TKWOtherDataColor");

// Application-wide user defaults.
inline const QString ClickThrough = QStringLiteral("TKWClickThrough");
inline const QString ClickThroughWarning = QStringLiteral("TKWClickThroughWarning");
inline const QString WindowLevel = QStringLiteral("TKWWindowLevel");
inline const QString AllSpaces = QStringLiteral("TKWAllSpaces");
inline const QString Converted = QStringLiteral("TKWConverted");
inline const QString RomanNumerals = QStringLiteral("TKWRomanNumerals");

} // namespace Keys

} // namespace tockwise
