#pragma once

#include "graphics/Geometry.h"

#include <functional>
#include <optional>

class QWidget;

namespace tockwise {

// A screen as the clock sees it, in y-up screen coordinates.
struct ScreenInfo
{
    Rect frame;
    Rect visibleFrame; // without panels and docks
    // The height of a panel along the top of the primary screen.
    float menuBarHeight = 0;
    bool isMain = false;
};

// The screen under the pointer; none where the pointer's place is not known.
std::optional<ScreenInfo> screenUnderPointer();

// The frame of a clock's window: where the view learns its size and place, and
// through which it moves and resizes its window.
class WindowFrame
{
public:
    virtual ~WindowFrame() = default;

    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect &frame, bool display) = 0;
    // The screen the window lies on; none when it lies on none.
    virtual std::optional<ScreenInfo> screen() const = 0;
    virtual ScreenInfo mainScreen() const = 0;
};

// A frame kept in memory, for a clock drawn without a window (into an image, in
// tests): it reports each change so that the view can take the new size.
class DetachedWindowFrame : public WindowFrame
{
public:
    DetachedWindowFrame(const Rect &frame, const ScreenInfo &screen);

    Rect frame() const override { return mFrame; }
    void setFrame(const Rect &frame, bool display) override;
    std::optional<ScreenInfo> screen() const override { return mScreen; }
    ScreenInfo mainScreen() const override { return mMainScreen; }

    void setScreen(std::optional<ScreenInfo> screen) { mScreen = std::move(screen); }
    void setMainScreen(const ScreenInfo &screen) { mMainScreen = screen; }
    void onFrameChanged(std::function<void(const Rect &)> callback)
    {
        mChanged = std::move(callback);
    }

private:
    Rect mFrame;
    std::optional<ScreenInfo> mScreen;
    ScreenInfo mMainScreen;
    std::function<void(const Rect &)> mChanged;
};

// The frame of a top-level widget on the desktop.
class WidgetWindowFrame : public WindowFrame
{
public:
    explicit WidgetWindowFrame(QWidget *window);

    Rect frame() const override;
    void setFrame(const Rect &frame, bool display) override;
    std::optional<ScreenInfo> screen() const override;
    ScreenInfo mainScreen() const override;

private:
    QWidget *mWindow;
};

} // namespace tockwise
