#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace tockwise {

// Reads picture files chosen or dropped by the user, who may hand over anything:
// a damaged file, a file of the wrong type or a small file declaring an enormous
// picture. Each of those reads as a null image, refused before decoding where the
// file tells enough. Only types whose decoders Qt bounds by the declared size are
// read: PNG, JPEG, GIF, BMP, ICO, TIFF, WebP and the X11 and Netpbm ones. SVG is
// not, for its cost follows what it draws, which no size tells.
namespace PictureReader {

// Larger pictures are refused before decoding, so that a few hundred bytes
// cannot demand gigabytes.
inline constexpr int maximumSide = 8192;
// The most a picture and what its decoder keeps beside it may take, counted at 4
// bytes a pixel (more where its type is deeper) and as many pictures as its type
// takes to decode: 8192 x 8192 pixels of PNG or JPEG, half as many of GIF, a
// third of a progressive JPEG. It keeps a read under 300 MB. Also Qt's limit on
// any one image the decoders allocate (divided likewise), process-wide and set
// by read() and fromData().
inline constexpr int allocationLimitMegabytes = 256;

// The picture upright (as its EXIF orientation says) in
// QImage::Format_ARGB32_Premultiplied, or a null image. The type is found from
// the content, not the file name.
QImage read(const QString &path);
// The same for a picture already in memory, read with the same settings.
QImage fromData(const QByteArray &bytes);

// The file name suffixes (lower case, without the dot) of the types read whose
// image plug-ins are present.
QStringList readableSuffixes();
// Those suffixes as a file dialog's name filter: "*.bmp *.gif ...".
QString nameFilter();
// Whether a file name (or path) ends in one of those suffixes, in any case.
bool hasReadableSuffix(const QString &fileName);

} // namespace PictureReader

} // namespace tockwise
