// The one main of the in-process tests: private XDG folders, so that no test
// reads or writes the settings of whoever runs it; the neutral locale for dates
// and texts; only the fonts the project pins, so that pictures come out alike on
// every machine; and the application object the program itself has.

#include "app/TKWApplication.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + "/tockwise-test-XXXXXX");
    if (!home.isValid()) {
        return 2;
    }
    for (const auto &[variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", "/config"}, std::pair{"XDG_DATA_HOME", "/data"},
          std::pair{"XDG_CACHE_HOME", "/cache"}, std::pair{"XDG_STATE_HOME", "/state"},
          std::pair{"XDG_RUNTIME_DIR", "/runtime"}}) {
        const QString path = home.path() + folder;
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv(variable, QFile::encodeName(path).constData(), 1);
    }
    // A test that needs another language names it; everyone else gets none.
    if (const char *language = std::getenv("TOCKWISE_TEST_LANG")) {
        setenv("LANG", language, 1);
        for (const char *outranking : {"LC_ALL", "LC_MESSAGES", "LC_TIME"}) {
            unsetenv(outranking);
        }
    } else {
        setenv("LC_ALL", "C.UTF-8", 1);
    }
    unsetenv("LANGUAGE");
    unsetenv("TZ");
    setenv("FONTCONFIG_FILE", TEST_FONTS_CONF, 1);

    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work where no display (nor offscreen setting) exists.
    std::unique_ptr<TKWApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        app = std::make_unique<TKWApplication>(argc, argv);
    }
    const int failed = RUN_ALL_TESTS();
    // A filter that matches nothing must not pass as a test that ran.
    const bool ranNone = !::testing::GTEST_FLAG(list_tests) &&
                         ::testing::UnitTest::GetInstance()->test_to_run_count() == 0;
    return failed || ranNone ? 1 : 0;
}
