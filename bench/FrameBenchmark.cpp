// The cost of one frame of a 128-point clock, drawn as its window draws it: the
// surface cleared, then the whole clock painted.

#include "clockview/TKWView.h"
#include "settings/SettingsKeys.h"
#include "store/ObservableDictionary.h"
#include "store/ValueTransformer.h"
#include "window/ClockSizing.h"
#include "window/TKWWindowController.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tockwise;

namespace {

const Instant instant = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) +
                        std::chrono::hours(10) + std::chrono::minutes(10) +
                        std::chrono::seconds(30);

PropertyList on()
{
    return PropertyList::boolean(true);
}

void frame(benchmark::State &state, const PropertyList::Dictionary &overrides)
{
    PinnedTime pinned(instant);
    PropertyList::Dictionary settings = TKWWindowController::defaultConfig();
    settings.insert(Keys::TimeZone, PropertyList::string(QStringLiteral("America/New_York")));
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        settings.insert(it.key(), it.value());
    }
    TKWView view;
    ClockSizing::follow(view, std::make_shared<DetachedWindowFrame>(
                                  Rect{1000, 1000, 128, 128},
                                  ScreenInfo{{0, 0, 4000, 4000}, {0, 0, 4000, 4000}, 0, false}));
    view.awakeFromNib();
    view.setModel(TKWWindowController::modelOf(ObservableDictionary(settings)));

    const Rect bounds = view.bounds();
    QImage surface(static_cast<int>(bounds.width), static_cast<int>(bounds.height),
                   QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        surface.fill(Qt::transparent);
        QPainter painter(&surface);
        view.drawRect(painter);
    }
    benchmark::DoNotOptimize(surface.constBits());
}

void defaultAnalog(benchmark::State &state)
{
    frame(state, {});
}

void everyOptionAnalog(benchmark::State &state)
{
    frame(state, {{Keys::TwentyFour, on()},
                  {Keys::PipStyle, PropertyList::integer(2)},
                  {Keys::MinutePips, on()},
                  {Keys::AlternateTimeZone, PropertyList::string(QStringLiteral("Asia/Tokyo"))},
                  {Keys::ShowWeekday, on()},
                  {Keys::FadeHands, on()}});
}

void digitalEveryLine(benchmark::State &state)
{
    frame(state, {{Keys::DigitalClock, on()}, {Keys::ShowWeekday, on()}});
}

void pictureFace(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("face.png"));
    QImage picture(1024, 1024, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixelColor(x, y, QColor(x / 4, y / 4, (x + y) / 8));
        }
    }
    picture.save(path);
    const PropertyList alias =
        ValueTransformer::valueTransformerForName(QStringLiteral("TKWPathToAliasTransformer"))
            ->reverseTransformedValue(PropertyList::string(path));
    frame(state, {{Keys::UseFaceImage, on()}, {Keys::FaceImage, alias}});
}

} // namespace

BENCHMARK(defaultAnalog)->Unit(benchmark::kMicrosecond);
BENCHMARK(everyOptionAnalog)->Unit(benchmark::kMicrosecond);
BENCHMARK(digitalEveryLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(pictureFace)->Unit(benchmark::kMicrosecond);
