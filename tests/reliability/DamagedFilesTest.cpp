// Settings files that are damaged, huge, links or no files at all, met by the real
// tockwise at launch: each is named once and left exactly as it was, and the
// clocks of the good files open and quit as usual.

#include "Support.h"
#include "platform/PropertyListFile.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <sys/stat.h>

using namespace Reliability;

namespace {

QByteArray randomBytes(std::mt19937 &random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

const QByteArray plistHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                               "<plist version=\"1.0\">\n";

} // namespace

TEST(DamagedFiles, AreNamedOnceAndKeptWhileTheGoodClocksOpen)
{
    const std::uint32_t seed = std::random_device()();
    std::cout << "random bytes from seed " << seed << std::endl;
    std::mt19937 random(seed);

    Home home;
    const QDir folder(home.settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(),
                                        {{Keys::Converted, PropertyList::boolean(true)}}));
    PropertyList::Dictionary good = TKWWindowController::defaultConfig();
    const QStringList goodFiles = {folder.filePath(QStringLiteral("A-good.tkw")),
                                   folder.filePath(QStringLiteral("z-good.tkw"))};
    for (const QString &file : goodFiles) {
        ASSERT_TRUE(PropertyListFile::write(file, good));
    }
    const QByteArray xml = PropertyListFile::toXml(good);
    // {"TKWClockSize": 128, "TKWTimeZone": "UTC"}, binary, as Python's plistlib writes it.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d2010203045c544b57436c6f636b53697a655b544b5754696d655a6f6e651080535554"
        "43080d1a2628000000000000010100000000000000050000000000000000000000000000002c");

    const auto file = [&folder](const char *name) {
        return folder.filePath(QString::fromUtf8(name));
    };
    const QString elsewhere = home.filePath(QStringLiteral("elsewhere.tkw"));
    ASSERT_TRUE(PropertyListFile::write(elsewhere, good));
    ASSERT_TRUE(writeFile(file("random.tkw"), randomBytes(random, 4096)));
    ASSERT_TRUE(writeFile(file("truncated.tkw"), xml.left(xml.size() / 2)));
    ASSERT_TRUE(writeFile(file("empty.tkw"), {}));
    ASSERT_TRUE(writeFile(file("array-root.tkw"),
                          plistHeader + "<array><integer>128</integer></array>\n</plist>\n"));
    ASSERT_TRUE(writeFile(file("string-root.tkw"), plistHeader + "<string>x</string></plist>\n"));
    ASSERT_TRUE(writeFile(file("binary-cut.tkw"), binary.chopped(9)));
    // A dictionary whose key is the integer 5: keys are strings in every settings file.
    ASSERT_TRUE(writeFile(file("binary-integer-key.tkw"),
                          QByteArray::fromHex("62706c6973743030d10102100510070"
                                              "80b0d000000000000010100000000000000030000000000"
                                              "000000000000000000000f")));
    // {"ok": 1, "uid": UID(1)}: archiver UIDs are never settings.
    ASSERT_TRUE(writeFile(file("binary-uid.tkw"),
                          QByteArray::fromHex("62706c6973743030d201020304526f6b5375696410018001080d"
                                              "1014160000000000000101000000000000000500000000000000"
                                              "00000000000000000018")));
    {
        // 100 MB that takes no room on the disc.
        QFile huge(file("huge.tkw"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(100 * 1024 * 1024));
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), file("zero.tkw")));
    ASSERT_TRUE(QFile::link(elsewhere, file("elsewhere.tkw")));
    ASSERT_TRUE(QFile::link(home.filePath(QStringLiteral("missing")), file("dangling.tkw")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(file("fifo.tkw")).constData(), 0600), 0);

    const QStringList damaged = {file("random.tkw"),
                                 file("truncated.tkw"),
                                 file("empty.tkw"),
                                 file("array-root.tkw"),
                                 file("string-root.tkw"),
                                 file("binary-cut.tkw"),
                                 file("binary-integer-key.tkw"),
                                 file("binary-uid.tkw"),
                                 file("huge.tkw"),
                                 file("zero.tkw"),
                                 file("elsewhere.tkw"),
                                 file("dangling.tkw"),
                                 file("fifo.tkw")};
    QHash<QString, FileState> before;
    for (const QString &path : damaged + QStringList{elsewhere}) {
        before[path] = fileState(path);
    }
    const QStringList names =
        folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);

    RunningTockwise app(home);
    // Nothing it meets may hold the launch up.
    ASSERT_TRUE(app.serving(20s)) << app.process().standardError().toStdString();
    EXPECT_EQ(app.listedFiles(), goodFiles);
    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();

    const QStringList lines = QString::fromLocal8Bit(ended.standardError).split(u'\n');
    for (const QString &path : damaged) {
        EXPECT_EQ(lines.filter(path).size(), 1) << path.toStdString() << " is named once in:\n"
                                                << ended.standardError.toStdString();
        EXPECT_EQ(fileState(path), before[path])
            << path.toStdString() << ": " << describe(fileState(path)) << " was "
            << describe(before[path]);
    }
    EXPECT_EQ(fileState(elsewhere), before[elsewhere]);
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name),
              names)
        << "nothing added, nothing moved aside";
    for (const QString &path : goodFiles) {
        EXPECT_EQ(PropertyListFile::read(path), good) << path.toStdString();
    }
    std::cout << damaged.size() << " damaged files, " << goodFiles.size() << " good ones"
              << std::endl;
}
