#!/usr/bin/env python3
"""End-to-end tests of the start-up aids with a real JDK.

--cache: the startup cache's states, each launch with a private per-user
cache folder: absent (the first run records, a background process builds
the archive), used (the VM maps the app's classes from it), seen alike by
vantrel-check, stale after the jar changes (that run ends through
System.exit; the stale archive goes once it is unused), cut short, damaged
(never given to the VM), a VM that dies before main (the archive is given
up), eight launches at once, a folder that cannot be written, a full disk
(a small tmpfs, where one can be mounted), a folder others may write or
another user owns, shipped in the app folder by a training run (used in a
copy of the folder elsewhere, given up when damaged), a class path folder
and VM options that set class sharing themselves (no cache). The program's
output and exit status never change: a run with the cache, the first one
included, prints byte for byte what a run without it prints.
--splash: run under a virtual display (xvfb-run): the splash image shows
before the app's window, the Java program sees it, and AWT closes it when
the window appears.
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_e2e import Suite, config_with  # noqa: E402

ARCHIVE = re.compile(r"startup-[0-9a-f]{16}-[0-9a-f]{16}-[0-9a-f]{16}\.jsa")
SHIPPED = re.compile(r"startup-[0-9a-f]{16}-[0-9a-f]{16}\.jsa")
JOB_FILE = re.compile(r".*\.(classlist|tmp)")
# The -v lines of the launcher itself.
LAUNCHER_LINES = ("  # ", "Changing", "Loading", "Passing", "Creating", "Invoking", "Destroyed",
                  "Using", "Recording", "No startup")


class CacheCase:
    def __init__(self, suite, checker):
        self.s = suite
        self.checker = checker
        self.cache = os.path.join(suite.work, "user-cache")
        # filecount=0: VMs started at once would race to rotate the log.
        self.folder = suite.app("app-with-cache", config=config_with(
            startupCache=True, vmArgs=["-Xlog:class+load=info:file=classes.log::filecount=0"]))
        self.files = os.path.join(self.cache, "vantrel")

    def run(self, env=None, args=("prop", "k"), folder=None, verbose=True):
        return self.s.run(folder or self.folder, (["-c", "-v"] if verbose else []) + list(args),
                          dict({"XDG_CACHE_HOME": self.cache}, **(env or {})))

    def archives(self, folder=None, pattern=ARCHIVE):
        folder = folder or self.files
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        return [os.path.join(folder, n) for n in names if pattern.fullmatch(n)]

    def built(self, folder=None):
        """Waits until the background build is over; the archives then."""
        folder = folder or self.files
        for _ in range(1200):
            if not any(JOB_FILE.fullmatch(n) for n in os.listdir(folder)):
                break
            time.sleep(0.1)
        return self.archives(folder)

    def expect(self, name, outcome, line, printed="k=null\n", status=0, err=""):
        """The program ran with its own output and status; -v said `line`."""
        got_status, out, got_err = outcome
        problems = []
        if got_status != status:
            problems.append("exit status %d" % got_status)
        if not re.search("^" + line + "$", out, re.M):
            problems.append("no line matching %r in stdout:\n%s" % (line, out))
        program = "".join(l + "\n" for l in out.splitlines() if not l.startswith(LAUNCHER_LINES))
        if program != printed:
            problems.append("program output:\n" + program)
        if got_err != err:
            problems.append("stderr:\n" + got_err)
        self.s.check(name, (0 if not problems else 1, "", ""), 0, "", "")
        for p in problems:
            print("    " + p.replace("\n", "\n    "))
        return not problems

    def truth(self, name, condition):
        self.s.check(name, (0 if condition else 1, "", ""), 0, "", "")

    def recorded(self, name, outcome, printed="k=null\n", status=0):
        """The launch recorded; returns the archive built from it."""
        line = r"Recording startup cache (%s/startup-[0-9a-f]{16}-[0-9a-f]{16})\.\d+\.classlist" % \
            re.escape(self.files)
        self.expect(name, outcome, line, printed, status)
        prefix = re.search("^" + line + "$", outcome[1], re.M)
        files = [f for f in self.built() if prefix and f.startswith(prefix.group(1) + "-")]
        self.truth(name + ": built in the background", len(files) == 1)
        return files[0] if files else ""

    def used(self, name, file, folder=None):
        folder = folder or self.folder
        self.expect(name, self.run(folder=folder), "Using startup cache " + re.escape(file))
        with open(os.path.join(folder, "classes.log")) as log:
            mapped = re.search(r"app\.Probe source: shared objects file", log.read())
        self.truth(name + ": the VM maps app.Probe from it", mapped)

    def checker_agrees(self, file):
        result = subprocess.run([self.checker, "--config", "config.json"], cwd=self.folder,
                                env=dict(os.environ, XDG_CACHE_HOME=self.cache),
                                capture_output=True, text=True)
        self.truth("vantrel-check names the file in use", result.returncode == 0 and
                   "Using startup cache " + file in result.stdout)

    def all(self):
        self.recorded_and_used()
        self.damage()
        self.died_before_main()
        self.concurrent()
        self.unusable_folders()
        self.shipped()
        self.without_cache()
        self.same_output()

    def run_handing_down_a_pipe(self):
        """A run given one more open pipe, as a desktop session may hand one
        down; returns its outcome and whether the background build was still
        on when the pipe closed: nobody but the launcher may hold it."""
        read, write = os.pipe()
        env = dict(os.environ, LC_ALL="C.UTF-8", XDG_CACHE_HOME=self.cache,
                   XDG_CONFIG_HOME=os.path.join(self.s.work, "user config"))
        process = subprocess.Popen([os.path.join(self.folder, "vantrel"), "-c", "-v", "prop", "k"],
                                   cwd=self.s.work, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, pass_fds=(write,))
        os.close(write)
        out, err = process.communicate(timeout=60)
        with os.fdopen(read, "rb") as pipe:
            pipe.read()
        building = any(JOB_FILE.fullmatch(n) for n in os.listdir(self.files))
        return (process.returncode, out.decode(), err.decode()), building

    def recorded_and_used(self):
        outcome, building = self.run_handing_down_a_pipe()
        first = self.recorded("absent: the first run records", outcome)
        self.truth("...and the background build holds none of its files", building)
        self.used("recorded in the background: the next run uses it", first)
        self.checker_agrees(first)
        # The archive of another app folder under the same launcher name stays.
        other = self.s.app("another app, same launcher name", config=config_with(startupCache=True))
        self.recorded("another app folder: an archive of its own", self.run(folder=other))
        self.truth("each app folder keeps its archive", os.path.exists(first) and
                   len(self.archives()) == 2)
        jar = os.path.join(self.folder, "app.jar")
        os.utime(jar, (time.time() + 5, time.time() + 5))
        os.utime(first, (time.time() - 7200, time.time() - 7200))  # unused for two hours
        second = self.recorded("stale after the jar changes: records anew",
                               self.run(args=("exit", "0")), "exiting\n")
        self.truth("the stale archive, unused, is removed", first != second and
                   not os.path.exists(first))
        self.used("the new archive is used", second)

    def damage(self):
        archive = self.current()
        with open(archive, "r+b") as f:
            f.truncate(4096)
        self.recorded("cut short: never given to the VM, recorded anew", self.run())
        archive = self.current()
        with open(archive, "r+b") as f:
            for offset in range(1, 9):  # eight bytes changed, the size kept
                f.seek(offset * os.path.getsize(archive) // 9)
                byte = f.read(1)
                f.seek(-1, 1)
                f.write(bytes([byte[0] ^ 0x5a]))
        self.recorded("damaged: never given to the VM, recorded anew", self.run())

    def current(self):
        """The archive of the test's own app folder: the one -v names."""
        out = self.run()[1]
        found = re.search(r"^Using startup cache (.*)$", out, re.M)
        return found.group(1) if found else ""

    def died_before_main(self):
        archive = self.current()
        self.expect("a VM that dies before main", self.run({"PROBE_HALT_BEFORE_MAIN": "1"}),
                    "Using startup cache " + re.escape(archive), "", 134)
        time.sleep(6)  # a start mark younger than that may be one being made
        self.expect("after it: the archive is given up, not recorded again for a while",
                    self.run(), r"No startup cache: it failed on an earlier launch .*")
        self.truth("the archive is gone", not os.path.exists(archive))
        for name in os.listdir(self.files):
            if name.endswith(".failed"):
                os.remove(os.path.join(self.files, name))

    def concurrent(self):
        shutil.rmtree(self.cache)
        with concurrent.futures.ThreadPoolExecutor(8) as pool:
            outcomes = list(pool.map(lambda _: self.run(verbose=False), range(8)))
        odd = [o for o in outcomes if o != (0, "k=null\n", "")]
        self.s.check("eight first launches at once: each runs as without the cache",
                     odd[0] if odd else (0, "k=null\n", ""), 0, "k=null\n", "")
        files = self.built()
        self.truth("...and one archive comes of it", len(files) == 1)
        self.used("...which the next launch uses", self.current())

    def unusable_folders(self):
        jar = os.path.join(self.folder, "app.jar")
        self.expect("folder not writable: runs without", self.run(
            {"XDG_CACHE_HOME": os.path.join(jar, "cache")}),
            r"No startup cache: cannot write to .*")
        self.expect("exit status and output as without", self.run(
            {"XDG_CACHE_HOME": os.path.join(jar, "cache")}, ("exit", "3")),
            r"No startup cache: cannot write to .*", "exiting\n", 3)
        os.chmod(self.files, 0o777)
        warning = "Warning: ignoring startup cache folder %s: it is writable by group or others\n"
        self.expect("a folder others may write: ignored with a warning", self.run(),
                    "No startup cache: its folder is not safe to use", err=warning % self.files)
        os.chmod(self.files, 0o700)
        if os.geteuid() == 0:
            os.chown(self.files, 65534, 65534)
            self.expect("a folder of another user: ignored with a warning", self.run(),
                        "No startup cache: its folder is not safe to use",
                        err="Warning: ignoring startup cache folder %s: it is owned by user "
                            "65534\n" % self.files)
            os.chown(self.files, 0, 0)
        self.full_disk()

    def full_disk(self):
        small = os.path.join(self.s.work, "small-disk")
        os.makedirs(small, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k,mode=0700", "tmpfs",
                                  small], capture_output=True).returncode == 0
        if not mounted:
            print("skip full disk: cannot mount a tmpfs here")
            return
        try:
            self.expect("a full disk: runs without, with main's exit status", self.run(
                {"XDG_CACHE_HOME": small}, ("exit", "3")),
                r"No startup cache: only 0 MiB free in .*", "exiting\n", 3)
            self.truth("...and leaves nothing behind",
                       os.listdir(os.path.join(small, "vantrel")) == [])
        finally:
            subprocess.run(["umount", small])

    def shipped(self):
        """A training run, as vantrel-pack runs it, ends through System.exit
        after two seconds; the archive comes with the app folder."""
        scratch = {"XDG_CACHE_HOME": os.path.join(self.s.work, "training"),
                   "VANTREL_STARTUP_CACHE_TRAINING": "2"}
        self.expect("a training run ended through System.exit", self.run(scratch, ["hook"]),
                    r"Recording startup cache .*\.classlist",
                    "waiting\nshutdown hook ran\n")
        shipped_folder = os.path.join(self.folder, "startup-cache")
        self.truth("...writes the archive into the app folder",
                   len(self.archives(shipped_folder, SHIPPED)) == 1)
        copy = os.path.join(self.s.work, "installed elsewhere")
        shutil.copytree(self.folder, copy, symlinks=True)  # times kept, as packages keep them
        shutil.rmtree(self.cache)
        archive = self.archives(os.path.join(copy, "startup-cache"), SHIPPED)[0]
        self.used("shipped: the first launch of a copy uses it", archive, copy)
        with open(archive, "r+b") as f:
            f.seek(os.path.getsize(archive) // 2)
            f.write(b"\xff" * 8)
        self.expect("a damaged shipped archive: passed over", self.run(folder=copy),
                    r"Recording startup cache .*")
        self.built()

    def without_cache(self):
        os.makedirs(os.path.join(self.folder, "classes"))
        with open(os.path.join(self.folder, "config.json"), "w") as f:
            json.dump(config_with(startupCache=True, classPath=["app.jar", "classes"]), f)
        self.expect("class path folder: no cache", self.run(),
                    r"No startup cache: class path entry classes is a folder, .*")
        with open(os.path.join(self.folder, "config.json"), "w") as f:
            json.dump(config_with(startupCache=True, vmArgs=["-Xshare:off"]), f)
        self.expect("sharing set by the app's VM options: no cache", self.run(),
                    r"No startup cache: the VM option -Xshare:off sets class sharing itself")

    def same_output(self):
        """Byte for byte the program's output, with and without the cache."""
        args = ["args", "a b", "\u00e9t\u00e9", "\U0001F600"]
        plain = self.s.app("output without the cache")
        cached = self.s.app("output with the cache", config=config_with(startupCache=True))
        expected = self.s.run(plain, args)
        first = self.run(args=args, folder=cached, verbose=False)
        self.built()
        second = self.run(args=args, folder=cached, verbose=False)
        self.truth("the same output and status, first run included",
                   first == expected and second == expected)
        out = self.run(args=["-c", "-v"] + args, folder=cached, verbose=False)[1]
        self.truth("...and the second run used the cache", "Using startup cache" in out)


def splash_cases(s):
    image = os.path.join(s.work, "splash.png")
    # A red frame around white: easy to tell from the blue window.
    subprocess.run(["convert", "-size", "240x120", "xc:red", "-fill", "white", "-draw",
                    "rectangle 20,20 220,100", image], check=True)
    folder = s.app("splash", config=config_with(mainClass="app.SplashProbe", splash="splash.png"))
    shutil.copy(image, folder)
    process = subprocess.Popen([os.path.join(folder, "vantrel")], cwd=s.work, text=True,
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL="C.UTF-8"))
    first = process.stdout.readline()
    s.check("the program sees the splash screen", (0, first, ""), 0,
            "splash: file:%s\n" % os.path.join(folder, "splash.png"), "")
    before = colours(os.path.join(s.work, "before.png"))
    s.check("the screen shows the splash before the window",
            (int("red" in before and "blue" not in before), "", ""), 1, "", "")
    process.stdin.write("\n")
    process.stdin.flush()
    s.check("the window opens", (0, process.stdout.readline(), ""), 0, "window shown\n", "")
    after = set()
    for attempt in range(50):  # until the window is painted
        after = colours(os.path.join(s.work, "after%d.png" % attempt))
        if "blue" in after:
            break
    s.check("the window replaces the splash",
            (int("blue" in after and "red" not in after), "", ""), 1, "", "")
    out, err = process.communicate("\n", timeout=60)
    s.check("AWT closed the splash", (process.returncode, out, err), 0,
            "splash visible after the window: false\n", "")
    missing = s.app("splash missing", config=config_with(splash="none.png"))
    s.check("missing splash image", s.run(missing, ["prop", "k"]), 0, "k=null\n",
            "Warning: cannot read the splash image none.png\n")


def colours(path):
    """Takes a screenshot and names the pure colours it holds."""
    subprocess.run(["import", "-window", "root", path], check=True)
    histogram = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"],
                               capture_output=True, text=True, check=True).stdout
    names = {"#FF0000": "red", "#0000FF": "blue"}
    return {name for hex_, name in names.items() if hex_ in histogram}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--checker")
    parser.add_argument("--work", required=True)
    parser.add_argument("--jdk", required=True)
    parser.add_argument("--splash", action="store_true")
    options = parser.parse_args()
    options.standin = None
    suite = Suite(options)
    if options.splash:
        splash_cases(suite)
    else:
        CacheCase(suite, os.path.abspath(options.checker)).all()
    if suite.failures:
        print("%d failed: %s" % (len(suite.failures), ", ".join(suite.failures)))
        return 1
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
