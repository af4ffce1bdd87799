"""What the end-to-end tests share: private XDG folders for Tockwise, running
commands on the test's X display, finding clock windows, and collecting failures.
"""

import os
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


def finish(passed_message):
    """Exits with the outcome of every check."""
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print(passed_message)
