// Prints when top-level windows appear on an X display, for bench/compare-peers.
//
// Output, one line each, flushed at once:
//   ready MONOTONIC_MS                  once the root window is watched
//   map MONOTONIC_MS WINDOW OVERRIDE    for each MapNotify of a child of the root
// MONOTONIC_MS is CLOCK_MONOTONIC in milliseconds with fractions, the clock Python's
// time.monotonic() reads, so the launcher can subtract its own launch time.
// Runs until the X server goes away or the process is ended.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <xcb/xcb.h>

namespace {

double monotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace

int main()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "map_watch: cannot connect to the X display\n");
        xcb_disconnect(connection);
        return EXIT_FAILURE;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;

    // Substructure notification on the root reports the maps of its children, which
    // without a window manager are exactly the clients' top-level windows.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t cookie =
        xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so that "ready" is only said once no map can be missed.
    if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
        std::fprintf(stderr, "map_watch: cannot watch the root window (error %d)\n",
                     error->error_code);
        std::free(error);
        xcb_disconnect(connection);
        return EXIT_FAILURE;
    }
    std::printf("ready %.3f\n", monotonicMilliseconds());
    std::fflush(stdout);

    while (xcb_generic_event_t *raw = xcb_wait_for_event(connection)) {
        // Read the clock first, before anything else can delay it.
        const double now = monotonicMilliseconds();
        const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(raw, &std::free);
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) {
            continue;
        }
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event.get());
        if (map->event != root) {
            continue;
        }
        std::printf("map %.3f 0x%08x %d\n", now, static_cast<unsigned>(map->window),
                    map->override_redirect ? 1 : 0);
        std::fflush(stdout);
    }
    xcb_disconnect(connection);
    return EXIT_SUCCESS;
}
