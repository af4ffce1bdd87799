#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>

struct zwlr_layer_surface_v1;
struct wl_surface;

namespace tockwise {

// A window that is a layer of the Wayland desktop rather than an application
// window: where the compositor offers layer surfaces (zwlr_layer_shell_v1), a
// clock can say where it goes (margins from its screen's corner), whether it
// floats above the windows or lies on the desktop, and that it takes no clicks,
// none of which a Wayland application window may do.
//
// Qt gives a window no role of its own when it bypasses the window manager
// (Qt::BypassWindowManagerHint, with QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT set
// before the application starts); the layer role is given to that window's
// surface each time it is shown, before Qt puts anything on it.
class LayerSurface : public QObject
{
    Q_OBJECT

public:
    // The values are the protocol's.
    enum class Layer
    {
        Bottom = 1,
        Top = 2,
        Overlay = 3
    };
    enum class Keyboard
    {
        WhenClicked,
        WhileShown
    };

    // Whether the compositor at WAYLAND_DISPLAY offers layer surfaces that can
    // change their layer. Asked before the application connects, on a connection
    // of its own.
    static bool offeredBySession();

    // Whether this process's windows can be layers: it runs on Qt's Wayland
    // platform and the compositor offers them.
    static bool available();

    // The variable that makes Qt leave role-less a window that bypasses the
    // window manager; set before the application object exists.
    static void prepareApplication();

    // Makes the top-level `window`, not yet shown, a layer surface each time it is
    // shown; it is owned by the window. Nothing when !available().
    static LayerSurface *attach(QWidget *window, Layer layer, Keyboard keyboard);

    ~LayerSurface() override;

    // A layer lies on one screen: one moved onto another is made anew there.
    void followScreen();

    void setLayer(Layer layer);
    // With an empty input region, clicks go to whatever lies under the window.
    void setClickThrough(bool clickThrough);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LayerSurface(QWidget *window, Layer layer, Keyboard keyboard);

    void giveRole();
    void release();
    void place();
    void applyInputRegion();
    void commit();

    static void configured(void *data, zwlr_layer_surface_v1 *layer, uint32_t serial,
                           uint32_t width, uint32_t height);
    static void closed(void *data, zwlr_layer_surface_v1 *layer);

    QPointer<QWidget> mWindow;
    Layer mLayer;
    Keyboard mKeyboard;
    bool mClickThrough = false;
    QPointer<QScreen> mScreen;
    wl_surface *mSurface = nullptr;
    zwlr_layer_surface_v1 *mLayerSurface = nullptr;
};

} // namespace tockwise
