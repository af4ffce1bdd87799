#include "desktop/x11/X11Desktop.h"

#include "desktop/x11/X11Connection.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace tockwise {

using namespace X11Connection;

namespace {

// EWMH _NET_WM_STATE actions, and the source indication of a normal application.
constexpr quint32 stateRemove = 0;
constexpr quint32 stateAdd = 1;
constexpr quint32 sourceApplication = 1;

const char *const hintsObjectName = "tockwise-x11-desktop-hints";

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
        const auto id = static_cast<xcb_window_t>(mWindow->winId());
        sendWishes(c, id, on);
        // Qt maps a window shown without activation with a user time of zero, which
        // some window managers take as an activation refused and answer by marking
        // the window as demanding attention: asked for by no one, and taken back.
        if (mWindow->property("_q_showWithoutActivating").toBool()) {
            internAtoms(c, {"_NET_WM_STATE", "_NET_WM_STATE_DEMANDS_ATTENTION"});
            sendToRoot(
                c, id, atom(c, "_NET_WM_STATE"),
                {stateRemove, atom(c, "_NET_WM_STATE_DEMANDS_ATTENTION"), 0, sourceApplication, 0});
            xcb_flush(c);
        }
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

} // namespace X11Desktop

} // namespace tockwise
