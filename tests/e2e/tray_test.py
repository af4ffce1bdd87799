#!/usr/bin/env python3
"""The way out of click-through with a real system tray (tint2, XEmbed): a click
on the status item switches click-through off even while the explanation that
tells of it is still open.

Run by ctest under Xvfb through with-desktop.sh:
    tray_test.py TOCKWISE_BINARY
"""

import os
import plistlib
import re
import subprocess
import sys

from desktop import check, clock_windows, ENV, finish, HOME, run, wait_for

TOCKWISE = sys.argv[1]
DEFAULTS = os.path.join(HOME, "config", "org.tockwise.Tockwise.plist")


def click_through():
    try:
        with open(DEFAULTS, "rb") as f:
            return plistlib.load(f).get("TKWClickThrough")
    except (OSError, plistlib.InvalidFileException):
        return None


def explanations():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Tockwise$").stdout.split()
    return [int(w) for w in found if int(w) not in clock_windows()]


def tray_icons():
    """The icons the panel holds, as (x, y, width, height) on the screen: the
    children of the panel's window, where it embeds them."""
    panels = run("xdotool", "search", "--onlyvisible", "--class", "tint2").stdout.split()
    icons = []
    for panel_window in panels:
        tree = run("xwininfo", "-children", "-id", panel_window).stdout
        for found in re.finditer(r"(\d+)x(\d+)[+-]\d+[+-]\d+\s+\+(-?\d+)\+(-?\d+)", tree):
            width, height, x, y = map(int, found.groups())
            icons.append((x, y, width, height))
    return icons


panel = subprocess.Popen(["tint2"], env=ENV, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
said = open(os.path.join(HOME, "tockwise.err"), "w+")
tockwise = subprocess.Popen([TOCKWISE], env=ENV, stdout=said, stderr=said)
try:
    check(wait_for(lambda: run("xdotool", "search", "--onlyvisible", "--class", "tint2").stdout,
                   30), "tint2 shows a panel")
    check(wait_for(clock_windows, 30), "Tockwise shows a clock")
    switched = run(TOCKWISE, "--click-through", "on")
    check(switched.returncode == 0, "--click-through on is taken: %r" % switched.stderr)
    explanation = wait_for(explanations, 30)
    check(explanation, "the first switch to click-through explains the way out")
    icons = wait_for(tray_icons, 30)
    check(len(icons) == 1, "the status item shows in the tray: %r" % icons)
    check(wait_for(lambda: click_through() is True, 30), "click-through is on")

    if icons:
        x, y, width, height = icons[0]
        run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
        run("xdotool", "click", "1")
    check(wait_for(lambda: click_through() is False, 30),
          "a click on the status item switches click-through off while the explanation shows")
    check(wait_for(lambda: not tray_icons(), 30), "the status item goes")
    check(explanation and set(explanation) <= set(explanations()),
          "the explanation stays until it is answered")
    check(tockwise.poll() is None, "Tockwise runs on")
finally:
    run(TOCKWISE, "--quit")
    try:
        tockwise.wait(timeout=30)
    except subprocess.TimeoutExpired:
        tockwise.kill()
    said.seek(0)
    check(not said.read(), "Tockwise says nothing on a desktop where nothing is wrong")
    panel.terminate()
    panel.wait(timeout=30)

finish("tray checks passed")
