#!/usr/bin/python3
"""End-to-end tests of the real tavrolune program, as a screen-reader user meets it.

    harness.py list                       the scenario names
    harness.py run NAME --exe PATH        one scenario in its own X server and D-Bus session

`run` gives every scenario fresh folders (HOME, the XDG folders, a private copy of
the program so its portable settings file stays private), an Xvfb display, a D-Bus
session with the AT-SPI bus, SDL's disk audio driver and the speech and command
logs. The scenario itself runs inside `dbus-run-session` (the `inner` command).
Afterwards every process that carries this run's marker in its environment is
stopped, so nothing outlives the test. Exit status: 0 passed, 1 failed, 77 skipped.

Scenarios live in scenarios.py: a function taking a Context, registered with
@scenario.
"""
import argparse
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"
SKIP = 77
MARKER_VAR = "TAVROLUNE_E2E_RUN"

SCENARIOS = {}


def scenario(fn):
    """Registers a scenario under its function name."""
    SCENARIOS[fn.__name__] = fn
    return fn


class Skip(Exception):
    """The scenario cannot run its check here (said why)."""


def wait_until(predicate, timeout, interval=0.05, what="condition"):
    """Polls predicate until it returns something true; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # a window or accessible that is going away
            value = None
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


# ---- The program under test -------------------------------------------------------------------

class App:
    """One tavrolune process of a scenario."""

    def __init__(self, ctx, args, env, index):
        self.ctx = ctx
        self.output_path = os.path.join(ctx.dir, f"app-{index}.out")
        self.output = open(self.output_path, "wb")
        self.proc = subprocess.Popen([ctx.exe] + list(args), env=env, stdout=self.output,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                     cwd=ctx.dir)
        self.pid = self.proc.pid
        self._window = None

    def windows(self):
        r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.pid),
                            "--name", "^Tavrolune"], capture_output=True, text=True)
        return [w for w in r.stdout.split() if w]

    def window(self, timeout=15):
        if self._window is None:
            found = wait_until(lambda: self.windows() or (self.proc.poll() is not None and ["gone"]),
                               timeout, what="the main window")
            check(found != ["gone"], f"tavrolune ended before showing a window:\n{self.log_text()}")
            self._window = found[0]
        return self._window

    def title(self):
        return subprocess.run(["xdotool", "getwindowname", self.window()], capture_output=True,
                              text=True).stdout.strip()

    def focus(self):
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window()], check=True,
                       capture_output=True)
        time.sleep(0.1)

    def key(self, *keys):
        """Sends keys (xdotool names) to the focused window, one at a time."""
        for k in keys:
            subprocess.run(["xdotool", "key", k], check=True, capture_output=True)
            time.sleep(0.05)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=15):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"tavrolune (pid {self.pid}) did not end within {timeout} s")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.output.close()

    def log_text(self):
        self.output.flush()
        with open(self.output_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    # ---- AT-SPI ----
    def accessible(self, timeout=10):
        """The application's root object on the AT-SPI bus."""
        import pyatspi

        def find():
            # By process: the cached name of the root can go stale.
            for a in pyatspi.Registry.getDesktop(0):
                if a is not None and a.get_process_id() == self.pid:
                    return a
            return None
        return wait_until(find, timeout, what="tavrolune on the AT-SPI bus")


# ---- Accessibility tree helpers ----------------------------------------------------------------

def states(acc):
    import pyatspi
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def children(acc):
    return [c for c in acc if c is not None]


def walk(acc):
    yield acc
    for c in children(acc):
        yield from walk(c)


def find_all(root, role=None, name=None):
    return [a for a in walk(root)
            if (role is None or a.getRoleName() == role) and (name is None or a.name == name)]


def find(root, role=None, name=None):
    found = find_all(root, role, name)
    return found[0] if found else None


def key_binding(acc):
    """The accelerator part of an object's key binding ("<Primary>o", "space"), or ""."""
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return ""
    if action.nActions == 0:
        return ""
    parts = action.getKeyBinding(0).split(";")
    return parts[2] if len(parts) > 2 else ""


def labelled_by(acc):
    import pyatspi
    names = []
    for r in acc.getRelationSet():
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [r.getTarget(i).name for i in range(r.getNTargets())]
    return names


