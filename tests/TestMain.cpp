// Every test process runs with private XDG folders, so that no test reads or
// writes the settings of the user who runs it.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tockwise-test-XXXXXX"));
    if (!home.isValid()) {
        return 2;
    }
    for (const auto &[variable, folder] :
         {std::pair{"XDG_CONFIG_HOME", "/config"}, std::pair{"XDG_DATA_HOME", "/data"},
          std::pair{"XDG_CACHE_HOME", "/cache"}, std::pair{"XDG_STATE_HOME", "/state"},
          std::pair{"XDG_RUNTIME_DIR", "/runtime"}}) {
        const QByteArray path = QFile::encodeName(home.path()) + folder;
        QDir().mkpath(QFile::decodeName(path));
        QFile::setPermissions(QFile::decodeName(path),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv(variable, path.constData(), 1);
    }

    // Dates and AM/PM texts in the tests are those of the neutral locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("TZ");

    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work where no display (nor offscreen setting) exists.
    std::unique_ptr<QApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        app = std::make_unique<QApplication>(argc, argv);
    }
    return RUN_ALL_TESTS();
}
