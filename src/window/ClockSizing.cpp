#include "window/ClockSizing.h"

#include "clockview/FaceGeometry.h"
#include "clockview/TKWView.h"
#include "desktop/WindowFrame.h"
#include "time/TimeSource.h"

namespace tockwise {

namespace ClockSizing {

void prepare(const TKWView &view, WindowFrame &window)
{
    const Rect old = window.frame();
    const QImage &picture = view.faceImage();
    if (view.model().useFaceImage && !picture.isNull()) {
        window.setFrame({old.x, old.y, static_cast<float>(picture.width()),
                         static_cast<float>(picture.height())},
                        true);
    } else {
        const float n = WindowSizing::clockSize(view.model().clockSize);
        window.setFrame({old.x, old.y, n, n}, true);
    }
}

void fit(const TKWView &view, WindowFrame &window)
{
    const Rect old = window.frame();
    const float n = WindowSizing::clockSize(view.model().clockSize);
    std::optional<Size> picture;
    if (const QImage &face = view.faceImage(); !face.isNull()) {
        picture = Size{static_cast<float>(face.width()), static_cast<float>(face.height())};
    }
    const bool digital = view.model().digital;
    Size text;
    float timeLine = 0;
    if (!picture && digital) {
        // Measured at the view's present size, before the window changes.
        const DigitalReadout readout =
            view.digitalTimeStringForDate(view.lastDate().value_or(TimeSource::now()));
        text = readout.size();
        timeLine = readout.lines.isEmpty() ? 0 : readout.lines.first().font.lineHeight();
    }
    const Size size = WindowSizing::windowSize(n, picture, digital, text, timeLine);
    if (picture) {
        window.setFrame({old.x, old.y, size.width, size.height}, true);
    }
    std::optional<WindowSizing::MenuBar> menuBar;
    if (const std::optional<ScreenInfo> screen = window.screen(); screen && screen->isMain) {
        const ScreenInfo main = window.mainScreen();
        menuBar = WindowSizing::MenuBar{main.frame.height, main.menuBarHeight};
    }
    window.setFrame(WindowSizing::resizedFrame(old, size, menuBar), false);
}

void bringOnScreen(WindowFrame &window)
{
    const ScreenInfo screen = window.screen().value_or(window.mainScreen());
    if (const auto corrected =
            WindowSizing::offScreenCorrection(window.frame(), screen.visibleFrame)) {
        window.setFrame(*corrected, true);
    }
}

void follow(TKWView &view, std::shared_ptr<WindowFrame> window)
{
    view.setWindowFrame(window);
    QObject::connect(&view, &TKWView::sizeWanted, &view, [&view, window](TKWView::Sizing sizing) {
        switch (sizing) {
        case TKWView::Sizing::Face:
            prepare(view, *window);
            break;
        case TKWView::Sizing::Settings:
            prepare(view, *window);
            fit(view, *window);
            bringOnScreen(*window);
            break;
        case TKWView::Sizing::Content:
            fit(view, *window);
            break;
        }
        view.frameResized();
    });
}

} // namespace ClockSizing

} // namespace tockwise
