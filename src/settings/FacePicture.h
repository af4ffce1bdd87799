#pragma once

#include "store/PropertyList.h"

#include <QImage>
#include <QString>

#include <optional>

namespace tockwise {

// A clock's face picture: the alias data its settings store, followed to where
// the file is now, and the picture read from there. Its clock's controller looks
// for it when the picture setting changes, when the clock is configured and when
// its settings panel opens, never for a frame: following a moved file may search
// for a fifth of a second.
class FacePicture
{
public:
    // Where the file the alias data refers to is now; none for a value that is
    // no alias data and for a file found nowhere.
    static std::optional<QString> find(const PropertyList *stored);

    // The picture at `path`, or a null image where it does not read, which the
    // log then says once, until another path fails.
    QImage read(const QString &path);

private:
    QString mUnreadable;
};

} // namespace tockwise
