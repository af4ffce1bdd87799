#pragma once

// The X connection under Qt's windows, and what the desktop library asks of it:
// atoms, 32-bit properties, a window's root. Only for this library's sources.

#include <QCoreApplication>
#include <QtGlobal>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace tockwise {

namespace X11Connection {

struct FreeDeleter
{
    void operator()(void *reply) const { std::free(reply); }
};
// A reply of the X server, freed as xcb wants.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Qt's connection, or none where the platform is not X11.
xcb_connection_t *connection();

// An atom stands for its name as long as the X server runs, so each is asked for
// once per connection: every question is a round trip that a window being shown
// waits for. internAtoms asks for all those not known yet at once.
void internAtoms(xcb_connection_t *c, std::initializer_list<const char *> names);
xcb_atom_t atom(xcb_connection_t *c, const char *name);

std::vector<quint32> property32(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type);
xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window);

// For the one watcher of its kind an application has, made at its first use:
// given to the application, so that it is gone with it and with the connection
// it asks.
template <typename T> T *ownedByApplication(T *watcher)
{
    watcher->setParent(QCoreApplication::instance());
    return watcher;
}

} // namespace X11Connection

} // namespace tockwise
