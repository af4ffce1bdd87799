#include "clockview/FaceGeometry.h"

#include <algorithm>
#include <cmath>

namespace tockwise {

DialGeometry faceGeometry(const Rect &bounds, bool picture, QSizeF centerFactor, float radiusFactor)
{
    if (!picture) {
        return {{bounds.width * 0.5f + bounds.x, bounds.height * 0.5f + bounds.y},
                std::min(bounds.height, bounds.width) * 0.5f};
    }
    const auto fx = static_cast<float>(centerFactor.width());
    const auto fy = static_cast<float>(centerFactor.height());
    DialGeometry dial{{bounds.width * fx + bounds.x, bounds.height * fy + bounds.y},
                      bounds.width * radiusFactor};
    if (dial.radius == 0.0f) {
        dial.radius = std::min(bounds.height, bounds.width) * 0.5f;
    }
    return dial;
}

namespace WindowSizing {

float clockSize(std::int32_t stored)
{
    return std::clamp(static_cast<float>(stored), smallestClockSize, largestClockSize);
}

Size windowSize(float n, std::optional<Size> picture, bool digital, Size digitalText,
                float timeLineHeight)
{
    if (picture) {
        const float iw = picture->width;
        const float ih = picture->height;
        if (!(iw > 0 && ih > 0)) {
            return {n, n};
        }
        if (iw < ih) {
            return {(iw / ih) * n, n};
        }
        return {n, (ih / iw) * n};
    }
    if (digital) {
        const float height = std::ceil(n - digitalText.width + digitalText.height);
        return {n, std::max(height, std::ceil(timeLineHeight))};
    }
    return {n, n};
}

Rect resizedFrame(const Rect &old, Size size, std::optional<MenuBar> menuBar)
{
    float y = (old.height - size.height) * 0.5f + old.y;
    if (menuBar) {
        const float overflow = (y + size.height - menuBar->screenHeight) + menuBar->height;
        if (overflow > 0) {
            y = y - overflow;
        }
    }
    const float x = (old.width - size.width) * 0.5f + old.x;
    return {x, y, size.width, size.height};
}

std::optional<Rect> offScreenCorrection(const Rect &frame, const Rect &visible)
{
    Rect corrected = frame;
    bool moved = false;
    if (frame.x > visible.x + visible.width - 5) {
        corrected.x = (visible.x + visible.width) - (frame.width + 20);
        moved = true;
    } else if (frame.x + frame.width < visible.x + 5) {
        corrected.x = visible.x + 20;
        moved = true;
    }
    if (frame.y > visible.y + visible.height - 5) {
        corrected.y = (visible.y + visible.height) - (frame.height + 20);
        moved = true;
    } else if (frame.y + frame.height < visible.y + 5) {
        corrected.y = visible.y + 20;
        moved = true;
    }
    return moved ? std::optional<Rect>(corrected) : std::nullopt;
}

} // namespace WindowSizing

} // namespace tockwise
