#!/usr/bin/env python3
"""End-to-end tests of the start-up aids with a real JDK.

--cache: the startup cache's states in one app folder with a private cache
folder: absent (the first run records), used, seen alike by vantrel-check,
stale after the jar changes (that run ends through System.exit), cut short
or damaged, a folder that cannot be written, a class path folder and VM
options that set class sharing themselves (no cache).
--splash: run under a virtual display (xvfb-run): the splash image shows
before the app's window, the Java program sees it, and AWT closes it when
the window appears.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_e2e import Suite, config_with  # noqa: E402

# The VM's own lines while it writes an AOT cache at the end of the
# recording run (Java 25 and later): it prints them whatever the log settings.
AOT_RECORDING_OUT = re.compile(r"(Temporary AOTConfiguration recorded: .*\n"
                               r"Launching child process .*\n"
                               r"Reading AOTConfiguration .*\n"
                               r"AOTCache creation is complete: .*\n"
                               r"Removed temporary AOT configuration file .*\n)?")
AOT_RECORDING_ERR = re.compile(r"(Picked up JAVA_TOOL_OPTIONS: .*\n)?")


def java_feature(jdk):
    with open(os.path.join(jdk, "release")) as f:
        version = re.search(r'^JAVA_VERSION="(?:1\.)?(\d+)', f.read(), re.M)
    return int(version.group(1))


class CacheCase:
    def __init__(self, suite, checker):
        self.s = suite
        self.checker = checker
        self.cache = os.path.join(suite.work, "user-cache")
        self.folder = suite.app("app-with-cache", config=config_with(
            startupCache=True, vmArgs=["-Xlog:class+load=info:file=classes.log"]))
        self.files = os.path.join(self.cache, "vantrel")
        self.extension = ".aot" if java_feature(suite.jdk) >= 25 else ".jsa"

    def run(self, env=None, args=("prop", "k")):
        return self.s.run(self.folder, ["-c", "-v"] + list(args),
                          dict({"XDG_CACHE_HOME": self.cache}, **(env or {})))

    def complete_files(self):
        """The cache files of the folder; each name must carry its size."""
        names = sorted(os.listdir(self.files)) if os.path.isdir(self.files) else []
        pattern = re.compile(r"startup-[0-9a-f]{16}-(\d+)" + re.escape(self.extension))
        for name in names:
            found = pattern.fullmatch(name)
            size = os.path.getsize(os.path.join(self.files, name))
            if not found or int(found.group(1)) != size:
                return ["unexpected file %s (%d bytes)" % (name, size)]
        return [os.path.join(self.files, name) for name in names]

    def expect(self, name, outcome, line, recording=False, printed="k=null\n"):
        """The program ran, said `line` with -v and (unless recording on a
        VM that reports its AOT cache) wrote nothing else of its own."""
        status, out, err = outcome
        problems = []
        if status != 0:
            problems.append("exit status %d" % status)
        if not re.search("^" + line + "$", out, re.M):
            problems.append("no line matching %r in stdout:\n%s" % (line, out))
        program = "".join(l + "\n" for l in out.splitlines() if not l.startswith(
            ("  # ", "Changing", "Loading", "Passing", "Creating", "Invoking", "Destroyed", "Using",
             "Recording", "No startup")))
        if not (program == printed or recording and program.startswith(printed) and
                AOT_RECORDING_OUT.fullmatch(program[len(printed):])):
            problems.append("program output:\n" + program)
        if not (err == "" or recording and AOT_RECORDING_ERR.fullmatch(err)):
            problems.append("stderr:\n" + err)
        self.s.check(name, (0 if not problems else 1, "", ""), 0, "", "")
        for p in problems:
            print("    " + p.replace("\n", "\n    "))
        return not problems

    def recorded(self, name, outcome, printed="k=null\n"):
        line = r"Recording startup cache %s/startup-[0-9a-f]{16}\.\d+\.tmp" % re.escape(self.files)
        self.expect(name, outcome, line, recording=True, printed=printed)
        files = self.complete_files()
        self.s.check(name + ": one complete file", (len(files), "", ""), 1, "", "")
        return files[0] if files else ""

    def used(self, name, file):
        self.expect(name, self.run(), "Using startup cache " + re.escape(file))
        with open(os.path.join(self.folder, "classes.log")) as log:
            mapped = re.search(r"app\.Probe source: shared objects file", log.read())
        self.s.check(name + ": the VM maps app.Probe from it", (0 if mapped else 1, "", ""),
                     0, "", "")

    def checker_agrees(self, file):
        result = subprocess.run([self.checker, "--config", "config.json"], cwd=self.folder,
                                env=dict(os.environ, XDG_CACHE_HOME=self.cache),
                                capture_output=True, text=True)
        self.s.check("vantrel-check names the file in use", (result.returncode, "", ""), 0,
                     "", "")
        if "Using startup cache " + file not in result.stdout:
            self.s.failures.append("vantrel-check output")
            print("FAIL vantrel-check output:\n" + result.stdout)

    def all(self):
        first = self.recorded("absent: the first run records", self.run())
        self.used("recorded: the next run uses it", first)
        self.checker_agrees(first)
        jar = os.path.join(self.folder, "app.jar")
        os.utime(jar, (time.time() + 5, time.time() + 5))
        # This time the program ends through System.exit.
        second = self.recorded("stale after the jar changes: records anew",
                               self.run(args=("exit", "0")), "exiting\n")
        self.s.check("the stale file is removed", (int(first != second and
                     not os.path.exists(first)), "", ""), 1, "", "")
        with open(second, "r+b") as f:
            f.truncate(4096)
        self.recorded("cut short: recorded anew without a word", self.run())
        third = self.complete_files()[0]
        with open(third, "r+b") as f:
            f.write(b"\0" * 4096)
        self.expect("damaged: the VM passes over it without a word", self.run(),
                    "Using startup cache " + re.escape(third))
        self.expect("folder not writable: runs without", self.run(
            {"XDG_CACHE_HOME": os.path.join(jar, "cache")}),
            r"No startup cache: cannot write to .*")
        os.makedirs(os.path.join(self.folder, "classes"))
        with open(os.path.join(self.folder, "config.json"), "w") as f:
            json.dump(config_with(startupCache=True, classPath=["app.jar", "classes"]), f)
        self.expect("class path folder: no cache", self.run(),
                    r"No startup cache: class path entry classes is a folder, .*")
        with open(os.path.join(self.folder, "config.json"), "w") as f:
            json.dump(config_with(startupCache=True, vmArgs=["-Xshare:off"]), f)
        self.expect("sharing set by the app's VM options: no cache", self.run(),
                    r"No startup cache: the VM option -Xshare:off sets class sharing itself")


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
