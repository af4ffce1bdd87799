#include "window/FrameAutosave.h"

#include "store/UserDefaults.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tockwise {

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

namespace {

// From the edges of the visible area, as the cascade keeps.
constexpr float edgeMargin = 32;

} // namespace

Rect firstFrame(const Rect &visible, Size size, int othersShown)
{
    constexpr float step = 24;
    constexpr int steps = 8;
    const float offset = step * static_cast<float>(othersShown % steps);
    return {visible.maxX() - edgeMargin - size.width - offset,
            visible.maxY() - edgeMargin - size.height - offset, size.width, size.height};
}

std::optional<Rect> freeFrame(const Rect &visible, Size size, const std::vector<Rect> &others)
{
    // Between two clocks, so that each can be told apart and grabbed.
    constexpr float gap = 16;
    const Rect area = visible.insetBy(edgeMargin, edgeMargin);
    // A free place, if any, touches the area's top or right edge or lies a gap
    // beside or below another clock: those are the only lines worth trying.
    std::vector<float> tops{area.maxY()};
    std::vector<float> rights{area.maxX()};
    for (const Rect &other : others) {
        tops.push_back(other.y - gap);
        rights.push_back(other.x - gap);
    }
    for (std::vector<float> *lines : {&tops, &rights}) {
        std::sort(lines->begin(), lines->end(), std::greater<>());
        lines->erase(std::unique(lines->begin(), lines->end()), lines->end());
    }
    const auto isFree = [&](const Rect &place) {
        return std::none_of(others.begin(), others.end(), [&](const Rect &other) {
            return place.x < other.maxX() + gap && other.x < place.maxX() + gap &&
                   place.y < other.maxY() + gap && other.y < place.maxY() + gap;
        });
    };
    for (const float top : tops) {
        for (const float right : rights) {
            const Rect place{right - size.width, top - size.height, size.width, size.height};
            if (place.x >= area.x && place.maxX() <= area.maxX() && place.y >= area.y &&
                place.maxY() <= area.maxY() && isFree(place)) {
                return place;
            }
        }
    }
    return std::nullopt;
}

} // namespace FrameAutosave

} // namespace tockwise
