// A face picture that claims to be huge, and one that is no picture at all, met by
// the running application: no picture is shown, nothing crashes, the files stay as
// they were, and the process never grows past a safety limit.

#include "Support.h"
#include "app/TKWController.h"
#include "settings/SettingsKeys.h"
#include "store/PropertyListFile.h"
#include "store/ValueTransformer.h"
#include "window/TKWWindowController.h"

using namespace tockwise;

namespace {

// A PNG chunk with its CRC-32 (ISO 3309, as PNG defines it).
QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray body = type + data;
    quint32 crc = 0xffffffffu;
    for (const char byte : body) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return bigEndian(quint32(data.size())) + body + bigEndian(~crc);
}

} // namespace

TEST(Pictures, HostilePicturesShowNoPictureAndStayUnderTheMemoryLimit)
{
    // A few hundred bytes that declare a 100000 x 100000 RGBA picture: 40 GB decoded.
    const QByteArray bomb =
        QByteArray("\x89PNG\r\n\x1a\n", 8) +
        chunk("IHDR", bigEndian(100000) + bigEndian(100000) + QByteArray("\x08\x06\0\0\0", 5)) +
        chunk("IDAT", qCompress(QByteArray(64 * 1024, '\0')).sliced(4)) + chunk("IEND", {});
    Home home;
    ASSERT_TRUE(QDir().mkpath(home.settingsFolder()));
    ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(),
                                        {{Keys::Converted, PropertyList::boolean(true)}}));
    TKWController::initialize();
    const auto *alias = ValueTransformer::valueTransformerForName("TKWPathToAliasTransformer");
    QHash<QString, FileState> before;
    for (const auto &[name, bytes] :
         {std::pair{"bomb.png", bomb}, std::pair{"text.png", QByteArray("Not a picture.\n")}}) {
        const QString path = home.filePath(name);
        PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
        settings.insert(Keys::UseFaceImage, PropertyList::boolean(true));
        settings.insert(Keys::FaceImage,
                        alias->reverseTransformedValue(PropertyList::string(path)));
        const QString clock = QDir(home.settingsFolder()).filePath(name + QString(".tkw"));
        ASSERT_TRUE(writeFile(path, bytes) && PropertyListFile::write(clock, settings));
        before[path] = fileState(path);
        before[clock] = fileState(clock);
    }

    RunningTockwise app(home);
    ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
    EXPECT_EQ(app.listed().size(), 2);
    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
    // Far above what a clock needs (about 60 MB here), far below the bomb.
    EXPECT_LT(ended.peakMemoryKb, 300 * 1024) << ended.describe();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        EXPECT_EQ(fileState(it.key()), it.value()) << it.key().toStdString();
    }
}
