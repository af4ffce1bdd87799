// Face pictures: upright when good, none when damaged or past the size limit.

#include "graphics/PictureReader.h"

#include "Support.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

using namespace tockwise;

namespace {

// Red on the left, blue on the right.
QByteArray encoded(const char *format, QSize size = {40, 20}, bool progressive = false,
                   QImage::Format pixels = QImage::Format_RGB32)
{
    QImage image(size, pixels);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.setCompression(1); // TIFF's LZW
    writer.write(image);
    return buffer.data();
}

// The same bytes read as the same picture from a file and from memory.
QImage read(const Scratch &dir, const char *name, const QByteArray &bytes)
{
    EXPECT_TRUE(writeFile(dir.filePath(name), bytes));
    const QImage image = PictureReader::read(dir.filePath(name));
    EXPECT_TRUE(PictureReader::fromData(bytes) == image) << name;
    return image;
}

QByteArray littleEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// Progressive, four components, DC scans with no data and nothing else: libjpeg
// keeps every coefficient of the picture, 8 bytes a pixel, and passes over them
// at every scan.
QByteArray progressiveJpeg(const char *heightAndWidth, int scans)
{
    QByteArray bytes = QByteArray::fromHex("ffd8ffdb004300") + QByteArray(64, 1) +
                       QByteArray::fromHex(QByteArray("ffc2001408") + heightAndWidth +
                                           "04011100021100031100041100ffc400140001") +
                       QByteArray(16, 0);
    for (int i = 0; i < scans; ++i) {
        bytes += QByteArray::fromHex("ffda000e040100020003000400") + QByteArray(19, 0);
    }
    return bytes + QByteArray::fromHex("ffd9");
}

} // namespace

TEST(PictureReader, GoodPicturesReadUprightInThePaintingFormat)
{
    // EXIF orientation 6: turn 90° clockwise to show.
    const QByteArray exif("\xff\xe1\x00\x22"
                          "Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01"
                          "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00",
                          36);
    const QByteArray jpeg = encoded("jpeg");
    const std::tuple<const char *, QByteArray, bool> rows[] = {
        {"face.png", encoded("png"), false},
        {"progressive.jpg", encoded("jpeg", {40, 20}, true), false},
        {"turned.jpg", jpeg.left(2) + exif + jpeg.sliced(2), true},
    };
    Scratch dir;
    for (const auto &[name, bytes, turned] : rows) {
        const QImage image = read(dir, name, bytes);
        EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied) << name;
        ASSERT_EQ(image.size(), turned ? QSize(20, 40) : QSize(40, 20)) << name;
        // The red left half of the stored picture is the top half once turned.
        EXPECT_EQ(image.pixelColor(turned ? QPoint(10, 5) : QPoint(5, 10)).red() / 64, 3) << name;
        EXPECT_EQ(image.pixelColor(turned ? QPoint(10, 35) : QPoint(35, 10)).blue() / 64, 3);
    }
    EXPECT_EQ(read(dir, "widest.png", encoded("png", {PictureReader::maximumSide, 1})).width(),
              PictureReader::maximumSide);
}

// Each type read, past its limits, and the types not read at all (SVG, whose cost
// no size bounds, named as a PNG): each reads as no picture. Without the limits
// most read as a picture, at hundreds of megabytes and seconds.
TEST(PictureReader, DamagedBytesAndSizesPastTheLimitReadAsNoPicture)
{
    const QByteArray jpeg = encoded("jpeg");
    const QByteArray progressive = encoded("jpeg", {40, 20}, true);
    const QByteArray tooWide = encoded("png", {PictureReader::maximumSide + 1, 1});
    const QByteArray webpFrame = encoded("webp", {1, 1}).sliced(12);
    const QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'/>");
    const std::tuple<const char *, const char *, QByteArray> rows[] = {
        {"png", "one-pixel-too-wide.png", tooWide},
        {"png", "one-pixel-too-high.png", encoded("png", {1, PictureReader::maximumSide + 1})},
        {"png", "cut.png", encoded("png").chopped(20)},
        {"png", "empty.png", QByteArray()},
        {"jpeg", "cut-at-90-percent.jpg", jpeg.left(jpeg.size() * 9 / 10)},
        {"jpeg", "end-marker-missing.jpg", jpeg.chopped(2)},
        {"jpeg", "progressive-cut.jpg", progressive.left(progressive.size() * 9 / 10)},
        {"ico", "holding-8193x1.ico",
         QByteArray::fromHex("00000100010000000000010020") + littleEndian(tooWide.size()) +
             littleEndian(22) + tooWide},
        {"jpeg", "progressive-8192x4097.jpg", progressiveJpeg("10012000", 1)},
        {"jpeg", "101-scans.jpg", progressiveJpeg("00100010", 101)},
        {"gif", "8192x4097.gif",
         QByteArray::fromHex("47494638396100200110800000000000ffffff"
                             "2c00000000010001000002024401003b")},
        {"bmp", "8192x4097-rle.bmp",
         "BM" + littleEndian(0) + littleEndian(0) + littleEndian(1078) + littleEndian(40) +
             littleEndian(8192) + littleEndian(4097) + QByteArray::fromHex("0100080001000000") +
             QByteArray(12, 0) + littleEndian(256) + QByteArray(1028, 0) +
             QByteArray::fromHex("0001")},
        {"tiff", "8193x1.tiff", encoded("tiff", {8193, 1})},
        {"webp", "8192x4097-canvas.webp",
         "RIFF" + littleEndian(webpFrame.size() + 60) + "WEBPVP8X" + littleEndian(10) +
             QByteArray::fromHex("12000000ff1f00001000") + "ANIM" + littleEndian(6) +
             QByteArray(6, 0) + "ANMF" + littleEndian(webpFrame.size() + 16) + QByteArray(16, 0) +
             webpFrame},
        {"pbm", "8193x1.pbm", "P4 8193 1\n" + QByteArray(1025, 0)},
        {"xbm", "8193x1.xbm",
         "#define f_width 8193\n#define f_height 1\nstatic char f_bits[] = {0};"},
        {"xpm", "8193x1.xpm", "/* XPM */\nstatic char *f[] = {\n\"8193 1 1 1\",\n\"a c #000\"};"},
        {"svg", "drawing.png", svg},
        {"svgz", "gzipped-drawing.png",
         QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10) + qCompress(svg).sliced(6).chopped(4)},
        {"icns", "icon.png", encoded("icns", {16, 16})},
    };
    Scratch dir;
    for (const auto &[format, name, bytes] : rows) {
        if (!QImageReader::supportedImageFormats().contains(format)) {
            std::printf("No plug-in reads %s: %s is not tried.\n", format, name);
            continue;
        }
        EXPECT_TRUE(read(dir, name, bytes).isNull()) << name;
    }
    for (const char *name : {"face.svg", "face.svgz", "face.icns", "face.mng"}) {
        EXPECT_FALSE(PictureReader::hasReadableSuffix(name)) << name;
        EXPECT_FALSE(PictureReader::nameFilter().contains(QFileInfo(name).suffix())) << name;
    }
}
