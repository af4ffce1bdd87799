#!/usr/bin/env python3
"""Commands of a later start reaching the running Tockwise, on an X desktop.

Run by ctest under Xvfb through with-desktop.sh:
    interaction_test.py TOCKWISE_BINARY
"""

import os
import plistlib
import subprocess
import sys
import tempfile
import threading
import time

TOCKWISE = sys.argv[1]
HOME = tempfile.mkdtemp(prefix="tockwise-e2e-")
RUNTIME = os.path.join(HOME, "runtime")
os.makedirs(RUNTIME, mode=0o700)
ENV = dict(os.environ,
           XDG_CONFIG_HOME=os.path.join(HOME, "config"),
           XDG_DATA_HOME=os.path.join(HOME, "data"),
           XDG_RUNTIME_DIR=RUNTIME,
           QT_QPA_PLATFORM="xcb")
FOLDER = os.path.join(HOME, "data", "org.tockwise.Tockwise")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    return predicate()


def run(*arguments, timeout=30):
    return subprocess.run(arguments, env=ENV, capture_output=True, text=True, timeout=timeout)


def clock_windows():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Tockwise clock$")
    return [int(w) for w in found.stdout.split()]


def geometry(window):
    shell = run("xdotool", "getwindowgeometry", "--shell", str(window)).stdout
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


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

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("all checks passed")
