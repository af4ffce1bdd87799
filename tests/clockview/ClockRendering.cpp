#include "ClockRendering.h"

#include "app/TKWController.h"
#include "settings/SettingsKeys.h"
#include "window/TKWWindowController.h"

#include <cstdlib>

namespace {

ScreenInfo largeScreen()
{
    return {{0, 0, 4000, 4000}, {0, 0, 4000, 4000}, 0, false};
}

} // namespace

RenderedClock::RenderedClock(Instant instant, const PropertyList::Dictionary &overrides, bool wake)
    : now(instant),
      window(std::make_shared<DetachedWindowFrame>(Rect{1000, 1000, 128, 128}, largeScreen()))
{
    // The application's class set-up registers what every clock reads (the Roman
    // numerals, the picture transformer).
    TKWController::initialize();
    view.setWindowFrame(window);
    if (!wake) {
        return;
    }
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    settings.insert(Keys::TimeZone, PropertyList::string(QStringLiteral("UTC")));
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        settings.insert(it.key(), it.value());
    }
    view.awakeFromNib();
    view.setConfigData(std::make_shared<ObservableDictionary>(settings));
}

QColor pixelAt(const QImage &image, Point point)
{
    const qreal scale = image.devicePixelRatio();
    const int x = static_cast<int>(std::floor(point.x * scale));
    const int y = static_cast<int>(std::floor(image.height() - point.y * scale));
    return image.pixelColor(std::clamp(x, 0, image.width() - 1),
                            std::clamp(y, 0, image.height() - 1));
}

Point alongAngle(const TKWView &view, float degrees, float fraction)
{
    const double radians = degrees * M_PI / 180.0;
    const double distance = fraction * view.radius();
    return {static_cast<float>(view.center().x + distance * std::cos(radians)),
            static_cast<float>(view.center().y + distance * std::sin(radians))};
}

bool isInk(const QColor &color)
{
    return color.alpha() > 200 && color.red() < 80 && color.green() < 80 && color.blue() < 80;
}

bool isHalfAlphaFace(const QColor &color)
{
    return std::abs(color.alpha() - 128) <= 1 && color.red() >= 252 && color.green() >= 252 &&
           std::abs(color.blue() - 240) <= 3;
}
