#include "desktop/wayland/LayerShell.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace tockwise {

namespace {

// Moving a surface between the layers came with the protocol's second version,
// regular keyboard focus with its fourth.
constexpr uint32_t layerChangeVersion = 2;
constexpr uint32_t focusOnClickVersion = 4;
constexpr uint32_t newestKnownVersion = 4;

struct Globals
{
    bool bind = true;
    zwlr_layer_shell_v1 *shell = nullptr;
    uint32_t shellVersion = 0;
    wl_compositor *compositor = nullptr;
    wl_display *display = nullptr;
    // The globals and each new layer surface until its first configure: waiting
    // for them must not run Qt's own handlers in the middle of showing a window.
    wl_event_queue *queue = nullptr;
};

void announced(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version)
{
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 &&
        version >= layerChangeVersion) {
        globals->shellVersion = std::min(version, newestKnownVersion);
        if (globals->bind) {
            globals->shell = static_cast<zwlr_layer_shell_v1 *>(wl_registry_bind(
                registry, name, &zwlr_layer_shell_v1_interface, globals->shellVersion));
        }
    } else if (!globals->bind) {
        return;
    } else if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        globals->compositor = static_cast<wl_compositor *>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    }
}

void withdrawn(void *, wl_registry *, uint32_t)
{}

const wl_registry_listener registryListener{announced, withdrawn};

QPlatformNativeInterface *native()
{
    return QGuiApplication::platformNativeInterface();
}

// Binds the globals this process's layers use, on Qt's connection; the listeners
// keep `globals`, which lives as long as the process.
void bindGlobals(Globals &globals)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !native()) {
        return;
    }
    globals.display =
        static_cast<wl_display *>(native()->nativeResourceForIntegration("wl_display"));
    if (!globals.display) {
        return;
    }
    globals.queue = wl_display_create_queue(globals.display);
    auto *display = static_cast<wl_display *>(wl_proxy_create_wrapper(globals.display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(display), globals.queue);
    wl_registry *registry = wl_display_get_registry(display);
    wl_proxy_wrapper_destroy(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip_queue(globals.display, globals.queue);
    if (!globals.compositor) {
        globals.shell = nullptr;
    }
}

Globals &processGlobals()
{
    static Globals *const globals = [] {
        auto *bound = new Globals;
        bindGlobals(*bound);
        return bound;
    }();
    return *globals;
}

} // namespace

bool LayerSurface::offeredBySession()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        return false;
    }
    Globals globals;
    globals.bind = false;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && globals.shellVersion >= layerChangeVersion;
}

bool LayerSurface::available()
{
    return processGlobals().shell != nullptr;
}

void LayerSurface::prepareApplication()
{
    qputenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
    // Else Qt takes every window it shows to be at its screen's corner, since an
    // application window cannot know where it is; a layer knows.
    qputenv("QT_WAYLAND_DISABLE_FIXED_POSITIONS", "1");
}

LayerSurface *LayerSurface::attach(QWidget *window, Layer layer, Keyboard keyboard)
{
    if (!available()) {
        return nullptr;
    }
    window->setWindowFlag(Qt::BypassWindowManagerHint);
    return new LayerSurface(window, layer, keyboard);
}

LayerSurface::LayerSurface(QWidget *window, Layer layer, Keyboard keyboard)
    : QObject(window), mWindow(window), mLayer(layer), mKeyboard(keyboard)
{
    window->installEventFilter(this);
}

LayerSurface::~LayerSurface()
{
    release();
}

bool LayerSurface::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && !mLayerSurface && mWindow &&
        watched == mWindow->windowHandle()) {
        giveRole();
        return false;
    }
    if (watched != mWindow) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Show:
        // Qt makes the window's surface anew each time it shows it, and puts the
        // first picture on it as the window is exposed: the role goes in between.
        if (QWindow *handle = mWindow->windowHandle()) {
            handle->removeEventFilter(this);
            handle->installEventFilter(this);
        }
        break;
    case QEvent::Hide:
        release();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (mLayerSurface) {
            place();
            commit();
        }
        break;
    default:
        break;
    }
    return false;
}

