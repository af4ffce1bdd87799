#include "graphics/PictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <array>

namespace {

// As Qt names them, by content or by suffix.
constexpr std::array<QByteArrayView, 15> readFormats = {"bmp", "cur",  "gif",  "ico", "jpeg",
                                                        "jpg", "pbm",  "pgm",  "png", "ppm",
                                                        "tif", "tiff", "webp", "xbm", "xpm"};

// libjpeg passes over the whole picture once a scan, and a small progressive
// file may hold thousands of near-empty scans; encoders write a few dozen.
constexpr int maximumJpegScans = 100;

bool isReadFormat(const QByteArray &format)
{
    return std::find(readFormats.begin(), readFormats.end(), format) != readFormats.end();
}

// Counted as Qt counts its allocation limit: at least 4 bytes a pixel, more for a
// deeper `format` (as decoded). Checked before decoding, since some decoders
// allocate more than the picture before they ask for the picture.
bool withinLimits(QSize size, QImage::Format format)
{
    const qint64 bytesPerPixel = std::max(4, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    return !size.isEmpty() && size.width() <= PictureReader::maximumSide &&
           size.height() <= PictureReader::maximumSide &&
           qint64(size.width()) * size.height() * bytesPerPixel <=
               qint64(PictureReader::allocationLimitMegabytes) * 1024 * 1024;
}

bool isRestartOrStuffing(uchar afterFF)
{
    return afterFF == 0x00 || (afterFF >= 0xD0 && afterFF <= 0xD7);
}

// libjpeg fills whatever a cut-off JPEG lacks with grey and reports success, so
// a truncated file would read as a partly grey picture. A whole file reaches its
// end-of-image marker by way of the segment lengths and the scans.
bool jpegReachesItsEnd(const uchar *data, qsizetype size)
{
    constexpr uchar soi = 0xD8, eoi = 0xD9, sos = 0xDA, tem = 0x01;
    if (size < 4 || data[0] != 0xFF || data[1] != soi) {
        return false;
    }
    qsizetype pos = 2;
    int scans = 0;
    while (true) {
        // libjpeg skips stray bytes before a marker, and so does this.
        while (pos < size && data[pos] != 0xFF) {
            ++pos;
        }
        while (pos < size && data[pos] == 0xFF) {
            ++pos;
        }
        if (pos >= size) {
            return false;
        }
        const uchar marker = data[pos++];
        if (marker == eoi) {
            return true;
        }
        if (marker == tem || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;
        }
        if (pos + 2 > size) {
            return false;
        }
        const qsizetype length = (qsizetype(data[pos]) << 8) | data[pos + 1];
        if (length < 2 || pos + length > size) {
            return false;
        }
        pos += length;
        if (marker == sos && ++scans > maximumJpegScans) {
            return false;
        }
        if (marker == sos) {
            while (pos + 1 < size && !(data[pos] == 0xFF && !isRestartOrStuffing(data[pos + 1]))) {
                ++pos;
            }
            if (pos + 1 >= size) {
                return false;
            }
        }
    }
}

bool jpegFileIsWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0) {
        return false;
    }
    const uchar *data = file.map(0, file.size());
    return data && jpegReachesItsEnd(data, file.size());
}

// What both entry points share: the limits, the orientation and the format.
// `isWholeJpeg` is asked only of JPEG pictures.
template <typename WholeJpegCheck>
QImage readWith(QImageReader &reader, const WholeJpegCheck &isWholeJpeg)
{
    QImageReader::setAllocationLimit(PictureReader::allocationLimitMegabytes);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    // The type first: reading the size of some (SVG) costs as much as reading all.
    if (!reader.canRead() || !isReadFormat(reader.format())) {
        return {};
    }
    if (!withinLimits(reader.size(), reader.imageFormat())) {
        return {};
    }
    if (reader.format() == "jpeg" && !isWholeJpeg()) {
        return {};
    }
    // An ICO may hold a picture larger than it declares; the allocation limit
    // bounds that one, and this check what it became.
    QImage image = reader.read();
    if (image.isNull() || !withinLimits(image.size(), image.format())) {
        return {};
    }
    return std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

namespace PictureReader {

QImage read(const QString &path)
{
    QImageReader reader(path);
    return readWith(reader, [&path] { return jpegFileIsWhole(path); });
}

QImage fromData(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readWith(reader, [&bytes] {
        return jpegReachesItsEnd(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    });
}

QStringList readableSuffixes()
{
    QStringList suffixes;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        if (isReadFormat(format)) {
            suffixes.append(QString::fromLatin1(format));
        }
    }
    suffixes.sort();
    suffixes.removeDuplicates();
    return suffixes;
}

QString nameFilter()
{
    QStringList patterns;
    for (const QString &suffix : readableSuffixes()) {
        patterns.append(QStringLiteral("*.") + suffix);
    }
    return patterns.join(u' ');
}

bool hasReadableSuffix(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return !suffix.isEmpty() && readableSuffixes().contains(suffix);
}

} // namespace PictureReader
