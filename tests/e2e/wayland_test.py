#!/usr/bin/env python3
"""Tockwise started as a user starts it in a headless session of a real Wayland
compositor: sway and KWin offer layers of the desktop, mutter runs X programs
through XWayland, weston has neither.

    wayland_test.py sway|kwin|mutter|weston TOCKWISE_BINARY
"""

import ctypes
import glob
import os
import re
import subprocess
import sys

from desktop import ENV, check, clock_windows, finish, geometry, pixel, stacking, wait_for
from wayland import session

KIND, TOCKWISE = sys.argv[1:3]
TRACE = re.compile(r"\[\s*\d+\.\d+\]")  # a line of WAYLAND_DEBUG's protocol trace


def start(s, trace=False):
    env = dict(s.env, WAYLAND_DEBUG="client") if trace else s.env
    return subprocess.Popen([TOCKWISE], env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)


def quit_and_read(s, process):
    """What it printed, once asked to quit: its own lines and the protocol trace."""
    check(s.run(TOCKWISE, "--quit").returncode == 0, "--quit is taken")
    output = process.communicate(timeout=60)[0].splitlines()
    return ([line for line in output if not TRACE.match(line)],
            [line for line in output if TRACE.match(line)])


def faces(s):
    """Places of what differs from the screen's commonest colour, 4-pixel cells
    joined into boxes (x, y, width, height) of about clock size."""
    width, height, rgb = s.screenshot()
    step = 4
    cells = {(x, y): rgb[3 * (y * width + x):3 * (y * width + x) + 3]
             for y in range(0, height, step) for x in range(0, width, step)}
    background = max(set(cells.values()), key=list(cells.values()).count)
    left = {cell for cell, colour in cells.items() if colour != background}
    boxes = []
    while left:
        todo = [left.pop()]
        xs, ys = [], []
        while todo:
            x, y = todo.pop()
            xs.append(x)
            ys.append(y)
            for near in ((x + step, y), (x - step, y), (x, y + step), (x, y - step)):
                if near in left:
                    left.remove(near)
                    todo.append(near)
        box = (min(xs), min(ys), max(xs) - min(xs) + step, max(ys) - min(ys) + step)
        if 100 <= box[2] <= 160 and 100 <= box[3] <= 160:
            boxes.append(box)
    return sorted(boxes)


def above_cover(s, bare, boxes):
    """Whether a window has opened over the screen's left (which changed) and the
    faces still show over it (a point low on each differs from the window)."""
    after = s.screenshot()
    for x, y, w, h in boxes:
        face, cover = (x + w // 4, y + 3 * h // 4), (200, y + 3 * h // 4)
        if pixel(after, *cover) in (pixel(bare, *cover), pixel(after, *face)):
            return False
    return True


def input_rectangles(s, window):
    """The rectangles of an X window's input shape (none: clicks go through)."""
    x11, xext = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXext.so.6")
    x11.XOpenDisplay.restype = xext.XShapeGetRectangles.restype = ctypes.c_void_p
    os.environ["XAUTHORITY"] = s.env.get("XAUTHORITY", "")
    display = ctypes.c_void_p(x11.XOpenDisplay(s.env["DISPLAY"].encode()))
    count, ordering = ctypes.c_int(), ctypes.c_int()
    rectangles = xext.XShapeGetRectangles(display, ctypes.c_ulong(window), 2,
                                          ctypes.byref(count), ctypes.byref(ordering))
    x11.XFree(ctypes.c_void_p(rectangles))
    x11.XCloseDisplay(display)
    return count.value


def apart(places):
    return len(places) == 2 and not any(
        a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]
        for a, b in [places])


def cover(s):
    """A window over the whole screen, in the session's ordinary kind of window."""
    if KIND == "sway":  # which tiles it over the whole output
        return subprocess.Popen(["weston-terminal"], env=s.env, stderr=subprocess.DEVNULL)
    return subprocess.Popen(["xmessage", "-geometry", "1280x800+0+0", "cover"], env=s.env)


