#include "platform/StringTable.h"

#include <QTranslator>

#include <gtest/gtest.h>

TEST(StringTable, KeysShowTheirTextAndUnknownKeysShowThemselves)
{
    // The tests run in the C locale, for which there is no translation of its own.
    for (const QLocale &locale : {QLocale::system(), QLocale(QLocale::Japanese)}) {
        ASSERT_TRUE(StringTable::install(locale));
        EXPECT_EQ(StringTable::localizedString(StringTable::LastClockTitle),
                  QStringLiteral("Remove the last clock?"));
        EXPECT_EQ(StringTable::localizedString(StringTable::OK), QStringLiteral("OK"));
        EXPECT_EQ(StringTable::localizedString(QStringLiteral("NoSuchKey")),
                  QStringLiteral("NoSuchKey"));
    }
}

TEST(StringTable, EveryKeyHasAnEnglishAndAGermanText)
{
    const QStringList keys = StringTable::keys();
    EXPECT_EQ(keys.size(), 11);
    for (const char *language : {"en", "de"}) {
        QTranslator translation;
        ASSERT_TRUE(translation.load(
            QStringLiteral(":/i18n/tockwise_%1.qm").arg(QLatin1StringView(language))));
        for (const QString &key : keys) {
            EXPECT_FALSE(
                translation.translate(StringTable::context, key.toUtf8().constData()).isEmpty())
                << language << ": " << key.toStdString();
        }
    }
}