def dump(acc, depth=0):
    lines = [f"{'  ' * depth}{acc.getRoleName()} {acc.name!r} {sorted(states(acc))} {key_binding(acc)!r}"
             + (f" labelled by {labelled_by(acc)}" if labelled_by(acc) else "")]
    for c in children(acc):
        lines += dump(c, depth + 1)
    return lines


# ---- What a scenario works with ----------------------------------------------------------------

class Context:
    def __init__(self, run_dir):
        self.dir = run_dir
        self.exe = os.path.join(run_dir, "app", "tavrolune")
        self.app_dir = os.path.join(run_dir, "app")
        self.media = os.path.join(run_dir, "media")
        os.makedirs(self.media, exist_ok=True)
        self.command_log = os.environ["TAVROLUNE_COMMAND_LOG"]
        self.speech_log = os.environ["TAVROLUNE_SPEECH_LOG"]
        self.audio_file = os.environ["SDL_DISKAUDIOFILE"]
        self.log_file = os.path.join(os.environ["XDG_STATE_HOME"], "tavrolune", "tavrolune.log")
        self.apps = []

    def start(self, *args, env=None):
        e = dict(os.environ)
        e.update(env or {})
        app = App(self, args, e, len(self.apps))
        self.apps.append(app)
        return app

    def write_settings(self, text):
        """Tavrolune.ini of the private copy (portable mode)."""
        with open(os.path.join(self.app_dir, "Tavrolune.ini"), "w") as f:
            f.write(text)

    def tone(self, name, seconds=2.0, hz=440, tags=None):
        """A generated sine tone in the media folder, with tags {"title": ...} if given."""
        path = os.path.join(self.media, name)
        meta = []
        for key, value in (tags or {}).items():
            meta += ["-metadata", f"{key}={value}"]
        subprocess.run(["ffmpeg", "-nostdin", "-y", "-hide_banner", "-loglevel", "error", "-f", "lavfi",
                        "-i", f"sine=frequency={hz}:sample_rate=44100:duration={seconds}", "-ac", "2"]
                       + meta + [path], check=True)
        return path

    # ---- Logs ----
    @staticmethod
    def _lines(path):
        try:
            with open(path, "rb") as f:
                return f.read().decode("utf-8", "replace").splitlines()
        except FileNotFoundError:
            return []

    def records(self, kind=None):
        """Lines of the command log split at tabs, optionally only of one kind."""
        rows = [line.split("\t") for line in self._lines(self.command_log)]
        return [r for r in rows if kind is None or r[0] == kind]

    def commands(self):
        return [int(r[1]) for r in self.records("command")]

    def wait_commands(self, count, timeout=10):
        return wait_until(lambda: len(self.commands()) >= count and self.commands(), timeout,
                          what=f"{count} dispatched commands (have {self.commands()})")

    def speech(self):
        """(interrupt, text) per speak line, None per stop line."""
        out = []
        for line in self._lines(self.speech_log):
            parts = line.split("\t", 2)
            out.append((parts[1] == "1", parts[2]) if parts[0] == "speak" and len(parts) == 3 else None)
        return out

    def wait_for_speech(self, pattern, timeout=5):
        """Waits for a spoken line matching the regular expression; returns its text."""
        rx = re.compile(pattern)

        def spoken():
            for item in self.speech():
                if item and rx.search(item[1]):
                    return item[1]
            return None
        return wait_until(spoken, timeout, what=f"speech matching {pattern!r} (have {self.speech()})")

    def log_lines(self):
        return self._lines(self.log_file)

    def audio_samples(self):
        """What SDL's disk driver wrote: interleaved 32-bit floats."""
        try:
            with open(self.audio_file, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return None
        n = len(data) // 4
        return struct.unpack(f"={n}f", data[:n * 4])

    def cleanup(self):
        for app in self.apps:
            app.stop()


# ---- Running one scenario ----------------------------------------------------------------------

def run_inner(name, run_dir):
    import scenarios  # noqa: F401  (registers them)
    ctx = Context(run_dir)
    try:
        SCENARIOS[name](ctx)
        print(f"PASS {name}")
        return 0
    except Skip as s:
        print(f"SKIP {name}: {s}")
        return SKIP
    except Exception:
        traceback.print_exc()
        for app in ctx.apps:
            print(f"--- output of tavrolune pid {app.pid}:\n{app.log_text()}")
        print(f"--- command log:\n" + "\n".join("\t".join(r) for r in ctx.records()))
        print(f"FAIL {name}")
        return 1
    finally:
        ctx.cleanup()


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip():
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    display = ":" + number.decode().strip()
    wait_until(lambda: subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0,
               10, what="the X server")
    return xvfb, display


def processes_with_marker(marker):
    found = []
    needle = f"{MARKER_VAR}={marker}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if needle in f.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def stop_marked(marker):
    """Stops every process this run started (they carry its marker)."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        pids = processes_with_marker(marker)
        if not pids:
            return
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline and processes_with_marker(marker):
            time.sleep(0.05)


def run_outer(name, exe, docs, keep):
    if name not in SCENARIOS:
        print(f"no scenario {name}")
        return 1
    marker = uuid.uuid4().hex
    run_dir = tempfile.mkdtemp(prefix=f"tav-e2e-{name}-")
    home = os.path.join(run_dir, "home")
    runtime = os.path.join(run_dir, "runtime")
    for d in (home, runtime):
        os.makedirs(d, mode=0o700)
    # A private copy: the portable settings file lives beside the program.
    app_dir = os.path.join(run_dir, "app")
    os.makedirs(app_dir)
    shutil.copy2(exe, os.path.join(app_dir, "tavrolune"))
    if docs and os.path.isdir(docs):
        shutil.copytree(docs, os.path.join(app_dir, "docs"))

    env = {k: v for k, v in os.environ.items()
           if k not in ("NO_AT_BRIDGE", "GTK_MODULES", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY",
                        "WAYLAND_DISPLAY", "SESSION_MANAGER")}
    env.update({
        MARKER_VAR: marker,
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "XDG_RUNTIME_DIR": runtime,
        "TAVROLUNE_COMMAND_LOG": os.path.join(run_dir, "commands.log"),
        "TAVROLUNE_SPEECH_LOG": os.path.join(run_dir, "speech.log"),
        "SDL_AUDIODRIVER": "disk",
        "SDL_DISKAUDIOFILE": os.path.join(run_dir, "audio.raw"),
        "GDK_BACKEND": "x11",
        "LC_ALL": "C.UTF-8",
        "PYTHONPATH": HERE,
        "PYTHONDONTWRITEBYTECODE": "1",
    })
    xvfb = None
    rc = 1
    try:
        xvfb, display = start_xvfb()
        env["DISPLAY"] = display
        inner = subprocess.run(["dbus-run-session", "--", PYTHON, os.path.join(HERE, "harness.py"),
                                "inner", name, "--dir", run_dir], env=env, timeout=240,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        text = inner.stdout.decode("utf-8", "replace")
        # dbus-daemon's own chatter says nothing about the program.
        print("\n".join(l for l in text.splitlines() if not l.startswith("dbus-daemon[")))
        rc = inner.returncode
    except subprocess.TimeoutExpired:
        print(f"FAIL {name}: the scenario did not finish")
    finally:
        stop_marked(marker)
        if xvfb:
            xvfb.terminate()
            try:
                xvfb.wait(5)
            except subprocess.TimeoutExpired:
                xvfb.kill()
                xvfb.wait()
        if keep:
            print(f"kept {run_dir}")
        else:
            shutil.rmtree(run_dir, ignore_errors=True)
    return rc


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    sub.add_parser("list")
    r = sub.add_parser("run")
    r.add_argument("name")
    r.add_argument("--exe", required=True)
    r.add_argument("--docs")
    r.add_argument("--keep", action="store_true")
    i = sub.add_parser("inner")
    i.add_argument("name")
    i.add_argument("--dir", required=True)
    a = parser.parse_args()

    sys.path.insert(0, HERE)
    # scenarios.py imports this file as "harness": let it find this very module.
    sys.modules.setdefault("harness", sys.modules[__name__])
    if a.command == "inner":
        return run_inner(a.name, a.dir)
    import scenarios  # noqa: F401
    if a.command == "list":
        print(";".join(SCENARIOS))
        return 0
    return run_outer(a.name, os.path.abspath(a.exe), a.docs, a.keep)


if __name__ == "__main__":
    sys.exit(main())
