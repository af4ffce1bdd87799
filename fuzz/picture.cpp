// Face pictures, which the user may pick from anywhere: every file reads as a
// null image or as an upright picture within the size limit in the painting
// format, and a picture in memory reads as the same file would.

#include "FuzzTarget.h"
#include "graphics/PictureReader.h"

#include <QFile>
#include <QTemporaryFile>

using namespace tockwise;

namespace {

QImage readAsFile(const QByteArray &bytes)
{
    static QTemporaryFile file;
    if (!file.isOpen() && !file.open()) {
        std::fprintf(stderr, "no temporary file for pictures\n");
        std::abort();
    }
    file.resize(0);
    file.seek(0);
    file.write(bytes);
    file.flush();
    return PictureReader::read(file.fileName());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const QImage image = PictureReader::fromData(bytes);
    if (!image.isNull()) {
        FUZZ_CHECK(image.format() == QImage::Format_ARGB32_Premultiplied);
        FUZZ_CHECK(image.width() > 0 && image.width() <= PictureReader::maximumSide);
        FUZZ_CHECK(image.height() > 0 && image.height() <= PictureReader::maximumSide);
    }
    FUZZ_CHECK(readAsFile(bytes) == image);
    return 0;
}