def layers_or_x(s, places):
    """The scenario where clocks keep their places: layers, or X through XWayland."""
    first = start(s)
    check(wait_for(lambda: len(places()) == 1), "a first start shows one clock")
    check(s.run(TOCKWISE, "--new-clock", "Asia/Tokyo").returncode == 0, "--new-clock is taken")
    two = wait_for(lambda: apart(places()) and places()) or []
    check(two, "two clocks, placed apart: %r" % places())
    bare = s.screenshot() if KIND != "mutter" else None
    covering = cover(s)
    if KIND == "mutter":
        check(wait_for(lambda: s.run("xdotool", "search", "--onlyvisible", "--class",
                                     "xmessage").stdout), "a window opens over the clocks")
        check(set(stacking()[-2:]) == set(clock_windows()),
              "both clocks stay above a window opened over them: %r" % stacking())
        for window in clock_windows():
            state = s.run("xprop", "-id", str(window), "_NET_WM_STATE").stdout
            check("DEMANDS_ATTENTION" not in state, "a clock does not ask for attention: " + state)
    else:
        check(wait_for(lambda: above_cover(s, bare, two)),
              "both clocks show above a window opened over them")
    covering.terminate()
    covering.wait(timeout=30)
    said, _ = quit_and_read(s, first)
    check(said == [], "a start prints nothing: %r" % said)
    check(wait_for(lambda: places() == []), "quitting takes the clocks away")

    again = start(s, trace=True)
    check(wait_for(lambda: places() == two), "a new start keeps the places: %r" % places())
    check(s.run(TOCKWISE, "--click-through", "on").returncode == 0, "--click-through is taken")
    if KIND == "mutter":
        check(wait_for(lambda: all(input_rectangles(s, w) == 0 for w in clock_windows())),
              "with click-through the clocks take no input")
    said, trace = quit_and_read(s, again)
    check(said == [], "a second start prints nothing: %r" % said)
    if KIND != "mutter":
        filled = {m for line in trace for m in re.findall(r"(wl_region@\d+)\.add", line)}
        empty = [region for line in trace
                 for region in re.findall(r"set_input_region\((wl_region@\d+)\)", line)
                 if region not in filled]
        check(len(empty) == 2, "with click-through each clock's input region is empty: %r" % empty)


with session(KIND) as s:
    if KIND in ("sway", "kwin"):
        layers_or_x(s, lambda: faces(s))
    elif KIND == "mutter":
        # desktop.py's X tools, on mutter's XWayland.
        ENV.update({k: s.env[k] for k in ("DISPLAY", "XAUTHORITY")})
        layers_or_x(s, lambda: sorted(map(geometry, clock_windows())))
    else:
        bare = s.screenshot()
        alone = start(s)
        below_panel = lambda shot: shot[2][3 * 40 * shot[0]:]  # the panel's clock ticks
        check(wait_for(lambda: sum(a != b for a, b in zip(
            below_panel(bare), below_panel(s.screenshot()))) > 3 * 5000),
              "a clock shows without XWayland")
        said, _ = quit_and_read(s, alone)
        check(len(said) == 1 and "XWayland" in said[0], "one line says what is lost: %r" % said)
        # Without Qt's Wayland platform too: one line says what to install.
        platforms = os.path.dirname(glob.glob("/usr/lib/*/qt6/plugins/platforms/libqwayland*")[0])
        hidden = subprocess.run(["unshare", "--mount", "sh", "-c", 'mount -t tmpfs none "$1" && '
                                 'exec "$2"', "-", platforms, TOCKWISE],
                                env=s.env, capture_output=True, text=True, timeout=60)
        check(hidden.returncode == 2 and "qt6-wayland" in hidden.stderr
              and len(hidden.stderr.splitlines()) == 1,
              "without Qt's Wayland platform: status 2 and one line: %r" % hidden.stderr)

finish("Tockwise runs in %s's session as it should" % KIND)
