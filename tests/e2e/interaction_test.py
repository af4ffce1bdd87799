#!/usr/bin/env python3
"""Commands of a later start reaching the running Tockwise, on an X desktop.

Run by ctest under Xvfb through with-desktop.sh:
    interaction_test.py TOCKWISE_BINARY
"""

import os
import plistlib
import subprocess
import sys
import threading
import time

from desktop import check, clock_windows, ENV, finish, FOLDER, geometry, run, wait_for

TOCKWISE = sys.argv[1]
def dismiss_alerts():
    """Answers any explanation the running instance shows."""
    for window in run("xdotool", "search", "--onlyvisible", "--name", "^Tockwise$").stdout.split():
        if int(window) not in clock_windows():
            run("xdotool", "windowactivate", "--sync", window)
            run("xdotool", "key", "--window", window, "Return")


app = subprocess.Popen([TOCKWISE], env=ENV, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
first = wait_for(clock_windows, 15)
check(len(first) == 1, "Tockwise starts with one clock")

# A clock for a zone, from another start.
added = run(TOCKWISE, "--new-clock", "Europe/Paris")
check(added.returncode == 0, "--new-clock is taken: %r" % added.stderr)
check(wait_for(lambda: len(clock_windows()) == 2, 10), "--new-clock adds a window")
unknown = run(TOCKWISE, "--new-clock", "Mars/Base")
check(unknown.returncode == 2 and unknown.stderr.strip().count("\n") == 0 and unknown.stderr,
      "an unknown zone gets one line and exit code 2: %r" % ((unknown.returncode, unknown.stderr),))
time.sleep(0.3)
check(len(clock_windows()) == 2, "an unknown zone makes no clock")

# Click-through: a click at a clock's centre reaches the window beneath it.
clock = first[0]
x, y, width, height = geometry(clock)
beneath = subprocess.Popen(["xev", "-geometry", "%dx%d+%d+%d" % (width + 40, height + 40,
                                                                   x - 20, y - 20)],
                           env=ENV, stdout=subprocess.PIPE, text=True)
time.sleep(1.0)
run("xdotool", "windowraise", str(clock))
time.sleep(0.3)


seen = []
threading.Thread(target=lambda: [seen.append(line) for line in beneath.stdout],
                 daemon=True).start()


def click_reaches_beneath():
    run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
    time.sleep(0.3)
    before = len(seen)
    run("xdotool", "click", "1")
    time.sleep(0.6)
    return any("ButtonPress" in line for line in seen[before:])


check(not click_reaches_beneath(), "without click-through the clock takes the click")
switched = subprocess.Popen([TOCKWISE, "--click-through", "on"], env=ENV)
switched.wait(timeout=10)
check(switched.returncode == 0, "--click-through on is taken")
time.sleep(0.5)
dismiss_alerts()
time.sleep(0.5)
check(click_reaches_beneath(), "with click-through on a click reaches the window beneath")
check(run(TOCKWISE, "--click-through", "off").returncode == 0, "--click-through off is taken")
time.sleep(0.5)
check(not click_reaches_beneath(), "with click-through off the clock takes the click again")
beneath.terminate()
beneath.wait()

# After quit the new clock's file names its zone.
check(run(TOCKWISE, "--quit").returncode == 0, "--quit is taken")
app.wait(timeout=10)
found = False
for name in os.listdir(FOLDER):
    with open(os.path.join(FOLDER, name), "rb") as f:
        settings = plistlib.load(f)
    if settings.get("TKWTimeZone") == "Europe/Paris":
        found = True
        check(settings.get("TKWLocal") is False, "the Paris clock is not local")
        check(settings.get("TKWShowTimeZone") in (1, True), "the Paris clock shows its zone")
check(found, "a settings file holds Europe/Paris")

finish("all checks passed")