void LayerSurface::giveRole()
{
    const Globals &globals = processGlobals();
    QWindow *handle = mWindow->windowHandle();
    if (mLayerSurface || !globals.shell || !handle) {
        return;
    }
    auto *surface = static_cast<wl_surface *>(native()->nativeResourceForWindow("surface", handle));
    if (!surface) {
        return;
    }
    mSurface = surface;
    QScreen *screen = QGuiApplication::screenAt(mWindow->geometry().center());
    mScreen = screen ? screen : mWindow->screen();
    auto *output = static_cast<wl_output *>(native()->nativeResourceForScreen("output", mScreen));
    mLayerSurface = zwlr_layer_shell_v1_get_layer_surface(
        globals.shell, surface, output, static_cast<uint32_t>(mLayer), "tockwise");
    static const zwlr_layer_surface_v1_listener listener{&LayerSurface::configured,
                                                         &LayerSurface::closed};
    zwlr_layer_surface_v1_add_listener(mLayerSurface, &listener, this);
    zwlr_layer_surface_v1_set_anchor(mLayerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                        ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // Placed from the screen's corner whatever panels keep for themselves.
    zwlr_layer_surface_v1_set_exclusive_zone(mLayerSurface, -1);
    uint32_t keyboard = ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE;
    if (mKeyboard == Keyboard::WhenClicked) {
        keyboard = globals.shellVersion >= focusOnClickVersion
                       ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                       : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;
    }
    zwlr_layer_surface_v1_set_keyboard_interactivity(mLayerSurface, keyboard);
    place();
    applyInputRegion();
    wl_surface_commit(surface);
    wl_display_roundtrip_queue(globals.display, globals.queue);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(mLayerSurface), nullptr);
}

void LayerSurface::release()
{
    if (mLayerSurface) {
        zwlr_layer_surface_v1_destroy(mLayerSurface);
    }
    mLayerSurface = nullptr;
    mSurface = nullptr;
}

void LayerSurface::place()
{
    const QRect geometry = mWindow->geometry();
    const QPoint offset = geometry.topLeft() - (mScreen ? mScreen->geometry().topLeft() : QPoint());
    zwlr_layer_surface_v1_set_margin(mLayerSurface, offset.y(), 0, 0, offset.x());
    zwlr_layer_surface_v1_set_size(mLayerSurface, static_cast<uint32_t>(geometry.width()),
                                   static_cast<uint32_t>(geometry.height()));
}

void LayerSurface::followScreen()
{
    QScreen *screen = QGuiApplication::screenAt(mWindow->geometry().center());
    if (mLayerSurface && screen && screen != mScreen) {
        mWindow->hide();
        mWindow->show();
    }
}

void LayerSurface::setLayer(Layer layer)
{
    mLayer = layer;
    if (mLayerSurface) {
        zwlr_layer_surface_v1_set_layer(mLayerSurface, static_cast<uint32_t>(layer));
        commit();
    }
}

void LayerSurface::setClickThrough(bool clickThrough)
{
    mClickThrough = clickThrough;
    if (mLayerSurface) {
        applyInputRegion();
        commit();
    }
}

void LayerSurface::applyInputRegion()
{
    if (!mClickThrough) {
        wl_surface_set_input_region(mSurface, nullptr);
        return;
    }
    wl_region *nothing = wl_compositor_create_region(processGlobals().compositor);
    wl_surface_set_input_region(mSurface, nothing);
    wl_region_destroy(nothing);
}

void LayerSurface::commit()
{
    wl_surface_commit(mSurface);
    // Nothing else may be sent soon to carry it.
    wl_display_flush(processGlobals().display);
}

void LayerSurface::configured(void *, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t,
                              uint32_t)
{
    // The window keeps the size it chose; the ack says the compositor was heard.
    zwlr_layer_surface_v1_ack_configure(layer, serial);
}

void LayerSurface::closed(void *data, zwlr_layer_surface_v1 *)
{
    // The screen it was on has gone: shown again, it takes a screen that is there.
    auto *self = static_cast<LayerSurface *>(data);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (self->mWindow && self->mWindow->isVisible()) {
                self->mWindow->hide();
                self->mWindow->show();
            }
        },
        Qt::QueuedConnection);
}

} // namespace tockwise
