#!/usr/bin/env python3
"""Checks of the Debian package, in two steps that CTest runs in order.

  package_check.py contents --build-dir B --source-dir S --qmake Q --work-dir W
      Builds the .deb with CPack into W and checks it without installing it: the files it
      ships, desktop-file-validate, appstreamcli, lintian, and its Depends (every linked
      library and every QML import covered, no build tools).
  package_check.py install --work-dir W
      Installs that .deb with apt-get on this machine, starts the installed tolvane on the
      test's X display with a home of its own, checks that it records a copy, then removes
      and purges the package and checks that none of its files is left.

The install step changes the machine, so it holds a machine-wide lock (other checkouts
run the same check) and never leaves the package installed: a run that was killed is
cleaned up by the next one. It exits with 77 (skipped) without root rights, or when a
tolvane package that this check did not install is present.
"""
import argparse
import fcntl
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

PACKAGE = "tolvane"
APP_ID = "org.example.tolvane"
SKIPPED = 77
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)
# QML modules that the program registers itself.
OWN_QML_MODULES = {"CTypes"}
BUILD_TOOLS = re.compile(
    r"(-dev$|-dev-tools$|^build-essential$|^cmake|^ninja-build$|^gcc|^g\+\+|^clang|^cpp$"
    r"|^protobuf-compiler|^pkg-config$|^pkgconf$|^python3-fontforge$|^librsvg2-bin$)")
LOCK_FILE = "/run/lock/tolvane-package-check.lock"
MARKER = "/var/lib/tolvane-package-check/installed-by-check"
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


class CheckFailed(Exception):
    pass


def run(cmd, **kwargs):
    """Runs cmd and returns its output; a non-zero exit fails the check with that output."""
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            **kwargs)
    if result.returncode != 0:
        raise CheckFailed(f"{' '.join(cmd)} exited {result.returncode}:\n{result.stdout}")
    return result.stdout


def step(text):
    print(f"-- {text}", flush=True)


def deb_path(work_dir):
    debs = glob.glob(os.path.join(work_dir, f"{PACKAGE}_*.deb"))
    if len(debs) != 1:
        raise CheckFailed(f"expected one {PACKAGE}_*.deb in {work_dir}, found {debs}")
    return debs[0]


def depends_names(deb):
    """The package names of the Depends field, alternatives included."""
    field = run(["dpkg-deb", "-f", deb, "Depends"])
    names = set()
    for clause in field.split(","):
        for alternative in clause.split("|"):
            name = alternative.strip().split(" ")[0].split(":")[0]
            if name:
                names.add(name)
    return names


def owning_package(path):
    """The package that ships path. On a merged /usr the package database may name the
    file under /lib while the loader reports /usr/lib, or the other way round."""
    candidates = [path, os.path.realpath(path)]
    candidates += [c[len("/usr"):] if c.startswith("/usr/") else "/usr" + c for c in candidates]
    for candidate in candidates:
        result = subprocess.run(["dpkg-query", "-S", candidate], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True)
        if result.returncode == 0:
            return result.stdout.split(":")[0].split(",")[0].strip()
    raise CheckFailed(f"no installed package ships {path}")


# ---- contents ---------------------------------------------------------------------------

def build_deb(args):
    step("building the package with CPack")
    shutil.rmtree(args.work_dir, ignore_errors=True)
    os.makedirs(args.work_dir)
    run([args.cpack, "--config", os.path.join(args.build_dir, "CPackConfig.cmake"), "-G", "DEB",
         "-B", args.work_dir])
    return deb_path(args.work_dir)


