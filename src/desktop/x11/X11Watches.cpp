// What the desktop tells of the clocks' windows without being asked again: whether
// a compositing manager runs, when windows restack, and which are wholly covered.

#include "desktop/x11/X11Connection.h"
#include "desktop/x11/X11Desktop.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWindow>

#include <cstdlib>
#include <optional>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace tockwise {

using namespace X11Connection;

namespace X11Desktop {

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

namespace {

struct TopLevel
{
    QRect area;
    bool viewable = false;
    bool opaque = false;
};

// What each of the screen's top-level windows (bottom first) takes of the screen.
std::vector<TopLevel> topLevels(xcb_connection_t *c, const xcb_screen_t *screen,
                                const xcb_window_t *children, int count)
{
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_get_geometry_cookie_t> geometryCookies;
    for (int i = 0; i < count; ++i) {
        attributeCookies.push_back(xcb_get_window_attributes(c, children[i]));
        geometryCookies.push_back(xcb_get_geometry(c, children[i]));
    }
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
    return stack;
}

// The window's own top-level window: itself, or the frame a window manager put
// it in.
xcb_window_t topLevelOf(xcb_connection_t *c, const xcb_screen_t *screen, QWindow *window)
{
    xcb_window_t top = static_cast<xcb_window_t>(window->winId());
    for (int depth = 0; depth < 8; ++depth) {
        const Reply<xcb_query_tree_reply_t> up(
            xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr));
        if (!up || up->parent == screen->root || up->parent == XCB_WINDOW_NONE) {
            break;
        }
        top = up->parent;
    }
    return top;
}

bool hiddenByThoseAbove(const std::vector<TopLevel> &stack, std::size_t index)
{
    if (!stack[index].viewable || stack[index].area.isEmpty()) {
        return false;
    }
    QRegion shown(stack[index].area);
    for (std::size_t above = index + 1; above < stack.size() && !shown.isEmpty(); ++above) {
        if (stack[above].opaque) {
            shown -= stack[above].area;
        }
    }
    return shown.isEmpty();
}

} // namespace

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
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const std::vector<TopLevel> stack = topLevels(c, screen, children, count);

    std::vector<bool> covered;
    for (QWindow *window : windows) {
        bool hidden = false;
        if (window && window->handle()) {
            const xcb_window_t *position =
                std::find(children, children + count, topLevelOf(c, screen, window));
            hidden = position != children + count &&
                     hiddenByThoseAbove(stack, static_cast<std::size_t>(position - children));
        }
        covered.push_back(hidden);
    }
    return covered;
}

} // namespace X11Desktop

} // namespace tockwise
