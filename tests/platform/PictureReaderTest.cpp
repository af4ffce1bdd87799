// Face pictures: upright when good, none when damaged or past the size limit.

#include "graphics/PictureReader.h"

#include "Support.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

namespace {

// Red on the left, blue on the right.
QByteArray encoded(const char *format, QSize size = {40, 20}, bool progressive = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
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

TEST(PictureReader, DamagedBytesAndSizesPastTheLimitReadAsNoPicture)
{
    const QByteArray jpeg = encoded("jpeg");
    const QByteArray progressive = encoded("jpeg", {40, 20}, true);
    const std::pair<const char *, QByteArray> rows[] = {
        {"one-pixel-too-wide.png", encoded("png", {PictureReader::maximumSide + 1, 1})},
        {"one-pixel-too-high.png", encoded("png", {1, PictureReader::maximumSide + 1})},
        {"cut.png", encoded("png").chopped(20)},
        {"empty.png", QByteArray()},
        {"cut-at-90-percent.jpg", jpeg.left(jpeg.size() * 9 / 10)},
        {"end-marker-missing.jpg", jpeg.chopped(2)},
        {"progressive-cut.jpg", progressive.left(progressive.size() * 9 / 10)},
    };
    Scratch dir;
    for (const auto &[name, bytes] : rows) {
        EXPECT_TRUE(read(dir, name, bytes).isNull()) << name;
    }
}
