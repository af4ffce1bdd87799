"""Headless Wayland sessions for the end-to-end tests, in sway, kwin, mutter or weston:

    with session("sway") as s:
        subprocess.Popen([TOCKWISE], env=s.env)
        s.screenshot()           # (width, height, RGB rows) of the 1280x800 output; not mutter
        s.run("xprop", "-root")  # in kwin and mutter, on their XWayland display

s.env is desktop.ENV with the session's WAYLAND_DISPLAY, XDG_RUNTIME_DIR, D-Bus session bus
and, where XWayland runs, DISPLAY and XAUTHORITY; without QT_QPA_PLATFORM, so that a program
chooses its platform as at a user's. Leaving the session ends every process started with that
environment, also when the test fails or is killed. A root test runs sway as "nobody"; where
there is none, Unavailable ends the test as skipped (exit status 77).
"""

import contextlib
import glob
import json
import os
import pwd
import shutil
import subprocess
import tempfile

from desktop import ENV, HOME, read_ppm, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 1280, 800  # sway.conf's too
QDBUS = "/usr/lib/qt6/bin/qdbus"
# Run by KWin and mutter once their XWayland runs, to tell the X display they give their
# clients; it stays, as mutter ends with it.
REPORTER = '#!/bin/sh\nenv > "$0.part" && mv "$0.part" "$0.env"\nexec sleep infinity\n'
# Once the test closes its end of the guard's input, or dies, the guard ends every process
# whose environment carries the session's mark ($0). It leaves the test's process tree first:
# a test runner that kills the tree at a time-out would end it too.
GUARD = """cat >/dev/null
for round in $(seq 100) last; do
  pids=$(grep -lszxF "$0" /proc/[0-9]*/environ | cut -d/ -f3)
  [ -n "$pids" ] || exit 0
  kill -s "$([ "$round" = last ] && echo KILL || echo TERM)" $pids 2>/dev/null
  sleep 0.1
done"""


class Unavailable(SystemExit):
    def __init__(self, why):
        print("SKIP: " + why, flush=True)
        super().__init__(77)


