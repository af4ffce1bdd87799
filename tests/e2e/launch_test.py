#!/usr/bin/env python3
"""Tockwise started as a user starts it, on an X desktop with a window manager.

Run by ctest under Xvfb through with-desktop.sh:
    launch_test.py TOCKWISE_BINARY
"""

import os
import plistlib
import signal
import subprocess
import sys

from desktop import (above, check, clock_windows, ended, ENV, finish, FOLDER, geometry,
                     move_pointer, run, stacking, wait_for)

TOCKWISE = sys.argv[1]


def start():
    return subprocess.Popen([TOCKWISE], env=ENV, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


# A first start with empty folders shows exactly one clock.
first = start()
windows = wait_for(clock_windows)
check(len(windows) == 1, "a first start shows one clock window, not %r" % windows)
clock = windows[0] if windows else 0
check(geometry(clock)[2:] == (128, 128), "the default clock is 128 points square")

# It floats above other windows: a window opened later over it stays below it.
state = run("xprop", "-id", str(clock), "_NET_WM_STATE").stdout
check("_NET_WM_STATE_ABOVE" in state, "the clock asks to be above: " + state.strip())
x, y, width, height = geometry(clock)
cover = subprocess.Popen(["xmessage", "-geometry", "300x300+%d+%d" % (x - 50, y - 50),
                          "over the clock"], env=ENV)
cover_window = (wait_for(lambda: [int(w) for w in run(
    "xdotool", "search", "--onlyvisible", "--class", "xmessage").stdout.split()]) or [0])[0]
# The window manager stacks a window as it takes it on, before it maps it.
if check(wait_for(lambda: {clock, cover_window} <= set(stacking())),
         "both windows are managed: %r" % stacking()):
    check(above(clock, cover_window), "the clock stays above a window opened over it")
ended(cover, stop=True)

# Dragging the face moves the window.
x, y, width, height = geometry(clock)
start_x, start_y = x + width // 2 - 20, y + height // 2 + 30
move_pointer(start_x, start_y)
run("xdotool", "mousedown", "1")
# The window manager takes the move over a moment after the press, from where the
# pointer is then: until the window follows, the pointer is moved on a pixel at a
# time, so the window ends up to a few pixels of the pointer's whole way.
nudged = [0]


def window_follows():
    nudged[0] += 1
    move_pointer(start_x - nudged[0], start_y)
    return geometry(clock)[0] < x


check(wait_for(window_follows), "the window manager takes the drag over")
for step in range(1, 11):
    move_pointer(start_x - 30 * step, start_y + 20 * step)
run("xdotool", "mouseup", "1")


def dragged():
    left, top = geometry(clock)[:2]
    return x - 300 <= left <= x - 300 + nudged[0] and top == y + 200


check(wait_for(dragged), "dragging the face moves the clock: %r to %r, the pointer by (-300, 200)"
      % ((x, y), geometry(clock)[:2]))
placed = geometry(clock)

# A click is no drag: the window manager, asked to move the clock at the press,
# lets go at the release, even one that comes before it has begun.
move_pointer(placed[0] + width // 2, placed[1] + height // 2)
run("xdotool", "click", "1")
for step in range(1, 6):
    move_pointer(placed[0] + width // 2 + 40 * step, placed[1] + height // 2 + 20 * step)
check(geometry(clock) == placed, "a click leaves the clock where it is, not at %r"
      % (geometry(clock),))


def saved_place():
    """Whether Tockwise has saved the clock's place as the X server has it (in the
    settings y counts up from the foot of the screen)."""
    x, y, width, height = placed
    screen_height = int(run("xdotool", "getdisplaygeometry").stdout.split()[1])
    try:
        with open(os.path.join(ENV["XDG_CONFIG_HOME"], "org.tockwise.Tockwise.plist"), "rb") as f:
            values = plistlib.load(f).values()
    except (OSError, ValueError):
        return False
    return "%d %d %d %d" % (x, screen_height - y - height, width, height) in values


# Tockwise saves a clock's place a moment after it moves; that save shows it has
# taken in the last move, which SIGTERM would otherwise race.
check(wait_for(saved_place), "the clock's new place is saved")
# SIGTERM ends Tockwise, saving the clock and where it is.
first.send_signal(signal.SIGTERM)
ended(first)
check(first.returncode == 0, "it ends normally, not with %r" % first.returncode)

files = [f for f in os.listdir(FOLDER) if f.endswith(".tkw")] if os.path.isdir(FOLDER) else []
check(len(files) == 1, "one settings file is left: %r" % files)

# The next start shows the same clock at the same place.
again = start()
windows = wait_for(clock_windows)
check(len(windows) == 1, "the next start shows the one saved clock")
if windows:
    check(wait_for(lambda: geometry(windows[0]) == placed),
          "it comes back where it was: %r, not %r" % (placed, geometry(windows[0])))
quit_reply = run(TOCKWISE, "--quit")
check(quit_reply.returncode == 0, "--quit is taken")
check(ended(again), "--quit ends the running instance")

finish("all checks passed")
