#include "platform/PictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray bigEndian32(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&big), sizeof big);
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    quint32 crc = 0xffffffffu;
    for (const char byte : body) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xedb88320u : 0u);
        }
    }
    return bigEndian32(static_cast<quint32>(data.size())) + body + bigEndian32(~crc);
}

// An 8-bit grey PNG declaring any size, with black pixels for its first row.
QByteArray greyPng(quint32 width, quint32 height)
{
    const QByteArray header =
        bigEndian32(width) + bigEndian32(height) + QByteArray("\x08\0\0\0\0", 5);
    const QByteArray row(static_cast<qsizetype>(width) + 1, '\0');
    const QByteArray zlib = qCompress(row).sliced(4); // less the length qCompress puts first
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib) +
           pngChunk("IEND", {});
}

// Red on the left, blue on the right.
QByteArray encoded(const char *format, bool progressive = false)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y) {
        std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)), 20, qRgb(255, 0, 0));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

// EXIF orientation 6: turn 90° clockwise to show.
QByteArray turnedJpeg()
{
    const QByteArray exif("\xff\xe1\x00\x22"
                          "Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01"
                          "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00",
                          36);
    const QByteArray jpeg = encoded("jpeg");
    return jpeg.left(2) + exif + jpeg.sliced(2);
}

class PictureReading : public ::testing::Test
{
protected:
    QImage read(const char *name, const QByteArray &contents)
    {
        QFile file(mFolder.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        file.close();
        const QImage image = PictureReader::read(file.fileName());
        // The same bytes in memory read as the same picture, or as none alike.
        EXPECT_TRUE(PictureReader::fromData(contents) == image) << name;
        return image;
    }

    QTemporaryDir mFolder;
};

} // namespace

TEST_F(PictureReading, GoodPicturesReadUprightInThePaintingFormat)
{
    const QByteArray jpeg = encoded("jpeg");
    const struct
    {
        const char *name;
        QByteArray contents;
        bool turned;
    } rows[] = {
        {"face.png", encoded("png"), false},
        {"png-named.jpg", encoded("png"), false},
        {"baseline.jpg", jpeg, false},
        {"progressive.jpg", encoded("jpeg", true), false},
        {"trailing-bytes.jpg", jpeg + "trailer", false},
        {"turned.jpg", turnedJpeg(), true},
    };
    for (const auto &row : rows) {
        const QImage image = read(row.name, row.contents);
        EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied) << row.name;
        ASSERT_EQ(image.size(), row.turned ? QSize(20, 40) : QSize(40, 20)) << row.name;
        // The red left half of the stored picture is the top half once turned.
        const QPoint red = row.turned ? QPoint(10, 5) : QPoint(5, 10);
        EXPECT_GT(qRed(image.pixel(red)), 200) << row.name;
        EXPECT_GT(qBlue(image.pixel(image.width() - red.x(), image.height() - red.y())), 200)
            << row.name;
    }
    EXPECT_EQ(read("widest.png", greyPng(PictureReader::maximumSide, 1)).width(),
              PictureReader::maximumSide);
}

TEST_F(PictureReading, DamagedOrHostileFilesReadAsNull)
{
    const QByteArray jpeg = encoded("jpeg");
    const QByteArray progressive = encoded("jpeg", true);
    const struct
    {
        const char *name;
        QByteArray contents;
    } rows[] = {
        {"bomb.png", greyPng(100000, 100000)},
        {"one-pixel-too-wide.png", greyPng(PictureReader::maximumSide + 1, 1)},
        {"rows-missing.png", greyPng(64, 64)},
        {"text.png", "This is not a picture.\n"},
        {"empty.png", QByteArray()},
        {"cut-at-90-percent.jpg", jpeg.left(jpeg.size() * 9 / 10)},
        {"cut-at-half.jpg", jpeg.left(jpeg.size() / 2)},
        {"end-marker-missing.jpg", jpeg.chopped(2)},
        {"progressive-cut.jpg", progressive.left(progressive.size() * 9 / 10)},
    };
    for (const auto &row : rows) {
        EXPECT_TRUE(read(row.name, row.contents).isNull()) << row.name;
    }
    EXPECT_TRUE(PictureReader::read(QStringLiteral("/no/such/picture.png")).isNull());
}

TEST(PictureTypes, SuffixesComeFromTheImagePlugins)
{
    EXPECT_TRUE(PictureReader::nameFilter().split(u' ').contains(QStringLiteral("*.png")));
    for (const char *name : {"face.png", "/home/u/Photo.JPEG"}) {
        EXPECT_TRUE(PictureReader::hasReadableSuffix(QString::fromUtf8(name))) << name;
    }
    for (const char *name : {"notes.txt", "png", "folder.png/notes", "face.png.gz", ""}) {
        EXPECT_FALSE(PictureReader::hasReadableSuffix(QString::fromUtf8(name))) << name;
    }
}
