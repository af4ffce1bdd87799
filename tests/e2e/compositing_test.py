#!/usr/bin/env python3
"""Two clocks over a patterned desktop, with a compositing manager and without.

Without one, an X server shows the transparent pixels of a translucent window as
black; the clocks must then cut their windows to the dial. Either way, each clock's
face shows at its window and the desktop shows around the dial, and a picture the
desktop names shows through the half-transparent face.

Run by ctest under Xvfb through with-desktop.sh:
    compositing_test.py TOCKWISE_BINARY SCREEN_GRAB_BINARY ROOT_PICTURE_BINARY
"""

import math
import os
import subprocess
import sys

from desktop import (check, clock_windows, ended, ENV, eventually, finish, geometry, HOME, pixel,
                     read_ppm, run, wait_for)

TOCKWISE, SCREEN_GRAB, ROOT_PICTURE = sys.argv[1:4]
# The desktop: a check of these two colours, which no clock paints.
PATTERN = ((255, 0, 255), (0, 255, 0))
FACE = (255, 255, 240)  # a clock's face by default, half transparent


def grab():
    """The screen as (width, height, rows of RGB bytes)."""
    path = os.path.join(HOME, "screen.ppm")
    result = run(SCREEN_GRAB, path)
    if result.returncode != 0:
        raise RuntimeError(result.stderr)
    with open(path, "rb") as f:
        return read_ppm(f.read())


def near(colour, others):
    return any(all(abs(a - b) <= 8 for a, b in zip(colour, p)) for p in others)


def shaped(window):
    return "Window shape extents" in run("xwininfo", "-shape", "-id", str(window)).stdout


def look(situation, windows, cut):
    """What the screen does not show as it should, each said as it should be. A
    clock is cut to its dial (cut) only while there is no compositor."""
    problems = ["%s: the clock's window is %scut to the dial" % (situation, "" if cut else "not ")
                for window in windows if shaped(window) != cut]
    screen = grab()
    # What the desktop shows where no window is: the pattern, or what a compositor
    # paints there when the root window names no background picture of its own.
    desktop = set(PATTERN) | {pixel(screen, x, 700) for x in (10, 11, 12, 13)}
    if (0, 0, 0) in desktop:
        problems.append("%s: the desktop itself is not black" % situation)
    for window in windows:
        x, y, width, height = geometry(window)
        centre = pixel(screen, x + width // 2 + width // 5, y + height // 2 + height // 5)
        if near(centre, desktop) or centre == (0, 0, 0):
            problems.append("%s: the face shows at the clock's window, not %r" % (situation, centre))
        for cx, cy in ((x + 2, y + 2), (x + width - 3, y + 2), (x + 2, y + height - 3),
                       (x + width - 3, y + height - 3)):
            colour = pixel(screen, cx, cy)
            if not near(colour, desktop):
                problems.append("%s: the desktop shows around the dial at (%d, %d), not %r"
                                % (situation, cx, cy, colour))
    return problems


def blended(situation, windows, under):
    """Where faces do not show their colour half over under(x, y), on a ring clear of
    texts and marks (a few of its points under the hands)."""
    screen, problems = grab(), []
    for x, y, width, height in map(geometry, windows):
        ring = [(x + width // 2 + round(0.32 * width * math.cos(step * math.pi / 12)),
                 y + height // 2 + round(0.32 * height * math.sin(step * math.pi / 12)))
                for step in range(24)]
        wrong = [(p, pixel(screen, *p)) for p in ring if not near(
            pixel(screen, *p), [tuple((f + b) // 2 for f, b in zip(FACE, under(*p)))])]
        if len(wrong) > 5:
            problems.append("%s: the face at %r shows %r" % (situation, (x, y), wrong[:3]))
    return problems


def desktop_picture(width, height, cell, first, second):
    """Names a checkerboard as the desktop's picture; the colour it puts at a point."""
    made = run(ROOT_PICTURE, *map(str, (width, height, cell)), "%02x%02x%02x" % first,
               "%02x%02x%02x" % second)
    check(made.returncode == 0, "the desktop picture is set: %r" % made.stderr)
    return lambda x, y: (first, second)[((x % width) // cell + (y % height) // cell) % 2]


def move(window, x, y):
    run("xdotool", "windowmove", str(window), str(x), str(y))
    check(wait_for(lambda: geometry(window)[:2] == (x, y)), "a clock moves to %r" % ((x, y),))


run("xsetroot", "-mod", "4", "4", "-fg", "#ff00ff", "-bg", "#00ff00")

tockwise = subprocess.Popen([TOCKWISE], env=ENV, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
compositor = None
try:
    first = wait_for(clock_windows)
    check(len(first) == 1, "a first start shows one clock")
    added = run(TOCKWISE, "--new-clock", "Asia/Tokyo")
    check(added.returncode == 0, "a second clock is added: %r" % added.stderr)
    windows = wait_for(lambda: len(clock_windows()) == 2 and clock_windows()) or []
    check(len(windows) == 2, "two clocks show")
    # Apart, so that neither covers the other's corners.
    places = [(200 + 300 * number, 200) for number in range(len(windows))]
    for window, (x, y) in zip(windows, places):
        move(window, x, y)

    # The X server tells Tockwise when a compositor comes or goes: each look is
    # taken again until the clocks have followed and the screen is right.
    eventually(lambda: look("without a compositor", windows, cut=True))

    compositor = subprocess.Popen(["xcompmgr"], env=ENV, stderr=subprocess.PIPE)
    eventually(lambda: look("with a compositor", windows, cut=False))
    check(compositor.poll() is None, "xcompmgr runs")

    ended(compositor, stop=True)
    compositor = None
    eventually(lambda: look("after the compositor stopped", windows, cut=True))
    # A root background that no property names is not known: the face stays dark.
    black = lambda x, y: (0, 0, 0)
    eventually(lambda: blended("without a named desktop picture", windows, black))

    # Pictures smaller than the screen, tiled from its corner: the clocks straddle
    # the tiles' edges.
    under = desktop_picture(90, 70, 10, *PATTERN)
    eventually(lambda: blended("over a desktop picture", windows, under))
    move(windows[0], 333, 411)
    eventually(lambda: blended("moved over a desktop picture", windows, under))
    under = desktop_picture(64, 48, 8, (0, 0, 255), (255, 255, 0))
    eventually(lambda: blended("over another desktop picture", windows, under))

    # A compositor draws the picture under the face itself; the clocks fetch it again
    # for where they are once it stops.
    compositor = subprocess.Popen(["xcompmgr"], env=ENV, stderr=subprocess.PIPE)
    check(wait_for(lambda: not any(shaped(w) for w in windows)), "a compositor shows the clocks")
    eventually(lambda: blended("composited over a desktop picture", windows, under))
    move(windows[-1], 600, 450)
    ended(compositor, stop=True)
    compositor = None
    eventually(lambda: blended("moved while composited", windows, under))
    run("xprop", "-root", "-remove", "_XROOTPMAP_ID")
    run("xprop", "-root", "-remove", "ESETROOT_PMAP_ID")
    eventually(lambda: blended("after the desktop picture went", windows, black))
finally:
    if compositor:
        compositor.kill()
    run(TOCKWISE, "--quit")
    ended(tockwise)

finish("compositing checks passed")
