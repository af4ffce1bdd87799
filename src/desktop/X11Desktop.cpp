#include "desktop/X11Desktop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QRegion>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

struct FreeDeleter
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// EWMH _NET_WM_STATE actions, and the source indication of a normal application.
constexpr quint32 stateRemove = 0;
constexpr quint32 stateAdd = 1;
constexpr quint32 sourceApplication = 1;

const char *const hintsObjectName = "tockwise-x11-desktop-hints";

xcb_connection_t *connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// An atom stands for its name as long as the X server runs, so each is asked for
// once per connection: every question is a round trip that a window being shown
// waits for.
struct AtomCache
{
    xcb_connection_t *connection = nullptr;
    QHash<QByteArray, xcb_atom_t> atoms;
};

AtomCache &atomCache(xcb_connection_t *c)
{
    static AtomCache cache;
    if (cache.connection != c) {
        cache = AtomCache{c, {}};
        // The connection goes with the application object; a later one may be
        // another display's.
        QObject::connect(qGuiApp, &QObject::destroyed, [] { cache = AtomCache{}; });
    }
    return cache;
}

// Asks for all the atoms not known yet at once: one round trip for them all.
void internAtoms(xcb_connection_t *c, std::initializer_list<const char *> names)
{
    AtomCache &cache = atomCache(c);
    std::vector<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    for (const char *name : names) {
        if (!cache.atoms.contains(QByteArray(name))) {
            asked.emplace_back(
                name, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name));
        }
    }
    for (const auto &[name, cookie] : asked) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
        if (reply) {
            cache.atoms.insert(name, reply->atom);
        }
    }
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    internAtoms(c, {name});
    return atomCache(c).atoms.value(QByteArray(name), XCB_ATOM_NONE);
}

std::vector<quint32> property32(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type)
{
    // 1024 items is far beyond any state or desktop list.
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32 || reply->type != type) {
        return {};
    }
    const auto *values = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    return std::vector<quint32>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

