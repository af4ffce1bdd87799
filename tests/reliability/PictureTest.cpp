// Hostile face pictures set on a clock, met by the real tockwise both when it draws
// one clock (--render) and when it runs: no picture is shown, nothing crashes, and
// the process never grows past a safety limit.

#include "Support.h"
#include "app/TKWController.h"
#include "platform/PropertyListFile.h"
#include "platform/ValueTransformer.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <gtest/gtest.h>

#include <iostream>

using namespace Reliability;

namespace {

// Far above what a clock needs (about 60 MB here), far below what a decoded
// 100000 x 100000 picture would take (40 GB).
constexpr long memoryLimitKb = 300 * 1024;

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

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

// A few hundred bytes that declare a 100000 x 100000 RGBA picture.
QByteArray decompressionBomb()
{
    const QByteArray header =
        bigEndian(100000) + bigEndian(100000) + QByteArray("\x08\x06\0\0\0", 5);
    const QByteArray rows = qCompress(QByteArray(64 * 1024, '\0')).sliced(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", rows) +
           chunk("IEND", {});
}

QByteArray truncatedJpeg()
{
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return buffer.data().left(buffer.data().size() * 6 / 10);
}

PropertyList aliasTo(const QString &path)
{
    TKWController::initialize();
    return ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"))
        ->reverseTransformedValue(PropertyList::string(path));
}

} // namespace

TEST(Pictures, HostilePicturesShowNoPictureAndStayUnderTheMemoryLimit)
{
    Home home;
    const QDir folder(home.settingsFolder());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    ASSERT_TRUE(PropertyListFile::write(home.defaultsFile(),
                                        {{Keys::Converted, PropertyList::boolean(true)}}));
    const struct
    {
        const char *name;
        QByteArray bytes;
    } pictures[] = {
        {"bomb.png", decompressionBomb()},
        {"cut.jpg", truncatedJpeg()},
        {"text.png", QByteArray("This is a text file with the name of a picture.\n").repeated(40)},
    };

    PropertyList::Dictionary plain = TKWWindowController::defaultConfig();
    plain.insert(Keys::TimeZone, PropertyList::string(QStringLiteral("UTC")));
    plain.insert(Keys::Opacity, PropertyList::real(1));
    ASSERT_TRUE(PropertyListFile::write(home.filePath(QStringLiteral("plain.tkw")), plain));
    const QStringList render = {QStringLiteral("--time"), QStringLiteral("2026-12-06T10:10:30Z"),
                                QStringLiteral("--render")};
    const Outcome reference =
        tockwise(home, render + QStringList{home.filePath(QStringLiteral("plain.png")),
                                            QStringLiteral("--settings"),
                                            home.filePath(QStringLiteral("plain.tkw"))});
    ASSERT_TRUE(reference.cleanExit()) << reference.describe();
    const QImage expected(home.filePath(QStringLiteral("plain.png")));
    ASSERT_FALSE(expected.isNull());

    QHash<QString, FileState> before;
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        const QString path = home.filePath(QLatin1String(picture.name));
        ASSERT_TRUE(writeFile(path, picture.bytes));
        before[path] = fileState(path);
        PropertyList::Dictionary settings = plain;
        settings.insert(Keys::UseFaceImage, PropertyList::boolean(true));
        settings.insert(Keys::FaceImage, aliasTo(path));
        ASSERT_FALSE(settings.value(Keys::FaceImage).isNone());
        const QString clock =
            folder.filePath(QString::fromLatin1(picture.name) + QStringLiteral(".tkw"));
        ASSERT_TRUE(PropertyListFile::write(clock, settings));

        const QString out =
            home.filePath(QString::fromLatin1(picture.name) + QStringLiteral("-render.png"));
        const Outcome drawn =
            tockwise(home, render + QStringList{out, QStringLiteral("--settings"), clock});
        EXPECT_TRUE(drawn.cleanExit()) << drawn.describe();
        EXPECT_LT(drawn.peakMemoryKb, memoryLimitKb) << drawn.describe();
        EXPECT_EQ(QImage(out), expected) << "the clock is drawn as without a picture";
    }

    // The running application meets all three at once.
    RunningTockwise app(home);
    ASSERT_TRUE(app.serving()) << app.process().standardError().toStdString();
    EXPECT_EQ(app.listedFiles().size(), 3);
    const Outcome ended = app.quit();
    EXPECT_TRUE(ended.cleanExit()) << ended.describe();
    EXPECT_LT(ended.peakMemoryKb, memoryLimitKb) << ended.describe();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        EXPECT_EQ(fileState(it.key()), it.value()) << it.key().toStdString();
    }
    std::cout << "peak memory of the running application: " << ended.peakMemoryKb / 1024 << " MB"
              << std::endl;
}
