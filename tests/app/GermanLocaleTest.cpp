// Tockwise on a German desktop, where the session names the locale with LANG alone.
// Its own main: the shared one pins every test to the neutral locale.

#include "platform/DateFormatter.h"
#include "platform/StringTable.h"
#include "platform/TimeZone.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// 2026-12-06 10:10:30 UTC, a Sunday.
const Instant sunday{std::chrono::seconds(1796551830)};

struct Outcome
{
    int exitCode = -1;
    QString standardOutput;
    QString standardError;
};

// The real program, in this process's environment with `changes` on top.
Outcome tockwise(const QStringList &arguments, const QProcessEnvironment &changes = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(changes);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOCKWISE_BINARY), arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool qtHasGerman()
{
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                         QStringLiteral("/qtbase_de.qm"));
}

} // namespace

TEST(GermanLocale, TockwiseSpeaksGermanAndUnknownKeysShowThemselves)
{
    ASSERT_TRUE(StringTable::install());
    EXPECT_EQ(QCoreApplication::translate("TKWController", "Settings…"),
              QStringLiteral("Einstellungen…"));
    EXPECT_EQ(StringTable::localizedString(StringTable::LastClockTitle),
              QStringLiteral("Die letzte Uhr entfernen?"));
    EXPECT_EQ(StringTable::localizedString(StringTable::Cancel), QStringLiteral("Abbrechen"));
    EXPECT_EQ(StringTable::localizedString(QStringLiteral("NoSuchKey")),
              QStringLiteral("NoSuchKey"));
}

TEST(GermanLocale, QtButtonsFollowTockwisesLanguage)
{
    if (!qtHasGerman()) {
        GTEST_SKIP() << "Qt's German translation is not installed (qt6-translations-l10n)";
    }
    ASSERT_TRUE(StringTable::install());
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));

    // Qt stays English with Tockwise, rather than following the locale on its own.
    ASSERT_TRUE(StringTable::install(QLocale(QLocale::French)));
    QDialogButtonBox english(QDialogButtonBox::Cancel);
    EXPECT_EQ(english.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    ASSERT_TRUE(StringTable::install());
}

TEST(GermanLocale, DatesAndWeekdaysAreGerman)
{
    const std::optional<TimeZone> berlin = TimeZone::named(QStringLiteral("Europe/Berlin"));
    ASSERT_TRUE(berlin);
    EXPECT_EQ(DateFormatter(QStringLiteral("EEEE"), *berlin).format(sunday),
              QStringLiteral("Sonntag"));
    EXPECT_EQ(DateFormatter(QStringLiteral("EEE"), *berlin).format(sunday), QStringLiteral("So."));
    EXPECT_EQ(DateFormatter(DateFormatter::Style::Medium, DateFormatter::Style::None, *berlin)
                  .format(sunday),
              QStringLiteral("06.12.2026"));
}

TEST(GermanLocale, CommandLineHelpAndErrorsAreGerman)
{
    const Outcome help = tockwise({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0) << help.standardError.toStdString();
    EXPECT_TRUE(help.standardOutput.contains(u"Uhren, die auf Ihrem Schreibtisch schweben."))
        << help.standardOutput.toStdString();
    EXPECT_TRUE(help.standardOutput.contains(u"Zeichnet ein einzelnes Bild einer Uhr"));
    if (qtHasGerman()) {
        EXPECT_TRUE(help.standardOutput.contains(u"Optionen:"));
    }

    const Outcome wrong = tockwise({QStringLiteral("--click-through"), QStringLiteral("maybe")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.standardError.contains(
        QStringLiteral("--click-through erwartet on, off oder toggle, nicht „maybe“.")))
        << wrong.standardError.toStdString();

    const QTemporaryDir dir;
    const Outcome render =
        tockwise({QStringLiteral("--render"), dir.filePath(QStringLiteral("a.png")),
                  QStringLiteral("--scale"), QStringLiteral("99")});
    EXPECT_EQ(render.exitCode, 2);
    EXPECT_TRUE(render.standardError.contains(
        QStringLiteral("--scale erwartet eine Zahl von 0.25 bis 16, nicht „99“")))
        << render.standardError.toStdString();
}

TEST(GermanLocale, TheCLocaleAndUnknownLanguagesGetEnglish)
{
    for (const char *lang : {"C.UTF-8", "POSIX", "xx_YY.UTF-8"}) {
        QProcessEnvironment changes;
        changes.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
        const Outcome help = tockwise({QStringLiteral("--help")}, changes);
        EXPECT_TRUE(help.standardOutput.contains(u"Clocks that float on your desktop."))
            << lang << ": " << help.standardOutput.toStdString();
        EXPECT_TRUE(help.standardOutput.contains(u"Options:")) << lang;
    }
}

int main(int argc, char *argv[])
{
    setenv("LANG", "de_DE.UTF-8", 1);
    for (const char *outranking : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_TIME"}) {
        unsetenv(outranking);
    }
    unsetenv("TZ");
    // The programs started here stop at their arguments; private folders all the same.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tockwise-test-XXXXXX"));
    if (!home.isValid()) {
        return 2;
    }
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        setenv(variable, QFile::encodeName(home.path()).constData(), 1);
    }

    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        app = std::make_unique<QApplication>(argc, argv);
    }
    return RUN_ALL_TESTS();
}