class Session:
    def __init__(self, kind):
        self.kind, self.folder = kind, tempfile.mkdtemp(prefix=kind + "-", dir=HOME)
        self.folders, self.processes = [self.folder], []
        self.log = open(os.path.join(self.folder, "log"), "wb")
        runtime = os.path.join(self.folder, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = {k: v for k, v in ENV.items()
                    if k not in ("QT_QPA_PLATFORM", "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY")}
        self.env.update(XDG_RUNTIME_DIR=runtime, TOCKWISE_E2E_SESSION=self.folder)
        self.guard = subprocess.Popen(
            ["setsid", "-f", "sh", "-c", GUARD, "TOCKWISE_E2E_SESSION=" + self.folder],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.guard.wait()

    def run(self, *arguments, timeout=30):
        return subprocess.run(arguments, env=self.env, capture_output=True, text=True,
                              timeout=timeout)

    def screenshot(self):
        if self.kind == "sway":
            return read_ppm(self._output("grim", "-t", "ppm", "-"))
        if self.kind == "weston":  # which has weston-screenshooter's protocol with --debug only
            shots = tempfile.mkdtemp(dir=self.folder)
            self._output("weston-screenshooter", cwd=shots)
            png = glob.glob(shots + "/*.png")[0]
        elif self.kind == "kwin":  # which writes the picture to a file it names
            png = json.loads(self._output(QDBUS, "--literal", "org.kde.KWin", "/Screenshot",
                                          "org.kde.kwin.Screenshot.screenshotFullscreen"))
        else:
            raise NotImplementedError("mutter shows its screen to no other program")
        try:
            return read_ppm(self._output("pngtopnm", png))
        finally:
            os.remove(png)

    def _output(self, *command, cwd=None):
        done = subprocess.run(command, env=self.env, cwd=cwd, capture_output=True, timeout=60)
        if done.returncode != 0:
            raise RuntimeError("%s failed: %s" % (command[0], done.stderr.decode(errors="replace")))
        return done.stdout

    def _succeeds(self, *command, showing=""):
        try:
            done = self.run(*command, timeout=10)
        except subprocess.TimeoutExpired:
            return False
        return done.returncode == 0 and showing in done.stdout

    def _launch(self, command, **env):
        self.processes.append(subprocess.Popen(command, env=dict(self.env, **env),
                                               stdout=self.log, stderr=self.log))

    def _wait(self, look, what):
        def alive_and_look():
            if self.processes[-1].poll() is not None:
                raise RuntimeError("%s ended, waiting for %s%s" % (self.kind, what, self._tail()))
            return look()
        found = wait_for(alive_and_look, 60)
        if not found:
            raise RuntimeError("%s: no %s in 60 s%s" % (self.kind, what, self._tail()))
        return found

    def _tail(self):
        with open(self.log.name, errors="replace") as f:
            return ":\n" + f.read()[-3000:]

    def start(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address",
                                "--address=unix:path=%s/bus" % self.env["XDG_RUNTIME_DIR"]],
                               env=self.env, stdout=subprocess.PIPE, stderr=self.log)
        self.processes.append(bus)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        bus.stdout.close()
        getattr(self, "_start_" + self.kind)()
        self.env.setdefault("WAYLAND_DISPLAY", "wayland-1")  # sway names its own
        self._wait(lambda: self._succeeds("weston-info"), "a client's connection")
        if "DISPLAY" in self.env:
            self._wait(lambda: self._succeeds("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                              showing="window id"), "XWayland's window manager")

    def _start_weston(self):
        self._launch(["weston", "--backend=headless-backend.so", "--socket=wayland-1",
                      "--width=%d" % WIDTH, "--height=%d" % HEIGHT, "--use-pixman", "--debug",
                      "--idle-time=0"])

    def _start_sway(self):
        runtime, command = self.env["XDG_RUNTIME_DIR"], ["sway", "-c"]
        if os.geteuid() == 0:
            try:
                user = pwd.getpwnam("nobody")
            except KeyError:
                raise Unavailable("sway refuses root, and there is no user nobody to run it as")
            # A runtime folder of its own, outside the test's home that nobody cannot enter;
            # clients name its socket by the whole path.
            runtime = tempfile.mkdtemp(prefix="sway-")
            self.folders.append(runtime)
            os.chown(runtime, user.pw_uid, user.pw_gid)
            command = ["setpriv", "--reuid=%d" % user.pw_uid, "--regid=%d" % user.pw_gid,
                       "--clear-groups"] + command
        self._launch(command + [shutil.copy(os.path.join(HERE, "sway.conf"), runtime)],
                     XDG_RUNTIME_DIR=runtime, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                     WLR_LIBINPUT_NO_DEVICES="1")

        display = self._wait(lambda: glob.glob(runtime + "/wayland-[0-9]"), "sway's socket")
        self.env.update(WAYLAND_DISPLAY=display[0])

    def _start_kwin(self):
        # A copy: the installed one carries file capabilities that a container may refuse, and
        # KWin takes its own Qt platform only under its own name.
        binary = shutil.copy(shutil.which("kwin_wayland"), self.folder)
        self._start_with_xwayland(
            [binary, "--virtual", "--xwayland", "--socket", "wayland-1", "--width", str(WIDTH),
             "--height", str(HEIGHT), "--no-lockscreen", "--no-global-shortcuts",
             "--no-kactivities"], KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1")

    def _start_mutter(self):
        self._start_with_xwayland(["mutter", "--wayland", "--headless", "--wayland-display",
                                   "wayland-1", "--virtual-monitor", "%dx%d" % (WIDTH, HEIGHT),
                                   "--"])

    def _start_with_xwayland(self, command, **env):
        reporter = os.path.join(self.folder, "reporter")
        with open(reporter, "w") as f:
            f.write(REPORTER)
        os.chmod(reporter, 0o755)
        self._launch(command + [reporter], **env)
        self._wait(lambda: os.path.exists(reporter + ".env"), "XWayland")
        with open(reporter + ".env") as f:
            told = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        self.env.update({k: told[k] for k in ("DISPLAY", "XAUTHORITY") if told.get(k)})

    def stop(self):
        # The compositor first, so that it cleans up after its XWayland (mutter's lock file).
        for compositor in self.processes[-1:]:
            compositor.terminate()
            with contextlib.suppress(subprocess.TimeoutExpired):
                compositor.wait(timeout=10)
        self.guard.stdin.close()
        self.guard.stdout.read()  # until the guard, having ended the session's processes, ends
        for process in self.processes:
            process.wait()
        self.log.close()
        for folder in self.folders:
            shutil.rmtree(folder, ignore_errors=True)


@contextlib.contextmanager
def session(kind):
    s = Session(kind)
    try:
        s.start()
        yield s
    finally:
        s.stop()
