// Runs with a TKWApplication as the application object, which the shared test
// main cannot give: it makes a plain one, and a process has only one.

#include "app/TKWApplication.h"

#include "platform/AutostartEntry.h"
#include "platform/DesktopEntryFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

TKWApplication *application()
{
    return qobject_cast<TKWApplication *>(qApp);
}

TEST(TKWApplication, WindowIconDrawsARoundDialAtSmallSizes)
{
    const QIcon icon = TKWApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int side : {16, 22, 32, 48}) {
        SCOPED_TRACE(side);
        const QImage image =
            icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(side, side));
        const int middle = side / 2;
        const int inset = side / 8;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(side - 1, side - 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(middle, middle)), 255);
        EXPECT_EQ(qAlpha(image.pixel(middle, inset)), 255);
        EXPECT_EQ(qAlpha(image.pixel(inset, middle)), 255);
    }
}

TEST(TKWApplication, AutoLaunchPropertyKeepsTheEntryOfThisExecutable)
{
    QDir(AutostartEntry::folder()).removeRecursively();
    std::vector<bool> changes;
    const QMetaObject::Connection connection = QObject::connect(
        application(), &TKWApplication::autoLaunchChanged, [&](bool on) { changes.push_back(on); });
    EXPECT_FALSE(application()->property("autoLaunch").toBool());

    ASSERT_TRUE(application()->setProperty("autoLaunch", true));
    const QString path = QDir(AutostartEntry::folder()).filePath(AutostartEntry::preferredFileName);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString canonical =
        QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    EXPECT_TRUE(
        file.readAll().contains("\nExec=" + DesktopEntryFormat::execValue(canonical)->toUtf8()));
    EXPECT_TRUE(application()->autoLaunch());

    application()->setAutoLaunch(false);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(application()->autoLaunch());
    QObject::disconnect(connection);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tockwise-test-XXXXXX"));
    if (!home.isValid()) {
        return 2;
    }
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv(variable, QFile::encodeName(folder).constData(), 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests must work where no display (nor offscreen setting) exists.
    std::unique_ptr<TKWApplication> app;
    if (!::testing::GTEST_FLAG(list_tests)) {
        app = std::make_unique<TKWApplication>(argc, argv);
    }
    return RUN_ALL_TESTS();
}