void sendToRoot(xcb_connection_t *c, xcb_window_t window, xcb_atom_t type,
                const std::array<quint32, 5> &data)
{
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data.data(), sizeof event.data.data32);
    xcb_send_event(c, 0, rootOf(c, window),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

// What was asked of a window; a hint never asked for is left to others.
struct Wishes
{
    std::optional<bool> onAllWorkspaces;
    std::optional<bool> skipTaskbar;
};

// A withdrawn window (never shown, or hidden) takes the hints as properties, which
// the window manager reads when the window is mapped. After that only requests to
// the window manager count (EWMH), which sendWishes() makes.
void writeWishes(xcb_connection_t *c, xcb_window_t window, const Wishes &wishes)
{
    internAtoms(c, {"_NET_WM_STATE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                    "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_DESKTOP"});
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    std::vector<quint32> atoms = property32(c, window, state, XCB_ATOM_ATOM);
    const auto include = [&atoms](xcb_atom_t item, bool wanted) {
        std::erase(atoms, item);
        if (wanted) {
            atoms.push_back(item);
        }
    };
    if (wishes.onAllWorkspaces) {
        include(atom(c, "_NET_WM_STATE_STICKY"), *wishes.onAllWorkspaces);
    }
    if (wishes.skipTaskbar) {
        include(atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), *wishes.skipTaskbar);
        include(atom(c, "_NET_WM_STATE_SKIP_PAGER"), *wishes.skipTaskbar);
    }
    if (atoms.empty()) {
        xcb_delete_property(c, window, state);
    } else {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }

    if (wishes.onAllWorkspaces) {
        const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
        if (*wishes.onAllWorkspaces) {
            const quint32 all = X11Desktop::allWorkspaces;
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1,
                                &all);
        } else if (property32(c, window, desktop, XCB_ATOM_CARDINAL) ==
                   std::vector<quint32>{X11Desktop::allWorkspaces}) {
            // Without the property the window manager puts it on the current workspace.
            xcb_delete_property(c, window, desktop);
        }
    }
    xcb_flush(c);
}

void sendWishes(xcb_connection_t *c, xcb_window_t window, const Wishes &wishes)
{
    internAtoms(c, {"_NET_WM_STATE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                    "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_DESKTOP", "_NET_CURRENT_DESKTOP"});
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    if (wishes.onAllWorkspaces) {
        const bool on = *wishes.onAllWorkspaces;
        quint32 workspace = X11Desktop::allWorkspaces;
        if (!on) {
            const std::vector<quint32> current = property32(
                c, rootOf(c, window), atom(c, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
            workspace = current.empty() ? 0 : current.front();
        }
        sendToRoot(c, window, atom(c, "_NET_WM_DESKTOP"), {workspace, sourceApplication, 0, 0, 0});
        sendToRoot(c, window, state,
                   {on ? stateAdd : stateRemove, atom(c, "_NET_WM_STATE_STICKY"), 0,
                    sourceApplication, 0});
    }
    if (wishes.skipTaskbar) {
        sendToRoot(c, window, state,
                   {*wishes.skipTaskbar ? stateAdd : stateRemove,
                    atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                    sourceApplication, 0});
    }
    xcb_flush(c);
}

// Lives as a child of the window, remembering its wishes, and writes them again just
// before each showing: Qt sends the show event before it maps the native window.
class WindowHints : public QObject
{
public:
    explicit WindowHints(QWindow *window) : QObject(window), mWindow(window)
    {
        setObjectName(QLatin1String(hintsObjectName));
        window->installEventFilter(this);
    }

    Wishes wishes;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == mWindow && event->type() == QEvent::Show && mWindow->handle()) {
            if (xcb_connection_t *c = connection()) {
                writeWishes(c, static_cast<xcb_window_t>(mWindow->winId()), wishes);
                // A window shown again soon after hiding may meet a window manager
                // still withdrawing it, which then erases what was just written. The
                // requests, queued behind the map request, reach it afterwards.
                QMetaObject::invokeMethod(this, &WindowHints::requestAfterMapping,
                                          Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    void requestAfterMapping()
    {
        xcb_connection_t *c = connection();
        if (!c || !mWindow->isVisible() || !mWindow->handle()) {
            return;
        }
        // Only what is wanted on: a wish for off is met by the erasing too.
        Wishes on;
        if (wishes.onAllWorkspaces == true) {
            on.onAllWorkspaces = true;
        }
        if (wishes.skipTaskbar == true) {
            on.skipTaskbar = true;
        }
        sendWishes(c, static_cast<xcb_window_t>(mWindow->winId()), on);
    }

    QWindow *mWindow;
};

WindowHints &hintsOf(QWindow *window)
{
    auto *hints =
        window->findChild<QObject *>(QLatin1String(hintsObjectName), Qt::FindDirectChildrenOnly);
    return hints ? *static_cast<WindowHints *>(hints) : *new WindowHints(window);
}

void apply(QWindow *window, const Wishes &change)
{
    xcb_connection_t *c = connection();
    if (!c || !window) {
        return;
    }
    WindowHints &hints = hintsOf(window);
    if (change.onAllWorkspaces) {
        hints.wishes.onAllWorkspaces = change.onAllWorkspaces;
    }
    if (change.skipTaskbar) {
        hints.wishes.skipTaskbar = change.skipTaskbar;
    }
    // A window not shown is told by its show event, just before it is mapped:
    // writing its properties now as well would only make the launch wait.
    if (!window->handle() || !window->isVisible()) {
        return;
    }
    sendWishes(c, static_cast<xcb_window_t>(window->winId()), change);
}

} // namespace

namespace X11Desktop {

bool isX11()
{
    return connection() != nullptr;
}

void setOnAllWorkspaces(QWindow *window, bool on)
{
    apply(window, Wishes{on, std::nullopt});
}

void setSkipTaskbar(QWindow *window, bool skip)
{
    apply(window, Wishes{std::nullopt, skip});
}

void cancelSystemMove(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle()) {
        return;
    }
    constexpr quint32 moveResizeCancel = 11;
    sendToRoot(c, static_cast<xcb_window_t>(window->winId()), atom(c, "_NET_WM_MOVERESIZE"),
               {0, 0, moveResizeCancel, 0, sourceApplication});
    xcb_flush(c);
}

std::optional<quint32> workspaceOf(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle()) {
        return std::nullopt;
    }
    const std::vector<quint32> values = property32(c, static_cast<xcb_window_t>(window->winId()),
                                                   atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL);
    if (values.size() != 1) {
        return std::nullopt;
    }
    return values.front();
}

QStringList netWmState(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle()) {
        return {};
    }
    QStringList names;
    for (const quint32 item : property32(c, static_cast<xcb_window_t>(window->winId()),
                                         atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM)) {
        const Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(c, xcb_get_atom_name(c, item), nullptr));
        if (reply) {
            names.append(QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                             xcb_get_atom_name_name_length(reply.get())));
        }
    }
    return names;
}

std::optional<QPoint> positionOnScreen(QWindow *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->handle()) {
        return std::nullopt;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_translate_coordinates_cookie_t cookie =
        xcb_translate_coordinates(c, id, rootOf(c, id), 0, 0);
    xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(c, cookie, nullptr);
    if (!reply) {
        return std::nullopt;
    }
    // The server counts device pixels, Qt's geometry device-independent ones.
    const qreal ratio = window->devicePixelRatio();
    const QPoint position(qRound(reply->dst_x / ratio), qRound(reply->dst_y / ratio));
    std::free(reply);
    return position;
}

namespace {

// A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it
// composites; the screen is the one DISPLAY names (":0.1" is screen 1).
xcb_atom_t compositingSelection(xcb_connection_t *c)
{
    static const xcb_atom_t selection = [c] {
        const QByteArray display = qgetenv("DISPLAY");
        const qsizetype colon = display.lastIndexOf(':');
        const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
        const int screen = dot < 0 ? 0 : display.mid(dot + 1).toInt();
        return atom(c, QByteArray("_NET_WM_CM_S" + QByteArray::number(screen)).constData());
    }();
    return selection;
}

// The event type of XFixes' selection notification on this connection, once
// followCompositing() has asked for them.
std::optional<std::uint8_t> &selectionNotifyType()
{
    static std::optional<std::uint8_t> type;
    return type;
}

} // namespace

std::optional<bool> isCompositing()
{
    xcb_connection_t *c = connection();
    if (!c) {
        return std::nullopt;
    }
    const xcb_atom_t selection = compositingSelection(c);
    if (selection == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    return reply->owner != XCB_WINDOW_NONE;
}

bool followCompositing()
{
    xcb_connection_t *c = connection();
    if (!c || selectionNotifyType()) {
        return selectionNotifyType().has_value();
    }
    const xcb_query_extension_reply_t *fixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    const xcb_atom_t selection = compositingSelection(c);
    if (!fixes || !fixes->present || selection == XCB_ATOM_NONE) {
        return false;
    }
    // The server takes no XFixes request from a client that has not said which
    // version it speaks.
    const Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version) {
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_xfixes_select_selection_input(c, root, selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    selectionNotifyType() =
        static_cast<std::uint8_t>(fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    return true;
}

bool isCompositingEvent(const void *xcbEvent)
{
    const auto *event = static_cast<const xcb_xfixes_selection_notify_event_t *>(xcbEvent);
    xcb_connection_t *c = connection();
    return c && selectionNotifyType() && (event->response_type & 0x7f) == *selectionNotifyType() &&
           event->selection == compositingSelection(c);
}

void followScreenStructure()
{
    xcb_connection_t *c = connection();
    if (!c) {
        return;
    }
    // Added to what this connection already asks of the root window (Qt follows its
    // properties), since a new mask replaces the old one.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
    if (!attributes) {
        return;
    }
    const quint32 mask = attributes->your_event_mask | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (mask != attributes->your_event_mask) {
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }
}

bool isStructureEvent(const void *xcbEvent)
{
    switch (static_cast<const xcb_generic_event_t *>(xcbEvent)->response_type & 0x7f) {
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_GRAVITY_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
        return true;
    default:
        return false;
    }
}

std::vector<bool> coveredWindows(const std::vector<QWindow *> &windows)
{
    xcb_connection_t *c = connection();
    if (!c) {
        return {};
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr));
    if (!tree) {
        return std::vector<bool>(windows.size(), false);
    }
    // The screen's top-level windows, bottom first, and what each hides.
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_get_geometry_cookie_t> geometryCookies;
    for (int i = 0; i < count; ++i) {
        attributeCookies.push_back(xcb_get_window_attributes(c, children[i]));
        geometryCookies.push_back(xcb_get_geometry(c, children[i]));
    }
    struct TopLevel
    {
        QRect area;
        bool viewable = false;
        bool opaque = false;
    };
    std::vector<TopLevel> stack(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, attributeCookies[i], nullptr));
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, geometryCookies[i], nullptr));
        if (!attributes || !geometry) {
            continue;
        }
        TopLevel &level = stack[static_cast<std::size_t>(i)];
        const int border = 2 * geometry->border_width;
        level.area =
            QRect(geometry->x, geometry->y, geometry->width + border, geometry->height + border);
        level.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        // A window of another depth (32 bits: translucent) lets what is below show.
        level.opaque = level.viewable && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT &&
                       geometry->depth == screen->root_depth;
    }

    std::vector<bool> covered;
    for (QWindow *window : windows) {
        bool hidden = false;
        if (window && window->handle()) {
            // The window's own top-level window: itself, or the frame a window
            // manager put it in.
            xcb_window_t top = static_cast<xcb_window_t>(window->winId());
            for (int depth = 0; depth < 8; ++depth) {
                const Reply<xcb_query_tree_reply_t> up(
                    xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr));
                if (!up || up->parent == screen->root || up->parent == XCB_WINDOW_NONE) {
                    break;
                }
                top = up->parent;
            }
            const xcb_window_t *position = std::find(children, children + count, top);
            const auto index = static_cast<std::size_t>(position - children);
            if (position != children + count && stack[index].viewable &&
                !stack[index].area.isEmpty()) {
                QRegion shown(stack[index].area);
                for (std::size_t above = index + 1; above < stack.size() && !shown.isEmpty();
                     ++above) {
                    if (stack[above].opaque) {
                        shown -= stack[above].area;
                    }
                }
                hidden = shown.isEmpty();
            }
        }
        covered.push_back(hidden);
    }
    return covered;
}

} // namespace X11Desktop
