#pragma once

#include <QPoint>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

class QWindow;

namespace tockwise {

// Window-manager hints that Qt does not expose, set through the extended window
// manager hints (EWMH) on X11. On any other platform (Wayland, offscreen) each
// function does nothing, and the readers report nothing.
//
// The setters remember what they were asked for on the QWindow and apply it again
// whenever it is shown, because a window manager forgets these hints when a window
// is hidden, and Qt drops them with a native window it recreates. A QWidget whose
// window type changes gets a new QWindow, though: set them again on that one. (A
// QWidget has its QWindow, windowHandle(), once winId() or show() has made it.)
namespace X11Desktop {

// The workspace number that means every workspace.
inline constexpr quint32 allWorkspaces = 0xFFFFFFFF;

bool isX11();

// Sticky: shown on every workspace. Works before the window is shown and while it
// is on screen, any number of times.
void setOnAllWorkspaces(QWindow *window, bool on);
// Left out of task bars and pagers.
void setSkipTaskbar(QWindow *window, bool skip = true);

// Ends a move the window manager was asked for (QWindow::startSystemMove) but has
// not begun: one asked for on a press whose release came first would otherwise
// begin with no button held, and drag the window after the pointer until the
// next click.
void cancelSystemMove(QWindow *window);

// Readers of what the window manager made of it, for tests and diagnostics: the
// window's _NET_WM_DESKTOP, and the names of the atoms in its _NET_WM_STATE.
std::optional<quint32> workspaceOf(QWindow *window);
QStringList netWmState(QWindow *window);

// Where the X server has the window's top-left corner on the screen. Qt keeps its
// own idea of that, which a window manager's reparenting can leave stale.
std::optional<QPoint> positionOnScreen(QWindow *window);

// Whether a compositing manager composites the display's screen; nothing off X11.
std::optional<bool> isCompositing();
// Asks the X server to tell this connection whenever a compositing manager starts
// or stops; the events are those isCompositingEvent() recognises. False without
// the XFixes extension, when only asking again will tell.
bool followCompositing();
bool isCompositingEvent(const void *xcbEvent);

// Asks the X server to report every top-level window of the screen that is
// created, destroyed, mapped, unmapped, moved, resized or restacked, as events on
// this connection (which isStructureEvent() recognises).
void followScreenStructure();
bool isStructureEvent(const void *xcbEvent);
// For each window, whether the opaque top-level windows stacked above its own
// top-level window hide the whole of it. Unknown (false) for a window that is not
// mapped; empty off X11.
std::vector<bool> coveredWindows(const std::vector<QWindow *> &windows);

} // namespace X11Desktop

} // namespace tockwise
