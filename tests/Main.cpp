// The one main of the in-process tests: private XDG folders, so that no test
// reads or writes the settings of whoever runs it; the neutral locale for dates
// and texts; only the fonts the project pins, so that pictures come out alike on
// every machine; and the application object the program itself has.

#include "Support.h"
#include "app/TKWApplication.h"

using namespace tockwise;

int main(int argc, char *argv[])
{
    const Home home;
    if (!QFileInfo(home.path()).isDir()) {
        return 2;
    }
    home.useHere();
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
