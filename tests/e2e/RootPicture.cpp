// Sets a desktop picture as desktops do: a checkerboard pixmap, the root window's
// background and named in its _XROOTPMAP_ID and ESETROOT_PMAP_ID; or, with "none",
// takes the names away. The pixmap outlives this process (RetainPermanent).
//   root_picture WIDTH HEIGHT CELL RRGGBB RRGGBB | root_picture none

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

int main(int argc, char *argv[])
{
    const bool none = argc == 2 && std::strcmp(argv[1], "none") == 0;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if ((!none && argc != 6) || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "usage: root_picture WIDTH HEIGHT CELL RRGGBB RRGGBB | none\n");
        return 2;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_atom_t names[2];
    for (int i = 0; i < 2; ++i) {
        const char *name = i == 0 ? "_XROOTPMAP_ID" : "ESETROOT_PMAP_ID";
        auto *reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        names[i] = reply->atom;
        std::free(reply);
        if (none) {
            xcb_delete_property(c, screen->root, names[i]);
        }
    }
    if (!none) {
        const int width = std::stoi(argv[1]), height = std::stoi(argv[2]),
                  cell = std::stoi(argv[3]);
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, screen->root_depth, pixmap, screen->root, width, height);
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, pixmap, 0, nullptr);
        for (int y = 0; y < height; y += cell) {
            for (int x = 0; x < width; x += cell) {
                const uint32_t colour =
                    std::stoul(argv[4 + (x / cell + y / cell) % 2], nullptr, 16);
                xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
                const xcb_rectangle_t square{static_cast<int16_t>(x), static_cast<int16_t>(y),
                                             static_cast<uint16_t>(cell),
                                             static_cast<uint16_t>(cell)};
                xcb_poly_fill_rectangle(c, pixmap, gc, 1, &square);
            }
        }
        xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
        for (const xcb_atom_t name : names) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, name, XCB_ATOM_PIXMAP, 32,
                                1, &pixmap);
        }
        xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    }
    // A round trip: whatever the server refused is among the events by its end.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    bool failed = xcb_connection_has_error(c);
    while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
        failed = failed || event->response_type == 0;
        std::free(event);
    }
    xcb_disconnect(c);
    return failed ? 1 : 0;
}
