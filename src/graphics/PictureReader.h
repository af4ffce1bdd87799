#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Reads picture files chosen or dropped by the user, who may hand over anything:
// a damaged file, a file of the wrong type or a small file declaring an enormous
// picture. Each of those reads as a null image.
namespace PictureReader {

// Larger pictures are refused before decoding, so that a few hundred bytes
// cannot demand gigabytes. A side of 8192 pixels keeps the largest accepted
// picture at 256 MB in the painting format.
inline constexpr int maximumSide = 8192;
// Qt's limit on any one image the decoders allocate, in megabytes; process-wide
// and set by read() and fromData().
inline constexpr int allocationLimitMegabytes = 256;

// The picture upright (as its EXIF orientation says) in
// QImage::Format_ARGB32_Premultiplied, or a null image. The type is found from
// the content, not the file name.
QImage read(const QString &path);
// The same for a picture already in memory, read with the same settings.
QImage fromData(const QByteArray &bytes);

// The file name suffixes (lower case, without the dot) of the types the image
// plug-ins present can read.
QStringList readableSuffixes();
// Those suffixes as a file dialog's name filter: "*.bmp *.gif ...".
QString nameFilter();
// Whether a file name (or path) ends in one of those suffixes, in any case.
bool hasReadableSuffix(const QString &fileName);

} // namespace PictureReader
