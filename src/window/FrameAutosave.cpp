#include "window/FrameAutosave.h"

#include "store/UserDefaults.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace FrameAutosave {

void save(const QString &name, const Rect &frame)
{
    const QLocale c = QLocale::c();
    const QStringList numbers = {c.toString(frame.x), c.toString(frame.y), c.toString(frame.width),
                                 c.toString(frame.height)};
    const PropertyList value = PropertyList::string(numbers.join(u' '));
    if (!(UserDefaults::standard().objectForKey(name) == value)) {
        UserDefaults::standard().setObject(name, value);
    }
}

std::optional<Rect> saved(const QString &name)
{
    const PropertyList value = UserDefaults::standard().objectForKey(name);
    if (!value.asString()) {
        return std::nullopt;
    }
    const QStringList numbers = value.asString()->split(u' ', Qt::SkipEmptyParts);
    if (numbers.size() != 4) {
        return std::nullopt;
    }
    float parsed[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        parsed[i] = QLocale::c().toFloat(numbers[i], &ok);
        if (!ok || !std::isfinite(parsed[i])) {
            return std::nullopt;
        }
    }
    if (parsed[2] <= 0 || parsed[3] <= 0) {
        return std::nullopt;
    }
    return Rect{parsed[0], parsed[1], parsed[2], parsed[3]};
}

void forget(const QString &name)
{
    UserDefaults::standard().removeObjectForKey(name);
}

Rect restored(const Rect &saved, Size size)
{
    return {saved.x + 0.5f * (saved.width - size.width),
            saved.y + 0.5f * (saved.height - size.height), size.width, size.height};
}

Rect firstFrame(const Rect &visible, Size size, int othersShown)
{
    constexpr float margin = 32;
    constexpr float step = 24;
    constexpr int steps = 8;
    const float offset = step * static_cast<float>(othersShown % steps);
    return {visible.maxX() - margin - size.width - offset,
            visible.maxY() - margin - size.height - offset, size.width, size.height};
}

} // namespace FrameAutosave
