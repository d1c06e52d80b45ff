#!/usr/bin/env python3
"""Tolvane as a black box on the X server of the current session, optionally beside an
earlier build of itself.

Run through bench/compare, which builds Tolvane and starts the session. Every figure is
taken from outside: clipboard contents are offered by selection_probe, another X client,
which reports when the program asks for them; CPU time, context switches and memory come
from /proc. Each start gets fresh HOME and XDG folders of its own. With --before, the two
builds never run at the same time; their turns alternate (ABAB for the short
measurements, ABBA for the long ones) so that slow drifts of a shared machine fall on
both. Other clipboard managers are not run: their figures are cited as recorded earlier.
"""
import argparse
import collections
import datetime
import math
import os
import platform
import queue
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TEXT_LENGTH = 200
ROUNDS = 10                    # starts of each manager for the short measurements
LATENCY_PER_ROUND = 5          # 10 x 5 = 50 capture latencies per manager
HISTORY_ITEMS = 300
IDLE_SECONDS = 60
SETTLE_SECONDS = 5
QUIET_SECONDS = 0.3            # no request for this long: the manager is done reading
REQUEST_TIMEOUT = 30
IMAGE_SIZE = (3840, 2160)
SCREENSHOT_SIZE = (1920, 1080)
MIXED_SCREENSHOTS = 30
MIXED_BIG_TEXTS = 4            # of 1 MB each
MIXED_FILE_LISTS = 20
WALK_ROWS = 40                 # rows walked down in the shown main window, as a user looks
KEPT_WINDOW_SECONDS = 60       # the hidden window is still kept
AFTER_WINDOW_SECONDS = 200     # past the 3 minutes after which a hidden window is given back


def now_ns():
    return time.monotonic_ns()


def ms(ns):
    return ns / 1e6


def sample_text(tag):
    text = f"{tag}: "
    while len(text) < TEXT_LENGTH:
        text += "the quick brown fox jumps over the lazy dog "
    return text[:TEXT_LENGTH]


# ---- processes ---------------------------------------------------------------------------

