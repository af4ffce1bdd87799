// Tockwise on a German desktop, where the session names the locale with LANG alone:
// ctest runs these with TOCKWISE_TEST_LANG=de_DE.UTF-8 (see Main.cpp); anywhere
// else they skip.

#include "Support.h"
#include "app/StringTable.h"
#include "time/DateFormatter.h"
#include "time/TimeZone.h"

#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QPushButton>

using namespace tockwise;

namespace {

bool qtHasGerman()
{
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm");
}

class GermanLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariable("TOCKWISE_TEST_LANG").startsWith(u"de")) {
            GTEST_SKIP() << "runs under the german_locale test";
        }
        ASSERT_TRUE(StringTable::install());
    }
};

} // namespace

TEST_F(GermanLocale, QtSpeaksGermanAndUnknownKeysShowThemselves)
{
    EXPECT_EQ(StringTable::localizedString("NoSuchKey"), "NoSuchKey");
    if (qtHasGerman()) {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
        EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), "&Ja");
        // Qt stays English with Tockwise, rather than following the locale on its own.
        ASSERT_TRUE(StringTable::install(QLocale(QLocale::French)));
        QDialogButtonBox english(QDialogButtonBox::Cancel);
        EXPECT_EQ(english.button(QDialogButtonBox::Cancel)->text(), "Cancel");
    }
}

TEST_F(GermanLocale, DatesAndWeekdaysAreGermanZoneAbbreviationsTheDatabases)
{
    const Instant sunday{std::chrono::seconds(1796551830)}; // 2026-12-06 10:10:30 UTC
    const TimeZone berlin = *TimeZone::named("Europe/Berlin");
    EXPECT_EQ(DateFormatter("EEEE", berlin).format(sunday), "Sonntag");
    EXPECT_EQ(DateFormatter("EEE", berlin).format(sunday), "So.");
    EXPECT_EQ(DateFormatter(DateFormatter::Style::Medium, DateFormatter::Style::None, berlin)
                  .format(sunday),
              "06.12.2026");
    EXPECT_EQ(berlin.abbreviation(sunday), dateText("Europe/Berlin", sunday));
}

TEST_F(GermanLocale, TheCommandLineIsGermanAndOtherLanguagesGetEnglish)
{
    Home home;
    const QString help = QString::fromUtf8(runTockwise(home, {"--help"}).standardOutput);
    EXPECT_TRUE(help.contains("Uhren, die auf Ihrem Schreibtisch schweben.")) << help.toStdString();
    EXPECT_TRUE(help.contains("Zeichnet ein einzelnes Bild einer Uhr"));
    EXPECT_TRUE(!qtHasGerman() || help.contains("Optionen:"));
    const QList<std::pair<QStringList, QString>> mistakes = {
        {{"--click-through", "maybe"},
         "--click-through erwartet on, off oder toggle, nicht „maybe“."},
        {{"--render", home.filePath("a.png"), "--scale", "99"},
         "--scale erwartet eine Zahl von 0.25 bis 16, nicht „99“"},
        {{"--render", home.filePath("a.png"), "--set", "TKWOpacity=2"},
         "TKWOpacity erwartet eine Zahl von 0 bis 1, nicht „2“"},
    };
    for (const auto &[arguments, text] : mistakes) {
        const Outcome wrong = runTockwise(home, arguments);
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_TRUE(QString::fromUtf8(wrong.standardError).contains(text))
            << wrong.standardError.toStdString();
    }
    home.set("LANG", "xx_YY.UTF-8"); // a language Tockwise does not speak
    const QString english = QString::fromUtf8(runTockwise(home, {"--help"}).standardOutput);
    EXPECT_TRUE(english.contains("Clocks that float on your desktop."));
    EXPECT_TRUE(english.contains("Options:"));
}

TEST_F(GermanLocale, NewClockTakesGermanCityAndCountryNames)
{
    Home home;
    RunningTockwise app(home);
    ASSERT_TRUE(app.serving());
    const Outcome several = runTockwise(home, {"--new-clock", "deutschland"});
    EXPECT_EQ(several.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(several.standardError)
                    .contains("  Europe/Busingen  Büsingen, Deutschland\n"
                              "Nennen Sie eine dieser Zeitzonen"))
        << several.standardError.toStdString();
    EXPECT_EQ(app.listed().size(), 1) << "no clock for several zones";
    EXPECT_TRUE(app.quit().cleanExit());
}
