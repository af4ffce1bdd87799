#include "settings/FacePicture.h"

#include "graphics/PictureReader.h"
#include "store/AliasData.h"

#include <utility>

namespace tockwise {

std::optional<QString> FacePicture::find(const PropertyList *stored)
{
    const QByteArray *data = stored ? stored->asData() : nullptr;
    const std::optional<AliasData> alias = data ? AliasData::decode(*data) : std::nullopt;
    return alias ? alias->resolve() : std::nullopt;
}

QImage FacePicture::read(const QString &path)
{
    QImage image = PictureReader::read(path);
    if (image.isNull() && std::exchange(mUnreadable, path) != path) {
        qWarning("The face picture %s does not read as a picture: it is damaged, of a type "
                 "Tockwise does not read (such as SVG) or too large to decode; the clock shows "
                 "its face colour.",
                 qUtf8Printable(path));
    }
    return image;
}

} // namespace tockwise