def check_files(root):
    step("the package ships the programs, the desktop entry, icons and metainfo")
    expected = ["usr/bin/tolvane", "usr/bin/TolvaneHelper",
                f"usr/share/applications/{APP_ID}.desktop",
                f"usr/share/metainfo/{APP_ID}.metainfo.xml",
                f"usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                "usr/share/doc/tolvane/copyright", "usr/share/man/man1/tolvane.1.gz",
                f"usr/share/dbus-1/interfaces/{APP_ID}.xml",
                "usr/share/bash-completion/completions/tolvane",
                "usr/share/zsh/vendor-completions/_tolvane",
                "usr/share/fish/vendor_completions.d/tolvane.fish"]
    expected += [f"usr/share/icons/hicolor/{s}x{s}/apps/{APP_ID}.png" for s in ICON_SIZES]
    missing = [f for f in expected if not os.path.isfile(os.path.join(root, f))]
    if missing:
        raise CheckFailed(f"missing from the package: {missing}")
    for size in ICON_SIZES:
        png = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
        with open(png, "rb") as f:
            header = f.read(24)
        width, height = int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big")
        if header[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (size, size):
            raise CheckFailed(f"{png} is not a {size}x{size} PNG")
    desktop = os.path.join(root, f"usr/share/applications/{APP_ID}.desktop")
    with open(desktop, encoding="utf-8") as f:
        entry = f.read()
    if not re.search(r"^Exec=tolvane$", entry, re.M) or \
            not re.search(rf"^Icon={re.escape(APP_ID)}$", entry, re.M):
        raise CheckFailed(f"the desktop entry must start tolvane with icon {APP_ID}:\n{entry}")


def check_validators(deb, root):
    step("desktop-file-validate")
    run(["desktop-file-validate", os.path.join(root, f"usr/share/applications/{APP_ID}.desktop")])
    step("appstreamcli validate")
    run(["appstreamcli", "validate", "--no-net",
         os.path.join(root, f"usr/share/metainfo/{APP_ID}.metainfo.xml")])
    # The tree check also matches metainfo, desktop entry and icons against each other.
    run(["appstreamcli", "validate-tree", "--no-net", root])
    step("lintian reports no errors")
    print(run(["lintian", "--fail-on", "error", "--display-info", deb]), end="")


def check_linked_libraries(root, depends):
    step("every linked library's package is a dependency")
    for binary in ("usr/bin/tolvane", "usr/bin/TolvaneHelper"):
        path = os.path.join(root, binary)
        needed = re.findall(r"^\s*NEEDED\s+(\S+)", run(["objdump", "-p", path]), re.M)
        loader = run(["ldd", path])
        # "soname => /path (address)", and for the dynamic loader "/path (address)".
        resolved = dict(re.findall(r"^\s*(\S+) => (/\S+)", loader, re.M))
        resolved.update((os.path.basename(p), p)
                        for p in re.findall(r"^\s*(/\S+) \(0x", loader, re.M))
        for soname in needed:
            if soname not in resolved:
                raise CheckFailed(f"{binary} needs {soname}, which is not installed here")
            package = owning_package(resolved[soname])
            if package not in depends:
                raise CheckFailed(f"{binary} links {soname} of {package}, not a dependency")


def qml_imports(source_dir):
    """(module, major version) of every import statement under qml/."""
    imports = set()
    pattern = re.compile(r"^\s*import\s+([A-Za-z][\w.]*)\s+(\d+)", re.M)
    for path in glob.glob(os.path.join(source_dir, "qml", "**", "*.qml"), recursive=True):
        with open(path, encoding="utf-8") as f:
            imports.update((m.group(1), m.group(2)) for m in pattern.finditer(f.read()))
    return imports


def qmldir_of(qml_root, module, major):
    """The qmldir that serves an import, found the way the QML engine looks for it
    (A/B/C.2, A/B.2/C, A.2/B/C, A/B/C); a module without a folder of its own (such as an
    .impl) is served by its parent's plugin."""
    parts = module.split(".")
    while parts:
        candidates = [os.path.join(*parts[:i - 1], parts[i - 1] + "." + major, *parts[i:])
                      for i in range(len(parts), 0, -1)] + [os.path.join(*parts)]
        for candidate in candidates:
            qmldir = os.path.join(qml_root, candidate, "qmldir")
            if os.path.isfile(qmldir):
                return qmldir
        parts = parts[:-1]
    return None


def check_qml_modules(args, depends):
    step("every QML import of the interface is a dependency")
    qml_root = run([args.qmake, "-query", "QT_INSTALL_QML"]).strip()
    for module, major in sorted(qml_imports(args.source_dir)):
        if module in OWN_QML_MODULES:
            continue
        qmldir = qmldir_of(qml_root, module, major)
        if not qmldir:
            raise CheckFailed(f"import {module} {major}: no module installed here")
        package = owning_package(qmldir)
        if package not in depends:
            raise CheckFailed(f"import {module} {major} needs {package}: add it to "
                              "TOLVANE_DEB_QML_MODULES in packaging/TolvaneDebianPackage.cmake")


def check_no_build_tools(depends):
    step("no build tools among the dependencies")
    tools = sorted(d for d in depends if BUILD_TOOLS.search(d))
    if tools:
        raise CheckFailed(f"build tools in Depends: {tools}")


def contents(args):
    deb = build_deb(args)
    root = os.path.join(args.work_dir, "root")
    run(["dpkg-deb", "-x", deb, root])
    depends = depends_names(deb)
    check_files(root)
    check_validators(deb, root)
    check_linked_libraries(root, depends)
    check_qml_modules(args, depends)
    check_no_build_tools(depends)
    return 0


# ---- install ----------------------------------------------------------------------------

def package_status():
    """dpkg's status of the package; empty when dpkg knows nothing of it, or only that it
    is not installed."""
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    status = result.stdout.strip()
    return "" if status.endswith("not-installed") else status


def apt_get(*args, cwd=None):
    # Other checkouts may be installing at the same time: wait for dpkg's lock.
    return run(["apt-get", "-o", "DPkg::Lock::Timeout=600", "-y", "-q", *args], env=APT_ENV,
               cwd=cwd)


def purge():
    if package_status():
        apt_get("purge", PACKAGE)
    if os.path.exists(MARKER):
        os.remove(MARKER)
    # The marker's folder too: the machine is left as it was before the check.
    if os.path.isdir(os.path.dirname(MARKER)) and not os.listdir(os.path.dirname(MARKER)):
        os.rmdir(os.path.dirname(MARKER))


class InstalledTolvane:
    """The installed program with a home, XDG folders and runtime folder of its own."""

    def __init__(self, root):
        self.root = root
        for sub in ("home", "config", "cache", "run", "tmp"):
            os.makedirs(os.path.join(root, sub), mode=0o700)
        self.log_path = os.path.join(root, "tolvane.log")
        env = dict(os.environ, HOME=f"{root}/home", XDG_CONFIG_HOME=f"{root}/config",
                   XDG_CACHE_HOME=f"{root}/cache", XDG_RUNTIME_DIR=f"{root}/run",
                   TMPDIR=f"{root}/tmp", QT_QPA_PLATFORM="xcb",
                   QT_LOGGING_RULES="tolvane.*.debug=true")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen(["tolvane"], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, cwd=f"{root}/home")

    def text(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_for(self, needle, count, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.text().count(needle) >= count:
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.2)
        raise CheckFailed(f"the installed tolvane did not log '{needle}' {count} times:\n"
                          + self.text())

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                raise CheckFailed("the installed tolvane did not end on SIGTERM")
        self.log.close()
        return self.process.returncode


def copy_text(text):
    """Puts text on the clipboard from another X client, which keeps serving it until
    another client takes the clipboard over."""
    owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"],
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    owner.stdin.write(text.encode())
    owner.stdin.close()
    return owner


def check_installed_program():
    step("the installed tolvane starts and records a copy")
    if not os.environ.get("DISPLAY"):
        raise CheckFailed("no DISPLAY: run this inside tests/run-in-session.sh")
    with tempfile.TemporaryDirectory(prefix="tolvane-pkg-") as root:
        app = InstalledTolvane(root)
        owner = None
        try:
            # The first run puts the usage text on the clipboard and captures it.
            app.wait_for("captured", 1)
            text = f"copied while checking the package {uuid.uuid4()}"
            owner = copy_text(text)
            app.wait_for("captured", 2)
        finally:
            code = app.stop()
            if owner:
                owner.kill()
                owner.wait()
        if code != 0:
            raise CheckFailed(f"the installed tolvane exited {code}:\n{app.text()}")
        history = os.path.join(root, "cache/Marden/Tolvane/clipboard/history")
        with open(history, "rb") as f:
            if text.encode("utf-16-be") not in f.read():
                raise CheckFailed(f"the copy is not in {history}:\n{app.text()}")


def check_removal(files):
    step("apt-get remove and purge leave none of the package's files")
    apt_get("remove", PACKAGE)
    left = [f for f in files if os.path.isfile(f) or os.path.islink(f)]
    if left:
        raise CheckFailed(f"left after apt-get remove: {left}")
    purge()
    status = package_status()
    if status:
        raise CheckFailed(f"dpkg still knows {PACKAGE} after purge: {status}")
    if os.path.exists("/usr/share/doc/tolvane"):
        raise CheckFailed("/usr/share/doc/tolvane is left after purge")


def install(args):
    deb = deb_path(args.work_dir)
    if os.geteuid() != 0:
        print("installing a package needs root: install check skipped")
        return SKIPPED
    os.makedirs(os.path.dirname(LOCK_FILE), exist_ok=True)
    with open(LOCK_FILE, "w") as lock:
        step("waiting for other package checks on this machine")
        fcntl.flock(lock, fcntl.LOCK_EX)
        if package_status():
            if not os.path.exists(MARKER):
                print(f"{PACKAGE} is installed on this machine, not by this check: "
                      "remove it to run the install check")
                return SKIPPED
            step("removing what a killed run left installed")
            purge()
        os.makedirs(os.path.dirname(MARKER), exist_ok=True)
        open(MARKER, "w").close()
        try:
            step(f"apt-get install ./{os.path.basename(deb)}")
            apt_get("install", "--no-install-recommends", f"./{os.path.basename(deb)}",
                    cwd=args.work_dir)
            files = run(["dpkg-query", "-L", PACKAGE]).split()
            run(["desktop-file-validate", f"/usr/share/applications/{APP_ID}.desktop"])
            if shutil.which("tolvane") != "/usr/bin/tolvane":
                raise CheckFailed(f"tolvane on PATH is {shutil.which('tolvane')}")
            check_installed_program()
            check_removal(files)
        finally:
            purge()
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("step", choices=["contents", "install"])
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--build-dir")
    parser.add_argument("--source-dir")
    parser.add_argument("--qmake")
    parser.add_argument("--cpack", default="cpack")
    args = parser.parse_args()
    try:
        return contents(args) if args.step == "contents" else install(args)
    except CheckFailed as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
