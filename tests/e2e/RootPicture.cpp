// Sets a desktop picture as desktops do: a checkerboard pixmap made the root
// window's background and named in its _XROOTPMAP_ID and ESETROOT_PMAP_ID. The
// pixmap outlives this process (RetainPermanent).
//   root_picture WIDTH HEIGHT CELL RRGGBB RRGGBB

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

int main(int argc, char *argv[])
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (argc != 6 || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "usage: root_picture WIDTH HEIGHT CELL RRGGBB RRGGBB\n");
        return 2;
    }
    const int width = std::stoi(argv[1]), height = std::stoi(argv[2]), cell = std::stoi(argv[3]);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, pixmap, screen->root, width, height);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    for (int y = 0; y < height; y += cell) {
        for (int x = 0; x < width; x += cell) {
            const uint32_t colour = std::stoul(argv[4 + (x / cell + y / cell) % 2], nullptr, 16);
            const xcb_rectangle_t square{int16_t(x), int16_t(y), uint16_t(cell), uint16_t(cell)};
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            xcb_poly_fill_rectangle(c, pixmap, gc, 1, &square);
        }
    }
    xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
    for (const char *name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_PIXMAP, 32,
                            1, &pixmap);
        std::free(atom);
    }
    xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    // A round trip: by its end the server has done all the above.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    const bool failed = xcb_connection_has_error(c);
    xcb_disconnect(c);
    return failed ? 1 : 0;
}
