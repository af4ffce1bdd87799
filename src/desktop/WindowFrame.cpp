#include "desktop/WindowFrame.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tockwise {

namespace {

// Qt places screens and windows with y downward from the top of the virtual
// desktop; the clock's frames have y upward from the bottom of the primary screen.
float primaryBottom()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? static_cast<float>(primary->geometry().bottom() + 1) : 0.0f;
}

Rect fromQt(const QRect &rect)
{
    return {static_cast<float>(rect.x()),
            primaryBottom() - static_cast<float>(rect.y() + rect.height()),
            static_cast<float>(rect.width()), static_cast<float>(rect.height())};
}

QRect toQt(const Rect &rect)
{
    const int width = static_cast<int>(std::ceil(rect.width));
    const int height = static_cast<int>(std::ceil(rect.height));
    const int x = static_cast<int>(std::lround(rect.x));
    const int top = static_cast<int>(std::lround(primaryBottom() - rect.y - rect.height));
    return {x, top, width, height};
}

ScreenInfo infoOf(const QScreen *screen)
{
    ScreenInfo info;
    if (!screen) {
        return info;
    }
    info.frame = fromQt(screen->geometry());
    info.visibleFrame = fromQt(screen->availableGeometry());
    info.isMain = screen == QGuiApplication::primaryScreen();
    if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        info.menuBarHeight =
            static_cast<float>(primary->availableGeometry().top() - primary->geometry().top());
    }
    return info;
}

} // namespace

std::optional<ScreenInfo> screenUnderPointer()
{
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? std::optional(infoOf(screen)) : std::nullopt;
}

DetachedWindowFrame::DetachedWindowFrame(const Rect &frame, const ScreenInfo &screen)
    : mFrame(frame), mScreen(screen), mMainScreen(screen)
{}

void DetachedWindowFrame::setFrame(const Rect &frame, bool)
{
    mFrame = frame;
    if (mChanged) {
        mChanged(frame);
    }
}

WidgetWindowFrame::WidgetWindowFrame(QWidget *window) : mWindow(window)
{}

Rect WidgetWindowFrame::frame() const
{
    return fromQt(mWindow->geometry());
}

void WidgetWindowFrame::setFrame(const Rect &frame, bool display)
{
    mWindow->setGeometry(toQt(frame));
    if (display) {
        mWindow->update();
    }
}

std::optional<ScreenInfo> WidgetWindowFrame::screen() const
{
    // The screen that holds the window's centre, as the window system would put it.
    const QPoint centre = mWindow->geometry().center();
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(centre)) {
            return infoOf(screen);
        }
    }
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(mWindow->geometry())) {
            return infoOf(screen);
        }
    }
    return std::nullopt;
}

ScreenInfo WidgetWindowFrame::mainScreen() const
{
    return infoOf(QGuiApplication::primaryScreen());
}

} // namespace tockwise
