#include "graphics/PictureReader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <array>

namespace tockwise {

namespace {

// As Qt names them, by content or by suffix, with what decoding one takes beside
// the picture, in pictures: a GIF or a WebP keeps a frame besides the canvas, a
// BMP or its decoder its rows again. Measured with hostile files.
struct ReadFormat
{
    QByteArrayView name;
    int cost;
};
constexpr std::array<ReadFormat, 15> readFormats = {{{"bmp", 2},
                                                     {"cur", 1},
                                                     {"gif", 2},
                                                     {"ico", 1},
                                                     {"jpeg", 1},
                                                     {"jpg", 1},
                                                     {"pbm", 1},
                                                     {"pgm", 1},
                                                     {"png", 1},
                                                     {"ppm", 1},
                                                     {"tif", 1},
                                                     {"tiff", 1},
                                                     {"webp", 2},
                                                     {"xbm", 1},
                                                     {"xpm", 1}}};
// A progressive JPEG's decoder keeps every coefficient of the picture, up to 8
// bytes a pixel.
constexpr int progressiveJpegCost = 3;

// libjpeg passes over the whole picture once a scan, and a small progressive
// file may hold thousands of near-empty scans; encoders write a few dozen.
constexpr int maximumJpegScans = 100;

// What decoding a picture of `format` takes, in pictures; 0 for a type not read.
int costOf(const QByteArray &format)
{
    const auto found =
        std::find_if(readFormats.begin(), readFormats.end(),
                     [&format](const ReadFormat &read) { return read.name == format; });
    return found != readFormats.end() ? found->cost : 0;
}

// Counted as Qt counts its allocation limit: at least 4 bytes a pixel, more for a
// deeper `format` (as decoded), `cost` times. Checked before decoding, since some
// decoders allocate more than the picture before they ask for the picture.
bool withinLimits(QSize size, QImage::Format format, int cost = 1)
{
    const qint64 bytesPerPixel = std::max(4, QImage::toPixelFormat(format).bitsPerPixel() / 8);
    return !size.isEmpty() && size.width() <= PictureReader::maximumSide &&
           size.height() <= PictureReader::maximumSide &&
           qint64(size.width()) * size.height() * bytesPerPixel * cost <=
               qint64(PictureReader::allocationLimitMegabytes) * 1024 * 1024;
}

bool isRestartOrStuffing(uchar afterFF)
{
    return afterFF == 0x00 || (afterFF >= 0xD0 && afterFF <= 0xD7);
}

bool isProgressiveFrame(uchar marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// What decoding a JPEG takes, in pictures, or 0 where it is cut short or holds
// too many scans. libjpeg fills whatever a cut-off JPEG lacks with grey and
// reports success, so a truncated file would read as a partly grey picture. A
// whole file reaches its end-of-image marker by way of the segment lengths and
// the scans.
int jpegCost(const uchar *data, qsizetype size)
{
    constexpr uchar soi = 0xD8, eoi = 0xD9, sos = 0xDA, tem = 0x01;
    if (size < 4 || data[0] != 0xFF || data[1] != soi) {
        return 0;
    }
    qsizetype pos = 2;
    int scans = 0;
    int cost = 1;
    while (true) {
        // libjpeg skips stray bytes before a marker, and so does this.
        while (pos < size && data[pos] != 0xFF) {
            ++pos;
        }
        while (pos < size && data[pos] == 0xFF) {
            ++pos;
        }
        if (pos >= size) {
            return 0;
        }
        const uchar marker = data[pos++];
        if (marker == eoi) {
            return cost;
        }
        if (isProgressiveFrame(marker)) {
            cost = progressiveJpegCost;
        }
        if (marker == tem || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;
        }
        if (pos + 2 > size) {
            return 0;
        }
        const qsizetype length = (qsizetype(data[pos]) << 8) | data[pos + 1];
        if (length < 2 || pos + length > size) {
            return 0;
        }
        pos += length;
        if (marker == sos && ++scans > maximumJpegScans) {
            return 0;
        }
        if (marker == sos) {
            while (pos + 1 < size && !(data[pos] == 0xFF && !isRestartOrStuffing(data[pos + 1]))) {
                ++pos;
            }
            if (pos + 1 >= size) {
                return 0;
            }
        }
    }
}

int jpegFileCost(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0) {
        return 0;
    }
    const uchar *data = file.map(0, file.size());
    return data ? jpegCost(data, file.size()) : 0;
}

// What both entry points share: the limits, the orientation and the format.
// `costOfJpeg` is asked only of JPEG pictures.
template <typename JpegCost> QImage readWith(QImageReader &reader, const JpegCost &costOfJpeg)
{
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    // The type first: reading the size of some (SVG) costs as much as reading all.
    const int cost = reader.canRead() ? costOf(reader.format()) : 0;
    const int decoding = cost != 0 && reader.format() == "jpeg" ? costOfJpeg() : cost;
    if (decoding == 0 || !withinLimits(reader.size(), reader.imageFormat(), decoding)) {
        return {};
    }
    // Some decoders allocate a larger picture than they declare (a GIF's screen
    // around its first frame, an ICO's inner picture): Qt's limit bounds that
    // one, and the check below what it became.
    QImageReader::setAllocationLimit(PictureReader::allocationLimitMegabytes / decoding);
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
    return readWith(reader, [&path] { return jpegFileCost(path); });
}

QImage fromData(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readWith(reader, [&bytes] {
        return jpegCost(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    });
}

QStringList readableSuffixes()
{
    QStringList suffixes;
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        if (costOf(format) != 0) {
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

} // namespace tockwise