def parent_of(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return int(f.read().rsplit(")", 1)[1].split()[1])
    except (OSError, IndexError, ValueError):
        return 0


def process_tree(root):
    """root and every process below it."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            children.setdefault(parent_of(int(entry)), []).append(int(entry))
    tree, todo = [], [root]
    while todo:
        pid = todo.pop()
        if os.path.exists(f"/proc/{pid}"):
            tree.append(pid)
            todo.extend(children.get(pid, []))
    return tree


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except OSError:
            pass
    return total


def context_switches(pids):
    """Voluntary and involuntary switches of every thread: each is a wake-up."""
    total = 0
    for pid in pids:
        try:
            tasks = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for task in tasks:
            try:
                with open(f"/proc/{pid}/task/{task}/status") as f:
                    for line in f:
                        if line.startswith(("voluntary_ctxt_switches",
                                            "nonvoluntary_ctxt_switches")):
                            total += int(line.split()[1])
            except OSError:
                pass
    return total


def memory_kib(pids):
    """Rss, Pss and anonymous memory (heap, stacks, everything not backed by a file),
    summed."""
    totals = {"Rss:": 0, "Pss:": 0, "Anonymous:": 0}
    for pid in pids:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                key = line.split(" ", 1)[0]
                if key in totals:
                    totals[key] += int(line.split()[1])
    return totals["Rss:"], totals["Pss:"], totals["Anonymous:"]


def visible_windows(pids):
    found = []
    for pid in pids:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        found += out.stdout.split()
    return found


def activate_windows(app):
    """Gives the program's shown windows the keyboard, as a click into them would."""
    for window in visible_windows(app.pids()):
        subprocess.run(["xdotool", "windowactivate", "--sync", window],
                       stderr=subprocess.DEVNULL)


# ---- the clipboard owner -----------------------------------------------------------------

class Probe:
    """A selection_probe process: offers contents and reports who reads them when."""

    def __init__(self, exe, runtime_dir):
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)
        self.proc = subprocess.Popen([exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, bufsize=1, env=env)
        self.lines = queue.Queue()
        self.requests = []  # (ns, pid, target)
        threading.Thread(target=self._read, daemon=True).start()
        if self._next_line(10) != "ready":
            raise RuntimeError("selection_probe did not start")

    def _read(self):
        for line in self.proc.stdout:
            line = line.strip()
            if line.startswith("req "):
                _, ns, pid, target = line.split(" ", 3)
                self.requests.append((int(ns), int(pid), target))
            elif not line.startswith("lost "):
                self.lines.put(line)

    def _next_line(self, timeout):
        return self.lines.get(timeout=timeout)

    def _command(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        reply = self._next_line(30)
        if not reply.startswith("set "):
            raise RuntimeError(f"selection_probe: {reply}")
        return int(reply.split()[1])

    def offer_text(self, text):
        return self._command("text " + text)

    def offer_png(self, path):
        return self._command("png " + path)

    def offer_urls(self, urls):
        return self._command("urls " + " ".join(urls))

    def first_request(self, manager, after_ns, prefix="", timeout=REQUEST_TIMEOUT):
        """Time of the first request from the manager's processes after after_ns whose
        target starts with prefix."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for ns, pid, target in list(self.requests):
                if ns > after_ns and target.startswith(prefix) and manager.owns_pid(pid):
                    return ns
            time.sleep(0.002)
        raise RuntimeError(f"{manager.name} read nothing from the probe in {timeout} s")

    def last_request_ns(self):
        return self.requests[-1][0] if self.requests else 0

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.close()
            self.proc.wait(10)


def wait_quiet(probes, quiet=QUIET_SECONDS, timeout=120):
    """Waits until none of the probes has had a request for `quiet` seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        last = max(p.last_request_ns() for p in probes)
        if now_ns() - last >= quiet * 1e9:
            return
        time.sleep(0.02)
    raise RuntimeError("the manager kept reading")


# ---- the program ---------------------------------------------------------------------

class Tolvane:
    def __init__(self, name, work_dir, exe):
        self.name = name
        self.exe = exe
        self.template = os.path.join(work_dir, f"{name}-template")
        self.work_dir = work_dir
        self.proc = None
        self.root = None
        self.known_pids = set()

    def environment(self, root):
        env = {k: v for k, v in os.environ.items()
               if k not in ("QT_LOGGING_RULES", "QT_QPA_PLATFORM")}
        env.update(HOME=f"{root}/home", XDG_CONFIG_HOME=f"{root}/config",
                   XDG_CACHE_HOME=f"{root}/cache", XDG_DATA_HOME=f"{root}/data",
                   XDG_STATE_HOME=f"{root}/state", XDG_RUNTIME_DIR=f"{root}/run",
                   TMPDIR=f"{root}/tmp")
        return env

    def start(self):
        """Starts the program on a fresh copy of its prepared profile; returns the time
        just before the process was created."""
        self.root = tempfile.mkdtemp(prefix=f"{self.name}-", dir=self.work_dir)
        shutil.rmtree(self.root)
        shutil.copytree(self.template, self.root, symlinks=True)
        return self._launch()

    def _launch(self):
        self.known_pids = set()
        log = open(os.path.join(self.root, "log"), "a")
        started = now_ns()
        self.proc = subprocess.Popen([self.exe], env=self.environment(self.root),
                                     stdout=log, stderr=subprocess.STDOUT,
                                     cwd=f"{self.root}/home")
        log.close()
        return started

    def prepare(self, probe):
        """Makes the profile every start copies: the settings, then one start that
        captures one text, so that no start is a first run and whatever the program keeps
        in its cache folder is in place, as on a user's desktop."""
        self.root = self.template
        for sub in ("home", "config", "cache", "data", "state", "run", "tmp"):
            os.makedirs(f"{self.root}/{sub}", mode=0o700)
        os.makedirs(f"{self.root}/config/Marden")
        # Not a first run (which would put the usage text on the clipboard), no update
        # check, and room for 300 items: the list drops its last row once it holds the
        # maximum, so the maximum is one more than the items kept.
        # A link port of its own: one in use would show the window with the error.
        with socket.socket() as s:
            s.bind(("0.0.0.0", 0))
            port = s.getsockname()[1]
        with open(f"{self.root}/config/Marden/Tolvane.conf", "w") as f:
            f.write("[General]\napp_version=1.5.0\napp_autoupdate=false\n\n"
                    f"[stack]\nstack_max_item_count={HISTORY_ITEMS + 1}\n\n"
                    f"[connect]\nconnect_port={port}\n")
        started = self._launch()
        probe.offer_text(sample_text(f"{self.name} prepares its profile"))
        probe.first_request(self, started)
        wait_quiet([probe], quiet=1.0)
        self.stop()
        for sub in ("run", "tmp"):
            shutil.rmtree(f"{self.root}/{sub}")
            os.makedirs(f"{self.root}/{sub}", mode=0o700)

    def holds_image(self):
        folder = f"{self.root}/cache/Marden/Tolvane/clipboard"
        return os.path.isdir(folder) and any(n.endswith(".png") for n in os.listdir(folder))

    def wait_for_image_item(self, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.holds_image():
                return True
            time.sleep(0.2)
        return False

    def pids(self):
        return process_tree(self.proc.pid)

    def owns_pid(self, pid):
        if pid in self.known_pids:
            return True
        walk = pid
        while walk > 1:
            if walk == self.proc.pid:
                self.known_pids.add(pid)
                return True
            walk = parent_of(walk)
        return False

    def stop(self):
        if not self.proc:
            return
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(60)
            except subprocess.TimeoutExpired:
                for pid in self.pids():
                    os.kill(pid, signal.SIGKILL)
                self.proc.wait()
        self.proc = None
        if self.root != self.template:
            shutil.rmtree(self.root, ignore_errors=True)

    def version(self):
        if self.name != "now":
            return os.path.abspath(self.exe)
        source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        return subprocess.run(["git", "-C", source, "describe", "--always", "--dirty"],
                              stdout=subprocess.PIPE, text=True).stdout.strip()


# ---- measurements ------------------------------------------------------------------------

# Anonymous MiB of one walked round: hidden and never shown, shown after the walk, and
# [(seconds after the hide, MiB)].
Walked = collections.namedtuple("Walked", "hidden shown after")


class Results:
    def __init__(self):
        self.startup = []
        self.latency = []
        self.after_image = []
        self.image_kept = []
        self.idle_cpu = []
        self.wakeups = []
        self.rss = []
        self.pss = []
        self.anonymous = []
        self.processes = []
        self.windows = []
        # Per history ("short", "mixed"): Walked rounds
        self.walked = {"short": [], "mixed": []}


def short_round(app, probe, image_probe, image_path, results, round_no):
    # Start-up: the clipboard already holds a text; the first request is the first capture.
    probe.offer_text(sample_text(f"{app.name} start-up {round_no}"))
    wait_quiet([probe, image_probe])
    started = app.start()
    results.startup.append(ms(probe.first_request(app, started) - started))
    wait_quiet([probe], quiet=1.0)

    for i in range(LATENCY_PER_ROUND):
        offered = probe.offer_text(sample_text(f"{app.name} latency {round_no}.{i}"))
        results.latency.append(ms(probe.first_request(app, offered) - offered))
        wait_quiet([probe])

    # A large image, then a text as soon as the program has begun to read the image.
    offered = image_probe.offer_png(image_path)
    image_probe.first_request(app, offered, prefix="image/")
    offered = probe.offer_text(sample_text(f"{app.name} after image {round_no}"))
    results.after_image.append(ms(probe.first_request(app, offered, timeout=120) - offered))
    wait_quiet([probe, image_probe], quiet=1.0)
    results.image_kept.append(app.wait_for_image_item())
    app.stop()


def anonymous_mib(app):
    return memory_kib(app.pids())[2] / 1024


def fill_short_history(app, probe):
    for i in range(HISTORY_ITEMS):
        offered = probe.offer_text(sample_text(f"{app.name} item {i}"))
        probe.first_request(app, offered)
        wait_quiet([probe], quiet=0.15)


def long_round(app, probe, results):
    started = app.start()
    probe.first_request(app, started)
    wait_quiet([probe], quiet=1.0)
    fill_short_history(app, probe)
    time.sleep(SETTLE_SECONDS)
    pids = app.pids()
    results.windows.append(visible_windows(pids))
    ticks0, switches0, t0 = cpu_ticks(pids), context_switches(pids), time.monotonic()
    time.sleep(IDLE_SECONDS)
    pids = app.pids()
    ticks1, switches1, t1 = cpu_ticks(pids), context_switches(pids), time.monotonic()
    elapsed = t1 - t0
    results.idle_cpu.append(100.0 * (ticks1 - ticks0) / os.sysconf("SC_CLK_TCK") / elapsed)
    results.wakeups.append((switches1 - switches0) / elapsed)
    rss, pss, anonymous = memory_kib(pids)
    results.rss.append(rss / 1024)
    results.pss.append(pss / 1024)
    results.anonymous.append(anonymous / 1024)
    results.processes.append(len(pids))
    app.stop()


def press_show_clipboard():
    subprocess.run(["xdotool", "key", "--clearmodifiers", "ctrl+alt+c"], check=True)


def wait_windows(app, shown, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if bool(visible_windows(app.pids())) == shown:
            return True
        time.sleep(0.05)
    return False


def start_with_text(app, probe, image_probe, tag):
    """Starts the program while the text probe holds the clipboard."""
    probe.offer_text(sample_text(f"{app.name} {tag}"))
    wait_quiet([probe, image_probe])
    started = app.start()
    probe.first_request(app, started)
    wait_quiet([probe], quiet=1.0)


def fill_mixed_history(app, probe, image_probe, screenshots, file_lists):
    """Copies the mixed history; returns the kind of each copy, oldest first."""
    plain = HISTORY_ITEMS - MIXED_SCREENSHOTS - MIXED_BIG_TEXTS - MIXED_FILE_LISTS
    kinds = (["png"] * MIXED_SCREENSHOTS + ["big"] * MIXED_BIG_TEXTS +
             ["urls"] * MIXED_FILE_LISTS + ["text"] * plain)
    # Spread the kinds evenly over the history.
    kinds.sort(key=lambda k: {"png": 0, "big": 1, "urls": 2, "text": 3}[k])
    order = sorted(range(len(kinds)), key=lambda i: (i * 7919) % len(kinds))
    counters = {"png": 0, "big": 0, "urls": 0, "text": 0}
    inserted = []
    for i in order:
        kind = kinds[i]
        inserted.append(kind)
        n = counters[kind]
        counters[kind] += 1
        if kind == "png":
            offered = image_probe.offer_png(screenshots[n])
            image_probe.first_request(app, offered)
            wait_quiet([probe, image_probe], quiet=0.5)
        elif kind == "big":
            body = (f"large text {n} " + "lorem ipsum dolor sit amet " * 40000)[:1 << 20]
            offered = probe.offer_text(body)
            probe.first_request(app, offered)
            wait_quiet([probe], quiet=0.5)
        elif kind == "urls":
            offered = probe.offer_urls(file_lists[n])
            probe.first_request(app, offered)
            wait_quiet([probe], quiet=0.15)
        else:
            offered = probe.offer_text(sample_text(f"{app.name} mixed {n}"))
            probe.first_request(app, offered)
            wait_quiet([probe], quiet=0.15)
    return inserted


def walked_round(app, probe, image_probe, fill):
    """Memory of a history filled by `fill`: hidden and never shown, with the main window
    shown and some rows looked at, and after it hid, while it is kept and once it has been
    given back."""
    start_with_text(app, probe, image_probe, "walked start")
    fill(app)
    time.sleep(SETTLE_SECONDS * 2)
    hidden = anonymous_mib(app)

    press_show_clipboard()
    if not wait_windows(app, True):
        raise RuntimeError(f"{app.name}: the main window did not show")
    time.sleep(1)
    activate_windows(app)
    # Down from the first row: the details panel shows each item, screenshots included.
    for _ in range(WALK_ROWS):
        subprocess.run(["xdotool", "key", "Down"], check=True)
        time.sleep(0.15)
    time.sleep(2)
    shown = anonymous_mib(app)
    # The hot key hides the window when it is the active one, as after a click into it.
    for _ in range(5):
        activate_windows(app)
        press_show_clipboard()
        if wait_windows(app, False, timeout=3):
            break
    else:
        raise RuntimeError(f"{app.name}: the main window did not hide")
    hidden_at = time.monotonic()
    samples = []
    for mark in sorted({10, KEPT_WINDOW_SECONDS, AFTER_WINDOW_SECONDS}):
        time.sleep(max(0, hidden_at + mark - time.monotonic()))
        samples.append((mark, anonymous_mib(app)))
    app.stop()
    return Walked(hidden, shown, samples)


def make_image(path, size=IMAGE_SIZE, label=""):
    """A screenshot-like picture: a gradient desktop, a window of text and a photo."""
    words = ("Clipboard managers keep what you copy. This window shows a page of text "
             "the way an editor or a browser would, line after line. ") * 3
    lines = [words[i:i + 110] for i in range(0, len(words), 110)] * 12
    w, h = size
    subprocess.run(["convert", "-size", f"{w}x{h}", "gradient:#203a60-#d0d8e0",
                    "(", "-seed", "42", "-size", f"{w * 5 // 12}x{h * 5 // 12}",
                    "plasma:fractal", "-depth", "8", ")", "-geometry",
                    f"+{w // 2}+{h // 10}", "-composite",
                    "(", "-size", f"{w * 5 // 12}x{h * 2 // 3}", "xc:white", "-fill",
                    "#333333", "-pointsize", "22", "-annotate", "+30+40",
                    label + "\n" + "\n".join(lines), ")",
                    "-geometry", f"+{w // 20}+{h // 5}", "-composite", "-depth", "8",
                    f"PNG24:{path}"], check=True)


def make_screenshots(work_dir):
    base = os.path.join(work_dir, "screen-base.png")
    make_image(base, SCREENSHOT_SIZE)
    paths = []
    for n in range(MIXED_SCREENSHOTS):
        path = os.path.join(work_dir, f"screen-{n}.png")
        subprocess.run(["convert", base, "-fill", "#802020", "-pointsize", "48",
                        "-annotate", f"+{60 + n * 40}+{80 + n * 25}", f"screenshot {n}",
                        f"PNG24:{path}"], check=True)
        paths.append(path)
    return paths


def make_file_lists(work_dir):
    folder = os.path.join(work_dir, "files")
    os.makedirs(folder)
    lists = []
    for n in range(MIXED_FILE_LISTS):
        names = []
        for k in range(5):
            path = os.path.join(folder, f"document-{n}-{k}.txt")
            with open(path, "w") as f:
                f.write(f"file {n}.{k}\n")
            names.append("file://" + path)
        lists.append(names)
    return lists


# ---- reaction to keys, seen on the screen --------------------------------------------------

HOT_MAIN = ["Control_L", "Alt_L", "c"]
HOT_QUICK = ["Control_L", "Alt_L", "v"]
BIG_TEXT_BYTES = 5 << 20
REACTION_ROWS = {"short": 10, "mixed": 40}   # Down presses from the first row
REACTION_REPEATS = 5
# A typed key's first change is near a millisecond, where one slow key (the first key a
# text field takes also loads the compose table) moves a median of five: nine are typed.
SEARCH_REPEATS = 9
# The reactions' key for line_edit_floor, the toolkit's own text field.
FLOOR = "line_edit_floor"


class ScreenWatch:
    """A screen_watch process: presses keys and reports the screen's first and last change
    after them (milliseconds from the press)."""

    def __init__(self, exe):
        self.proc = subprocess.Popen([exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, bufsize=1)
        if self.proc.stdout.readline().strip() != "ready":
            raise RuntimeError("screen_watch did not start")

    def _ask(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip()

    def quiet(self):
        self._ask("quiet")

    def key(self, keys):
        """(first, settled) in ms, or None when the screen did not change."""
        reply = self._ask("key " + " ".join(keys)).split()
        if reply and reply[0] == "change":
            return float(reply[1]), float(reply[2])
        if reply and reply[0] == "none":
            return None
        raise RuntimeError(f"screen_watch: {' '.join(reply)}")

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            self.proc.wait(10)


def active_window_pid():
    out = subprocess.run(["xdotool", "getactivewindow", "getwindowpid"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        return int(out.stdout.split()[-1])
    except (IndexError, ValueError):
        return 0


def make_active(app, watch):
    """Gives the program's shown window the keyboard, should the window manager not have."""
    if not app.owns_pid(active_window_pid()):
        activate_windows(app)
    watch.quiet()


def timed(watch, samples, name, keys):
    watch.quiet()
    samples.setdefault(name, []).append(watch.key(keys))


def type_search(watch, samples):
    """Types a digit into the focused search field and clears it, SEARCH_REPEATS times."""
    for digit in "123456789"[:SEARCH_REPEATS]:
        timed(watch, samples, "typing a search (one digit)", [digit])
        timed(watch, samples, "clearing the search (BackSpace)", ["BackSpace"])


class LineEditFloor:
    """line_edit_floor's process, seen as the window helpers see a program."""

    def __init__(self, exe):
        self.proc = subprocess.Popen([exe], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def pids(self):
        return [self.proc.pid]

    def owns_pid(self, pid):
        return pid == self.proc.pid

    def stop(self):
        self.proc.kill()  # nothing of it to keep
        self.proc.wait()


def floor_round(exe, watch, samples):
    """The search keys typed into line_edit_floor, the toolkit's own text field. A failure
    leaves its rows out of the report, not the programs' rows."""
    floor = LineEditFloor(exe)
    try:
        if not wait_windows(floor, True, timeout=30):
            raise RuntimeError("it showed no window")
        subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
        make_active(floor, watch)
        type_search(watch, samples)
    except (RuntimeError, subprocess.SubprocessError) as e:
        print(f"line_edit_floor round failed: {e}", flush=True)
    finally:
        floor.stop()


def hide(app, watch, samples, hot_key):
    """Hides the shown window with Escape, or with its hot key where a field kept Escape."""
    timed(watch, samples, "hide", ["Escape"])
    if not wait_windows(app, False, timeout=3):
        make_active(app, watch)
        watch.key(hot_key)
        if not wait_windows(app, False, timeout=5):
            raise RuntimeError(f"{app.name}: the window did not hide")
    watch.quiet()


def reaction_round(app, watch, probe, image_probe, history, fill, samples):
    """The keys a user presses in the windows, each timed from outside on the screen."""
    start_with_text(app, probe, image_probe, f"{history} reaction start")
    kinds = fill()
    time.sleep(SETTLE_SECONDS)
    # The pointer rests in a corner, off the windows: keys alone change what is drawn.
    subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
    watch.quiet()
    timed(watch, samples, "main window, first show", HOT_MAIN)
    make_active(app, watch)
    # Row i is the i-th newest copy; the first row is current after Home.
    newest = list(reversed(kinds or [])) + ["text"]
    timed(watch, samples, "Home", ["Home"])
    for row in range(1, min(REACTION_ROWS[history], HISTORY_ITEMS - 1) + 1):
        timed(watch, samples, "selecting the next row (Down)", ["Down"])
        kind = newest[row] if row < len(newest) else "text"
        samples.setdefault(f"selecting the next row, a {kind} row", []).append(
            samples["selecting the next row (Down)"][-1])
    timed(watch, samples, "Home", ["Home"])
    for _ in range(REACTION_REPEATS):
        timed(watch, samples, "PageDown", ["Next"])
    timed(watch, samples, "search field (Ctrl+F)", ["Control_L", "f"])
    type_search(watch, samples)
    hide(app, watch, samples, HOT_MAIN)
    for _ in range(REACTION_REPEATS):
        timed(watch, samples, "main window, later show", HOT_MAIN)
        make_active(app, watch)
        hide(app, watch, samples, HOT_MAIN)
    for _ in range(REACTION_REPEATS):
        timed(watch, samples, "quick paste show", HOT_QUICK)
        make_active(app, watch)
        hide(app, watch, samples, HOT_QUICK)
    if history == "mixed":
        body = ("five megabytes " + "lorem ipsum dolor sit amet " * 200000)[:BIG_TEXT_BYTES]
        offered = probe.offer_text(body)
        probe.first_request(app, offered)
        wait_quiet([probe], quiet=1.0)
        timed(watch, samples, "main window, later show", HOT_MAIN)
        make_active(app, watch)
        for _ in range(REACTION_REPEATS):
            timed(watch, samples, "Home", ["Home"])
            timed(watch, samples, "selecting the next row (Down)", ["Down"])
            timed(watch, samples, "selecting a 5 MB text (Up)", ["Up"])
    app.stop()


REACTION_ROWS_SHOWN = [
    "main window, first show", "main window, later show", "quick paste show", "PageDown",
    "selecting the next row (Down)", "selecting the next row, a png row",
    "selecting the next row, a big row", "selecting the next row, a urls row",
    "typing a search (one digit)", "clearing the search (BackSpace)",
    "selecting a 5 MB text (Up)",
]

# CopyQ 6.4 as a tester recorded it beside Tolvane on the same X server setup (medians,
# ms: first change, settled); not run here.
COPYQ_REACTION = {
    ("short", "main window, later show"): (36, 43),
    ("short", "quick paste show"): (39, None),
    ("short", "PageDown"): (None, 62),
    ("short", "selecting the next row (Down)"): (None, 55),
    ("short", "typing a search (one digit)"): (1, None),
    ("mixed", "main window, first show"): (204, None),
    ("mixed", "selecting the next row (Down)"): (None, "143-168"),
}


def reaction_ms(value):
    """Whole milliseconds, with a tenth below 10 ms, where the comparison is that close."""
    return f"{value:.1f}" if value < 10 else f"{value:.0f}"


def reaction_cells(values):
    got = [v for v in values if v is not None]
    if not got:
        return "no change", "no change"
    first = [v[0] for v in got]
    settled = [v[1] for v in got]
    missing = f" ({len(values) - len(got)} no change)" if len(got) < len(values) else ""
    if len(got) == 1:
        return reaction_ms(first[0]), f"{reaction_ms(settled[0])}{missing}"
    return (f"{reaction_ms(median(first))} ({reaction_ms(max(first))})",
            f"{reaction_ms(median(settled))} ({reaction_ms(max(settled))}){missing}")


REACTION_HEADING = "## Reaction to keys, seen on the screen"


def reaction_section(apps, reactions):
    out = [REACTION_HEADING, "",
           "`bench/screen_watch` (bench/screen_watch.cpp), another X client, presses each "
           "key through XTest and watches the whole screen: after every damage report of the "
           "X server it reads the screen (MIT-SHM) and compares it with the last reading. "
           "'First' is the first change of pixels after the key went down; 'settled' is the "
           "last change before the screen stayed the same for 300 ms. A change no wider "
           "than 3 px (a blinking text caret) does not count. Each key is pressed once the "
           "screen has been still for 300 ms, with the pointer in the screen's corner. Medians in ms, the worst in brackets; the goal "
           "is a first change no later than CopyQ's and settled within 100 ms.",
           "",
           f"Histories: {HISTORY_ITEMS} short texts, and the mixed history above "
           f"({MIXED_SCREENSHOTS} screenshots, {MIXED_BIG_TEXTS} texts of 1 MB, "
           f"{MIXED_FILE_LISTS} file lists, short texts), both made by copying into a "
           "freshly started program. Down walks from the first row over "
           f"{REACTION_ROWS['short']} (short) or {REACTION_ROWS['mixed']} (mixed) rows, the "
           "rows named by the kind of item selected; PageDown from the first row; a search "
           f"is one digit typed into the search field and cleared with BackSpace, "
           f"{SEARCH_REPEATS} times; other keys {REACTION_REPEATS} times; windows are hidden "
           "with Escape between shows. "
           "Finally a 5 MB text is copied and selected from the row below it with Up.", ""]
    names = [a.name for a in apps]
    for history in ("short", "mixed"):
        out += [f"{'300 short texts' if history == 'short' else 'Mixed history'}:", "",
                "| Key | " + " | ".join(f"Tolvane {n}: first | Tolvane {n}: settled"
                                       for n in names) +
                " | CopyQ 6.4, recorded earlier (not run here): first | settled |",
                "|---|" + "---:|" * (2 * len(names) + 2)]
        for row in REACTION_ROWS_SHOWN:
            cells = []
            present = False
            for n in names:
                values = reactions[n].get(history, {}).get(row)
                present = present or bool(values)
                cells += list(reaction_cells(values)) if values else ["–", "–"]
            if not present:
                continue
            copyq = COPYQ_REACTION.get((history, row), (None, None))
            cells += ["–" if c is None else str(c) for c in copyq]
            out.append(f"| {row} | " + " | ".join(cells) + " |")
        out.append("")
    floor = reactions.get(FLOOR)
    if floor:
        out += ["The toolkit's own text field, for comparison: `bench/line_edit_floor` is a bare "
                "Qt Widgets line edit with a clear button above a list, the kind of field "
                "CopyQ's window has, typed into with the same keys before and after the rounds "
                "above. Qt fades its clear button in and out, which is its settled time:", "",
                "| Key | first | settled |", "|---|---:|---:|"]
        for row in ("typing a search (one digit)", "clearing the search (BackSpace)"):
            if floor.get(row):
                out.append(f"| {row} | " + " | ".join(reaction_cells(floor[row])) + " |")
        out.append("")
    return "\n".join(out) + "\n"


def run_reactions(apps, watch_exe, probe, image_probe, screenshots, file_lists, floor_exe):
    """Samples by program name and history; the toolkit's own text field, typed into before
    and after the programs' rounds, under FLOOR."""
    reactions = {a.name: {} for a in apps}
    watch = ScreenWatch(watch_exe)
    try:
        if floor_exe:
            floor_round(floor_exe, watch, reactions.setdefault(FLOOR, {}))
        for history in ("short", "mixed"):
            for a in apps:
                print(f"reaction to keys, {history} history: {a.name}", flush=True)
                if history == "short":
                    fill = lambda app=a: fill_short_history(app, probe)  # noqa: E731
                else:
                    fill = lambda app=a: fill_mixed_history(  # noqa: E731
                        app, probe, image_probe, screenshots, file_lists)
                samples = reactions[a.name].setdefault(history, {})
                try:
                    reaction_round(a, watch, probe, image_probe, history, fill, samples)
                except RuntimeError as e:
                    print(f"reaction round of {a.name} failed: {e}", flush=True)
                    a.stop()
        if floor_exe:
            floor_round(floor_exe, watch, reactions[FLOOR])
    finally:
        watch.close()
    return reactions


def replace_section(text, heading, section):
    """text with the section under heading replaced by section (or put before the kept
    sections)."""
    at = text.find(heading)
    if at >= 0:
        end = text.find("\n## ", at + len(heading))
        return text[:at] + section.rstrip("\n") + "\n" + ("" if end < 0 else text[end:])
    at = text.find(KEPT_SECTION)
    if at < 0:
        return text.rstrip("\n") + "\n\n" + section
    return text[:at] + section.rstrip("\n") + "\n\n" + text[at:]


# ---- the report --------------------------------------------------------------------------

def median(values):
    return statistics.median(values)


def p95(values):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(0.95 * len(ordered)) - 1)]


def mean(values):
    return statistics.fmean(values)


# CopyQ 6.4.0 (Debian 12), as measured beside Tolvane by the earlier version of this script
# on 2026-12-08 from 11:14 to 11:35 UTC on the same machine. Not measured again: this
# script runs no other clipboard manager.
COPYQ_RECORDED = {
    "latency_median": 0.4, "latency_p95": 0.6, "after_image": 486, "idle_cpu": 0.00,
    "wakeups": 0.0, "rss": 107.3, "pss": 39.4, "anonymous": 14.0, "startup": 119,
}


def table_rows():
    """key, label, figure, format of each row; lower is better on every row."""
    return [
        ("latency_median", "Capture latency, 200-character text, median (ms)",
         lambda r: median(r.latency), "{:.1f}"),
        ("latency_p95", "Capture latency, 200-character text, 95th percentile (ms)",
         lambda r: p95(r.latency), "{:.1f}"),
        ("after_image", f"Text copied after a {IMAGE_SIZE[0]}×{IMAGE_SIZE[1]} image: until the "
         f"text is taken, median of {ROUNDS} (ms)", lambda r: median(r.after_image), "{:.0f}"),
        ("idle_cpu", f"Idle CPU over {IDLE_SECONDS} s with {HISTORY_ITEMS} texts, windows "
         "hidden (% of one core, mean of 2)", lambda r: mean(r.idle_cpu), "{:.2f}"),
        ("wakeups", "Idle wake-ups (context switches of all threads) per second, mean of 2",
         lambda r: mean(r.wakeups), "{:.1f}"),
        ("rss", f"RSS with {HISTORY_ITEMS} texts, hidden (MiB, mean of 2)",
         lambda r: mean(r.rss), "{:.1f}"),
        ("pss", f"PSS with {HISTORY_ITEMS} texts, hidden (MiB, mean of 2)",
         lambda r: mean(r.pss), "{:.1f}"),
        ("anonymous", f"Anonymous memory with {HISTORY_ITEMS} texts, hidden (MiB, mean of 2)",
         lambda r: mean(r.anonymous), "{:.1f}"),
        ("startup", f"Start-up to the first capture, median of {ROUNDS} (ms)",
         lambda r: median(r.startup), "{:.0f}"),
        ("mixed_hidden", f"Anonymous memory, mixed history of {HISTORY_ITEMS} items, hidden, "
         "never shown (MiB)", lambda r: mean([w.hidden for w in r.walked["mixed"]]), "{:.1f}"),
        ("mixed_shown", f"… with the main window shown, {WALK_ROWS} rows walked (MiB)",
         lambda r: mean([w.shown for w in r.walked["mixed"]]), "{:.1f}"),
        ("mixed_kept", f"… {KEPT_WINDOW_SECONDS} s after the main window hid (MiB)",
         lambda r: mean([dict(w.after)[KEPT_WINDOW_SECONDS] for w in r.walked["mixed"]]),
         "{:.1f}"),
        ("mixed_after", f"… {AFTER_WINDOW_SECONDS} s after it hid (MiB)",
         lambda r: after_hide(r, "mixed"), "{:.1f}"),
        ("short_after", f"Anonymous memory with {HISTORY_ITEMS} texts, used the same way "
         f"(shown, {WALK_ROWS} rows walked), {AFTER_WINDOW_SECONDS} s after the hide "
         "(MiB)", lambda r: after_hide(r, "short"), "{:.1f}"),
        ("mixed_over_short", "The mixed history over the texts, both so used (MiB)",
         lambda r: after_hide(r, "mixed") - after_hide(r, "short"), "{:.1f}"),
    ]


def after_hide(results, history):
    """Anonymous memory of a walked round at its last mark after the hide."""
    return mean([w.after[-1][1] for w in results.walked[history]])


# Figures measured by other means (bench/tolvane_bench), kept when the file is rewritten.
KEPT_SECTION = "## Measured apart from this comparison"


def kept_section(path):
    try:
        with open(path) as f:
            old = f.read()
    except OSError:
        return ""
    at = old.find(KEPT_SECTION)
    return "" if at < 0 else "\n" + old[at:].rstrip("\n") + "\n"


def report(results, apps, image_bytes, started_at, finished_at, inprocess):
    names = [a.name for a in apps]
    header = "| Measure | " + " | ".join(f"Tolvane {n}" for n in names) + \
        " | CopyQ 6.4, recorded earlier (not run here) |"
    out = ["# Tolvane's own figures", "",
           "Generated by `bench/compare`; do not edit by hand (except the last sections, from "
           f"\"{KEPT_SECTION[3:]}\" on, which it keeps as it finds them). Lower is better "
           "on every row. "
           "The CopyQ column is not measured by this run: it repeats the figures the "
           "earlier version of this script recorded for CopyQ 6.4.0 on the same machine "
           "(2026-12-08, 11:14-11:35 UTC), where it ran CopyQ beside Tolvane; no other "
           "clipboard manager is installed or run now. That earlier run kept Tolvane at 50 "
           "items (its settings file named the item limit wrongly), CopyQ at 300.", "",
           header, "|---|" + "---:|" * (len(names) + 1)]
    for key, label, figure, fmt in table_rows():
        cells = []
        for n in names:
            try:
                cells.append(fmt.format(figure(results[n])))
            except (statistics.StatisticsError, IndexError, ValueError):
                cells.append("–")
        copyq = COPYQ_RECORDED.get(key)
        cells.append(fmt.format(copyq) if copyq is not None else "–")
        out.append(f"| {label} | " + " | ".join(cells) + " |")
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    builds = "; ".join(f"{a.name}: `{a.version()}`" for a in apps)
    out += ["", "## Method", "",
            f"- Run from {started_at:%Y-%m-%d %H:%M} to {finished_at:%H:%M} UTC on "
            f"{os.cpu_count()} cores ({cpu}), {platform.system()} {platform.release()}, "
            "one Xvfb screen (Mesa llvmpipe, no GPU) with openbox and a private D-Bus "
            "session (`tests/run-in-session.sh`). The machine is shared with other work, "
            "so single figures wander.",
            f"- Builds ({builds}), RelWithDebInfo. With two builds their turns alternate.",
            "- Each start gets its own HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME, "
            "XDG_STATE_HOME, XDG_RUNTIME_DIR and TMPDIR, copied from a profile prepared "
            "by one start that captured one text, so every measured start is a second "
            "start with the program's cache folder in place. The settings file says it is "
            f"not the first run, turns the update check off and keeps {HISTORY_ITEMS} items.",
            "- Clipboard contents come from `selection_probe` (bench/selection_probe.cpp), "
            "another X client. It stamps CLOCK_MONOTONIC when its claim of the clipboard "
            "has returned and when a selection request reaches it; the X-Resource extension "
            "names the requesting client's process. 'Taken' is the first request of the "
            "program (often TARGETS).",
            f"- Capture latency: {ROUNDS} starts × {LATENCY_PER_ROUND} copies of distinct "
            f"{TEXT_LENGTH}-character texts, each after the program has been quiet for "
            f"{QUIET_SECONDS:.1f} s.",
            f"- Image then text: a {IMAGE_SIZE[0]}×{IMAGE_SIZE[1]} screenshot-like PNG "
            f"({image_bytes / 1e6:.1f} MB); as soon as the program requests an image/ "
            "target, the first probe offers a text, and the time until the text is "
            f"requested is taken. Once per start, {ROUNDS} per build.",
            "- Start-up: the probe holds a text on the clipboard; the time from just before "
            f"the process is created to its first request. Median of {ROUNDS}.",
            f"- Idle and memory: {HISTORY_ITEMS} distinct texts are copied one after the other, "
            f"then, after {SETTLE_SECONDS} s, CPU time and context switches over "
            f"{IDLE_SECONDS} s; then Rss, Pss and Anonymous of /proc/PID/smaps_rollup. Two "
            "runs per build. No window was shown.",
            f"- Mixed history: {HISTORY_ITEMS} items, of which {MIXED_SCREENSHOTS} are "
            f"{SCREENSHOT_SIZE[0]}×{SCREENSHOT_SIZE[1]} screenshot-like PNGs, "
            f"{MIXED_BIG_TEXTS} texts of 1 MB and {MIXED_FILE_LISTS} lists of 5 files, "
            "spread over plain texts; anonymous memory 10 s after the last copy (no window "
            "ever shown); after the main window was shown with its hot key and "
            f"{WALK_ROWS} rows were walked down with the arrow key, 0.15 s apart (the "
            "details panel showing each item, screenshots included); and "
            f"{KEPT_WINDOW_SECONDS} s and {AFTER_WINDOW_SECONDS} s after it was hidden with "
            "the hot key again (the program now keeps a hidden window for 3 minutes, then "
            "gives it back). The same round with "
            f"{HISTORY_ITEMS} short texts instead gives the texts' figure for the same use.",
            "- Hot key to first frame is measured inside the program's process, below.",
            ]
    for a in apps:
        shown = [w for windows in results[a.name].windows for w in windows]
        out.append(f"- Tolvane {a.name} showed " + (f"windows {shown}" if shown else "no window")
                   + " during the idle runs (xdotool search --onlyvisible).")
        out.append(f"- Tolvane {a.name} kept the image {sum(results[a.name].image_kept)} of "
                   f"{len(results[a.name].image_kept)} times.")
    if inprocess:
        out += ["", "## Hot key to first frame (inside the process)", "",
                "`tolvane_bench mainwindow` and `tolvane_bench quickpaste` of each build, each in "
                "a process of its own (`./dev.sh bench mainwindow`), run after the measurements above: the program's "
                "controller in the benchmark's process with a 300-item history; from the "
                "request (the tray's or hot key's signal for the main window, an XTest press "
                "of Ctrl+Alt+V for the quick paste window) to the window's first swapped "
                "frame. The first show after start includes making the window where the "
                "build makes it on demand; 'given back' is a show after the build released "
                "the hidden window.", ""]
        for name, table in inprocess:
            out += [f"Tolvane {name}:", "", "```", table.strip(), "```", ""]
    out += ["", "## Samples", ""]
    for a in apps:
        r = results[a.name]
        out += [f"Tolvane {a.name}:", "",
                "- capture latency (ms): " + ", ".join(f"{v:.1f}" for v in r.latency),
                "- text after image (ms): " + ", ".join(f"{v:.0f}" for v in r.after_image),
                "- start-up (ms): " + ", ".join(f"{v:.0f}" for v in r.startup),
                "- idle runs (CPU %, wake-ups/s, RSS, PSS, anonymous MiB): " + "; ".join(
                    f"{a_:.2f} / {b:.1f} / {c:.1f} / {d:.1f} / {e:.1f}" for a_, b, c, d, e in
                    zip(r.idle_cpu, r.wakeups, r.rss, r.pss, r.anonymous)),
                *(f"- {label}, anonymous MiB: " + "; ".join(
                    f"hidden {hidden:.1f}, shown {shown:.1f}, after the hide " +
                    ", ".join(f"{s} s: {v:.1f}" for s, v in samples)
                    for hidden, shown, samples in r.walked[history])
                  for history, label in (("mixed", "mixed history"),
                                         ("short", f"{HISTORY_ITEMS} texts, walked"))), ""]
    return "\n".join(out) + "\n"


def run_inprocess(bench):
    """The table tolvane_bench prints for its window groups, each group in a process of its
    own as the program has one controller in its life (a second one in the same process
    finds the clipboard watcher of the first stopped)."""
    tables = []
    for group in ("mainwindow", "quickpaste"):
        out = subprocess.run([bench, group], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             text=True, timeout=600).stdout
        start = out.find("benchmark ")
        if start < 0:
            return f"(no table: the {group} benchmark failed)\n" + out[-2000:]
        lines = out[start:].splitlines()
        tables.append(lines if not tables else lines[2:])
    return "\n".join(line for table in tables for line in table) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tolvane", required=True)
    parser.add_argument("--before", help="an earlier build to measure in alternation")
    parser.add_argument("--probe", required=True)
    parser.add_argument("--bench", help="tolvane_bench of the build measured")
    parser.add_argument("--before-bench", help="tolvane_bench of the earlier build")
    parser.add_argument("--watch", help="screen_watch, for the reaction to keys")
    parser.add_argument("--floor", help="line_edit_floor, the toolkit's own text field")
    parser.add_argument("--output", required=True)
    parser.add_argument("--reaction-only", action="store_true",
                        help="only the reaction to keys; replaces its section of the output")
    parser.add_argument("--quick", action="store_true",
                        help="a few samples of each kind, to try the script out")
    args = parser.parse_args()
    if args.quick:
        global ROUNDS, LATENCY_PER_ROUND, HISTORY_ITEMS, IDLE_SECONDS, MIXED_SCREENSHOTS
        global AFTER_WINDOW_SECONDS, KEPT_WINDOW_SECONDS, REACTION_REPEATS, SEARCH_REPEATS
        ROUNDS, LATENCY_PER_ROUND, HISTORY_ITEMS, IDLE_SECONDS = 2, 2, 40, 5
        MIXED_SCREENSHOTS, AFTER_WINDOW_SECONDS, REACTION_REPEATS = 3, 10, 2
        SEARCH_REPEATS, KEPT_WINDOW_SECONDS = 2, 5
    if not os.environ.get("DISPLAY"):
        sys.exit("no DISPLAY: run through bench/compare")

    started_at = datetime.datetime.now(datetime.timezone.utc)
    work_dir = tempfile.mkdtemp(prefix="tolvane-figures-")
    apps = []
    if args.before:
        apps.append(Tolvane("before", work_dir, os.path.abspath(args.before)))
    apps.append(Tolvane("now", work_dir, os.path.abspath(args.tolvane)))
    results = {a.name: Results() for a in apps}
    benches = ([args.before_bench] if args.before else []) + [args.bench]
    probe = image_probe = None
    try:
        probe_run = os.path.join(work_dir, "probe-run")
        os.makedirs(probe_run, mode=0o700)
        probe, image_probe = Probe(args.probe, probe_run), Probe(args.probe, probe_run)
        for a in apps:
            a.prepare(probe)
        image_path = os.path.join(work_dir, "screenshot.png")
        make_image(image_path)
        screenshots = make_screenshots(work_dir)
        file_lists = make_file_lists(work_dir)

        if args.reaction_only:
            reactions = run_reactions(apps, args.watch, probe, image_probe, screenshots,
                                      file_lists, args.floor)
            try:
                with open(args.output) as f:
                    text = f.read()
            except OSError:
                text = ""
            text = replace_section(text, REACTION_HEADING, reaction_section(apps, reactions))
            with open(args.output, "w") as f:
                f.write(text)
            print(reaction_section(apps, reactions))
            return
        for round_no in range(ROUNDS):
            order = apps if round_no % 2 == 0 else list(reversed(apps))
            for a in order:
                print(f"round {round_no + 1}/{ROUNDS}: {a.name}", flush=True)
                short_round(a, probe, image_probe, image_path, results[a.name], round_no)
        for a in apps + list(reversed(apps)):
            print(f"{HISTORY_ITEMS} texts and idle: {a.name}", flush=True)
            long_round(a, probe, results[a.name])
        fills = {
            "mixed": lambda a: fill_mixed_history(a, probe, image_probe, screenshots,
                                                  file_lists),
            "short": lambda a: fill_short_history(a, probe),
        }
        for a in apps:
            for history, fill in fills.items():
                print(f"{history} history, walked: {a.name}", flush=True)
                try:
                    results[a.name].walked[history].append(
                        walked_round(a, probe, image_probe, fill))
                except RuntimeError as e:
                    # The other rows still stand; this one shows as missing.
                    print(f"{history} history of {a.name} failed: {e}", flush=True)
                    a.stop()
        inprocess = []
        for a, bench in zip(apps, benches):
            if bench:
                print(f"in-process window benchmarks: {a.name}", flush=True)
                inprocess.append((a.name, run_inprocess(bench)))
        reactions = (run_reactions(apps, args.watch, probe, image_probe, screenshots,
                                   file_lists, args.floor) if args.watch else None)
        finished_at = datetime.datetime.now(datetime.timezone.utc)
        text = report(results, apps, os.path.getsize(image_path), started_at, finished_at,
                      inprocess)
        if reactions:
            text = replace_section(text, REACTION_HEADING, reaction_section(apps, reactions))
    finally:
        for a in apps:
            a.stop()
        for p in (probe, image_probe):
            if p:
                p.close()
        shutil.rmtree(work_dir, ignore_errors=True)
    text = text.rstrip("\n") + "\n" + kept_section(args.output)
    with open(args.output, "w") as f:
        f.write(text)
    print(text)


if __name__ == "__main__":
    main()
