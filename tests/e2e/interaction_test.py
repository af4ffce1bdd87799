#!/usr/bin/env python3
"""Click-through switched by a later start, and its way out, on an X desktop with a
system tray (tint2, XEmbed).

Run by ctest under Xvfb through with-desktop.sh:
    interaction_test.py TOCKWISE_BINARY
"""

import os
import plistlib
import re
import subprocess
import sys
import threading

from desktop import (above, check, clock_windows, ended, ENV, finish, geometry, HOME,
                     move_pointer, run, wait_for)

TOCKWISE = sys.argv[1]


def alerts():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Tockwise$").stdout.split()
    return [window for window in found if int(window) not in clock_windows()]


def click_through():
    try:
        with open(os.path.join(HOME, "config", "org.tockwise.Tockwise.plist"), "rb") as f:
            return plistlib.load(f).get("TKWClickThrough")
    except (OSError, plistlib.InvalidFileException):
        return None


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
check(wait_for(lambda: run("xdotool", "search", "--onlyvisible", "--class", "tint2").stdout),
      "tint2 shows a panel")
said = open(os.path.join(HOME, "tockwise.err"), "w+")
app = subprocess.Popen([TOCKWISE], env=ENV, stdout=said, stderr=said)
first = wait_for(clock_windows)
check(len(first) == 1, "Tockwise starts with one clock")

# Click-through: a click at a clock's centre reaches the window beneath it.
clock = first[0]
x, y, width, height = geometry(clock)
beneath = subprocess.Popen(["xev", "-geometry", "%dx%d+%d+%d" % (width + 40, height + 40,
                                                                   x - 20, y - 20)],
                           env=ENV, stdout=subprocess.PIPE, text=True)
seen = []
threading.Thread(target=lambda: [seen.append(line) for line in beneath.stdout],
                 daemon=True).start()
check(wait_for(lambda: any("Expose" in line for line in seen)), "xev shows its window")
beneath_window = int(seen[0].split()[3].rstrip(","), 16)  # "Outer window is 0x...,"
run("xdotool", "windowraise", str(clock))
check(wait_for(lambda: above(clock, beneath_window)), "the clock is stacked above xev's window")


def click_reaches_beneath():
    move_pointer(x + width // 2, y + height // 2)
    before = len(seen)
    run("xdotool", "click", "1")
    # A property change made after the click reaches xev after anything the click brought.
    run("xprop", "-id", str(beneath_window), "-f", "_MARK", "8s", "-set", "_MARK", "1")
    mark = wait_for(lambda: next((i for i in range(before, len(seen)) if "(_MARK)" in seen[i]), 0))
    check(mark, "xev sees the mark after the click")
    return any("ButtonPress" in line for line in seen[before:mark])


check(not click_reaches_beneath(), "without click-through the clock takes the click")
check(run(TOCKWISE, "--click-through", "on").returncode == 0, "--click-through on is taken")
explanations = wait_for(alerts)
check(explanations, "the first switch to click-through explains the way out")
icons = wait_for(tray_icons)
check(len(icons) == 1, "the status item shows in the tray: %r" % icons)
check(wait_for(lambda: click_through() is True), "click-through is on")
# The way out works while the explanation is still open.
if icons:
    move_pointer(icons[0][0] + icons[0][2] // 2, icons[0][1] + icons[0][3] // 2)
    run("xdotool", "click", "1")
check(wait_for(lambda: click_through() is False),
      "a click on the status item switches click-through off while the explanation shows")
check(wait_for(lambda: not tray_icons()), "the status item goes")
check(explanations and set(explanations) <= set(alerts()),
      "the explanation stays until it is answered")
for alert in explanations:
    run("xdotool", "windowactivate", "--sync", alert)
    wait_for(lambda: run("xdotool", "getwindowfocus").stdout.strip() == alert)
    run("xdotool", "key", "Escape")
check(wait_for(lambda: not alerts()), "the explanation is answered")
# A switch reaches the clocks' windows a moment after the command has its answer:
# the click is tried again until it gets through, and after the switch back until
# the clock takes it.
check(run(TOCKWISE, "--click-through", "on").returncode == 0, "--click-through on is taken")
check(wait_for(click_reaches_beneath), "with click-through on a click reaches the window beneath")
check(run(TOCKWISE, "--click-through", "off").returncode == 0, "--click-through off is taken")
check(wait_for(lambda: not click_reaches_beneath()),
      "with click-through off the clock takes the click again")
ended(beneath, stop=True)

check(run(TOCKWISE, "--quit").returncode == 0, "--quit is taken")
check(ended(app), "--quit ends Tockwise")
said.seek(0)
check(not said.read(), "Tockwise says nothing on a desktop where nothing is wrong")
ended(panel, stop=True)
finish("all checks passed")
