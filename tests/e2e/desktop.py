"""What the end-to-end tests share: private XDG folders for Tockwise, running
commands on the test's X display, finding clock windows, waiting for what the
desktop shows, and collecting failures.

Nothing here sleeps a fixed time: on a busy machine any moment can be too short.
Each wait is for a condition, polled until a deadline far beyond its usual time.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

HOME = tempfile.mkdtemp(prefix="tockwise-e2e-")
RUNTIME = os.path.join(HOME, "runtime")
os.makedirs(RUNTIME, mode=0o700)
ENV = dict(os.environ,
           XDG_CONFIG_HOME=os.path.join(HOME, "config"),
           XDG_DATA_HOME=os.path.join(HOME, "data"),
           XDG_RUNTIME_DIR=RUNTIME,
           QT_QPA_PLATFORM="xcb",
           # Windows and panels are found by their English titles.
           LANGUAGE="", LC_ALL="C.UTF-8")
FOLDER = os.path.join(HOME, "data", "org.tockwise.Tockwise")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def wait_for(predicate, seconds=30):
    """The first true value of predicate(), or its last value when time is up."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    return predicate()


def eventually(look, seconds=30):
    """Repeats a look, which returns what it found wrong, until it finds nothing
    wrong or the time is up; then reports what the last look found."""
    deadline = time.monotonic() + seconds
    while (problems := look()) and time.monotonic() < deadline:
        time.sleep(0.05)
    for problem in problems:
        check(False, problem)
    return not problems


def run(*arguments, timeout=30):
    return subprocess.run(arguments, env=ENV, capture_output=True, text=True, timeout=timeout)


def clock_windows():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Tockwise clock$")
    return [int(w) for w in found.stdout.split()]


def stacking():
    """The managed windows, bottom to top, as the window manager stacks them."""
    listed = run("xprop", "-root", "_NET_CLIENT_LIST_STACKING").stdout
    return [int(window, 16) for window in re.findall(r"0x[0-9a-f]+", listed)]


def above(upper, lower):
    """Whether the window manager stacks both windows, upper above lower."""
    ids = stacking()
    return upper in ids and lower in ids and ids.index(upper) > ids.index(lower)


def move_pointer(x, y):
    """Moves the pointer and waits until the server has it there."""
    run("xdotool", "mousemove", str(x), str(y))
    return wait_for(lambda: run("xdotool", "getmouselocation").stdout.split()[:2]
                    == ["x:%d" % x, "y:%d" % y])


def geometry(window):
    shell = run("xdotool", "getwindowgeometry", "--shell", str(window)).stdout
    values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def read_ppm(data):
    """(width, height, rows of RGB bytes) of a binary PPM as Qt, grim and pngtopnm write it."""
    _, size, _, rgb = data.split(b"\n", 3)  # P6, W H, 255, pixels
    width, height = map(int, size.split())
    return width, height, rgb


def pixel(screen, x, y):
    width, _, rgb = screen
    offset = 3 * (y * width + x)
    return tuple(rgb[offset:offset + 3])


def ended(process, stop=False):
    """Whether the process ends within 30 s, terminated first when stop; killed if not."""
    if stop:
        process.terminate()
    try:
        process.wait(timeout=30)
        return True
    except subprocess.TimeoutExpired:
        process.kill()
        return False


def finish(passed_message):
    """Exits with the outcome of every check."""
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print(passed_message)
