#!/usr/bin/env python3
"""Vantrel.exe with a real 64-bit Windows Java runtime under wine.

The Java test program (java/app/WindowsProbe.java) is compiled for Java 11;
each case lays out an application folder (the launcher, config.json, app.jar
and jre, a link to the runtime), runs it and checks standard output,
standard error and the exit status exactly. Java prints texts as code points
("[U+03A9 ...]"), so that no console or file encoding gets in the way. Runs
"as a double-click" start the launcher through detached_start.exe (no
console, no standard handles) and check the log file instead. Every run
costs about half a second, so the cases are few and run in one test.

    run_real_runtime.py --exe Vantrel.exe --utf8-exe VantrelUtf8.exe
        --detached detached_start.exe --runtime DIR --jdk DIR --wine wine-run.sh
        --work DIR [--message-box]

--message-box: instead of the cases, shows the message box of a failed
start for real (run under xvfb-run): finds it by its title, saves a
screenshot as message-box.png in the work folder, presses Return and checks
the exit status. The wine prefix (WINEPREFIX) must be one of its own: a wine
session started without a display shows no boxes.
"""
import argparse
import concurrent.futures
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "java", "app", "WindowsProbe.java")
WINE_PREFIX_SCRIPT = os.path.join(HERE, "..", "wine-prefix.sh")
CONFIG = {"mainClass": "app.WindowsProbe", "classPath": ["app.jar"]}


def code_points(text):
    return "[" + " ".join("U+%04X" % ord(c) for c in text) + "]"


class Suite:
    def __init__(self, options):
        self.options = options
        self.work = os.path.abspath(options.work)
        self.failures = []
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.jar = self.build_jar()

    def build_jar(self):
        classes = os.path.join(self.work, "classes")
        jdk = self.options.jdk
        subprocess.run([os.path.join(jdk, "bin", "javac"), "--release", "11", "-d", classes,
                        SOURCE], check=True)
        jar = os.path.join(self.work, "app.jar")
        subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", jar, "-C", classes, "."],
                       check=True)
        return jar

    def app(self, name, config=None, exe=None, program="Vantrel.exe"):
        folder = os.path.join(self.work, name)
        os.makedirs(folder)
        shutil.copy(exe or self.options.exe, os.path.join(folder, program))
        shutil.copy(self.jar, os.path.join(folder, "app.jar"))
        os.symlink(os.path.abspath(self.options.runtime), os.path.join(folder, "jre"))
        with open(os.path.join(folder, "config.json"), "w", encoding="utf-8") as f:
            json.dump(CONFIG if config is None else config, f, ensure_ascii=False)
        return folder

    def run(self, folder, args, program="Vantrel.exe", detached=False, env=None):
        environment = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", **(env or {}))
        # Without a display a message box returns at once under wine.
        if not self.options.message_box:
            environment.pop("DISPLAY", None)
        command = [self.options.wine]
        if detached:
            command.append(self.options.detached)
        command += [os.path.join(folder, program)] + args
        done = subprocess.run(command, capture_output=True, env=environment, cwd=self.work,
                              timeout=120)
        return (done.returncode, done.stdout.replace(b"\r\n", b"\n").decode("utf-8", "replace"),
                done.stderr.replace(b"\r\n", b"\n").decode("utf-8", "replace"))

    def check(self, name, outcome, status, out, err=""):
        got_status, got_out, got_err = outcome
        problems = []
        if got_status != status:
            problems.append("exit status %d, expected %d" % (got_status, status))
        for label, got, expected in (("stdout", got_out, out), ("stderr", got_err, err)):
            if expected is not None and not matches(got, expected):
                problems.append("%s:\n%s\nexpected:\n%s" % (label, got, describe(expected)))
        print("%s %s" % ("ok  " if not problems else "FAIL", name))
        if problems:
            self.failures.append(name)
            print("\n".join("    " + line for p in problems for line in p.splitlines()))

    def case(self, name, args, status, out, err="", config=None):
        self.check(name, self.run(self.app(name, config), args), status, out, err)

    def log_file(self, app_name):
        """The launcher's log in the wine prefix, removed beforehand."""
        prefix = os.environ.get("WINEPREFIX", "")
        pattern = os.path.join(prefix, "drive_c", "users", "*", "AppData", "Local", app_name,
                               "launcher.log")
        for path in glob.glob(pattern):
            os.remove(path)
        return pattern

    def detached_case(self, name, args, status, log, config=None):
        """A start as by double-click: the box (none without display) and the log."""
        program = name + ".exe"
        pattern = self.log_file(name)
        outcome = self.run(self.app(name, config, program=program), args, program, True)
        logs = glob.glob(pattern)
        text = ""
        if logs:
            with open(logs[0], encoding="utf-8", errors="replace") as f:
                text = f.read().replace("\r\n", "\n")
        self.check(name + " (log file)", (outcome[0], text, ""), status, log)


def matches(got, expected):
    if isinstance(expected, str):
        return got == expected
    return expected.fullmatch(got) is not None


def describe(expected):
    return expected if isinstance(expected, str) else "pattern " + expected.pattern


LOG_HEADER = r"--- \d{4}-\d\d-\d\d \d\d:\d\d:\d\d ---\n"
HEAP_ERROR = "Error occurred during initialization of VM\nToo small maximum heap\n"


def cases(s):
    texts = ["\u03a9\u03bc\u03ad\u03b3\u03b1", "\u65e5\u672c\u8a9e", "\U0001F600", "caf\u00e9"]
    s.case("arguments outside cp1252", ["args"] + texts, 0,
           "".join(code_points(t) + "\n" for t in ["args"] + texts))
    s.case("environment outside cp1252", ["env", "GREEK", "CJK"], 0,
           "GREEK=%s\nCJK=%s\n" % (code_points(texts[0]), code_points(texts[1])),
           config=dict(CONFIG, env={"GREEK": texts[0], "CJK": texts[1]}))
    s.case("-J replaces vmArgs, in the runtime's code page",
           ["-c", "-J=-Dfrom.cli=\u00e9", "--", "prop", "from.config", "from.cli"], 0,
           "from.config=null\nfrom.cli=%s\n" % code_points("\u00e9"),
           config=dict(CONFIG, vmArgs=["-Dfrom.config=1"]))
    s.case("VM option outside the code page", ["-c", "-J=-Dx=\u65e5", "--", "prop", "x"], 1, "",
           "Error: the VM option -Dx=\u65e5 holds characters that code page 1252 cannot "
           "represent; the Java runtime would receive it garbled\n")
    folder = s.app("app \u65e5\u672c")
    s.check("app folder outside cp1252", s.run(folder, ["args"]), 1, "", re.compile(
        r"Error: the Java runtime cannot start from Z:\\.*\\app \u65e5\u672c\\jre: the path "
        r"has characters that the system's code page \(1252\) cannot represent; install the "
        r"application in a folder whose path has none of them\n"
        r"Error: failed to load VM runtime library!\n"))
    s.case("app folder inside cp1252 \u00e9", ["args", "x"], 0, "[U+0061 U+0072 U+0067 U+0073]\n"
           "[U+0078]\n")
    s.case("exception in main", ["throw"], 1, "", re.compile(
        r'Exception in thread "main" java\.lang\.IllegalStateException: boom\n'
        r'\tat app\.WindowsProbe\.main\(WindowsProbe\.java:\d+\)\n'))
    s.case("the app's default uncaught-exception handler", ["handler"], 1,
           "handler: main java.lang.IllegalStateException: handled\n")
    s.case("System.exit", ["exit", "42"], 42, "")
    s.case("System.exit from another thread", ["exit-thread", "9"], 9, "")
    s.case("a non-daemon thread outlives main", ["outlive"], 0, "main done\nlate thread done\n")
    # The runtime writes its start-up errors to standard output.
    s.case("VM start-up failure with a console", ["-c", "-J=-Xmx1k"], 1, HEAP_ERROR, "")
    s.detached_case("HeapFailure", [], 1, re.compile(LOG_HEADER + HEAP_ERROR),
                    config=dict(CONFIG, vmArgs=["-Xmx1k"]))
    s.detached_case("MainFailure", ["throw"], 1, re.compile(
        LOG_HEADER + r'Exception in thread "main" java\.lang\.IllegalStateException: boom\n'
        r'\tat app\.WindowsProbe\.main\(WindowsProbe\.java:\d+\)\n'))
    # Tool.exe reads Tool.json: its default arguments come first; the java
    # command's properties say how it started (a character the code page
    # lacks becomes '?'); a VM option the runtime does not know is named.
    folder = s.app("launcher inputs", program="Tool.exe")
    with open(os.path.join(folder, "Tool.json"), "w", encoding="utf-8") as f:
        json.dump(dict(CONFIG, args=["prop", "sun.java.launcher"],
                       vmArgs=["-XX:+UseZGCC", "-Xmx64m"]), f)
    s.check("Tool.json, default arguments, properties, an unknown VM option",
            s.run(folder, ["-c", "--", "sun.java.command", "\u65e5"], "Tool.exe"), 0,
            "sun.java.launcher=%s\nsun.java.command=%s\n?=null\n" % (
                code_points("SUN_STANDARD"),
                code_points("app.WindowsProbe prop sun.java.launcher sun.java.command ?")),
            "Warning: the Java VM does not recognise the option -XX:+UseZGCC and ignores it\n")
    # Double-clicked, a run that goes well keeps its warnings in the log.
    s.detached_case("UnknownOption", [], 0, re.compile(
        LOG_HEADER + r"Warning: the Java VM does not recognise the option -XX:\+UseZGCC and "
        r"ignores it\n"), config=dict(CONFIG, vmArgs=["-XX:+UseZGCC"]))
    folder = s.app("UTF-8 variant", exe=s.options.utf8_exe)
    s.check("UTF-8 variant", s.run(folder, ["args"] + texts), 0,
            "".join(code_points(t) + "\n" for t in ["args"] + texts), "")
    # Java 11 decodes options with the locale's code page even so.
    s.check("UTF-8 variant, VM option", s.run(folder, ["-c", "-J=-Dx=\u00e9", "--", "prop", "x"]),
            0, "x=%s\n" % code_points("\u00e9"), "")


def instance_cases(s):
    """One instance through the named pipe, the arguments intact, and the
    restart on request; the taskbar identity set on the way (-v)."""
    config = dict(CONFIG, singleInstance="app.WindowsProbe.onLaunch", restartExitCode=3,
                  appUserModelId="Vantrel.Tests")
    folder = s.app("single instance", config)
    environment = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    environment.pop("DISPLAY", None)
    first = subprocess.Popen([s.options.wine, os.path.join(folder, "Vantrel.exe"), "-c", "-v",
                              "--", "wait"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             env=environment, cwd=s.work)
    lines = []
    while not lines or not (lines[-1].startswith("started") or lines[-1] == ""):
        lines.append(first.stdout.readline().decode("utf-8", "replace").replace("\r\n", "\n"))
    texts = ["\u03a9\u03bc\u03ad\u03b3\u03b1", "", "\U0001F600 \u65e5\u672c"]
    s.check("single instance: a later launch ends silently", s.run(folder, texts), 0, "", "")
    s.check("single instance: stop", s.run(folder, ["stop"]), 0, "", "")
    try:
        out, err = first.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        first.kill()
        out, err = first.communicate()
    directory = code_points("Z:" + s.work.replace("/", "\\"))
    out = "".join(lines) + out.replace(b"\r\n", b"\n").decode("utf-8", "replace")
    s.check("single instance: onLaunch through the pipe", (first.returncode, out, err.decode()),
            0, re.compile(r"(.*\n)*Setting the AppUserModelID Vantrel\.Tests \.\.\.\n(.*\n)*"
                          r"started 1\n" + re.escape("launch %s %s\nlaunch %s %s\n" % (
                              directory, " ".join(code_points(t) for t in texts), directory,
                              code_points("stop"))) + r"Destroyed Java VM \.\.\.\n"), "")
    last = "\u65e5\u672c"
    s.check("restart: once, with the same arguments",
            s.run(folder, ["restart", "runs.txt", "3", last]), 0,
            "run 1 %s\nrun 2 %s\n" % (code_points(last), code_points(last)), "")


def cache_folder(name):
    """The per-user cache folder of the program NAME.exe in the wine prefix."""
    found = glob.glob(os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "users", "*",
                                   "AppData", "Local"))
    return os.path.join(found[0] if found else "", name, "cache")


def built(folder):
    """Waits for the background build; the archives then."""
    for _ in range(600):
        names = os.listdir(folder) if os.path.isdir(folder) else []
        if not any(re.fullmatch(r".*\.(classlist|tmp)", n) for n in names):
            break
        time.sleep(0.2)
    return sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".jsa"))


def cache_cases(s):
    """The startup cache with Java 11: a class list in the app's run, a static
    archive built in the background, checked before each use. The program's
    output stays byte for byte what it is without the cache."""
    name = "CacheApp"
    cache = cache_folder(name)
    shutil.rmtree(cache, ignore_errors=True)
    folder = s.app(name, dict(CONFIG, startupCache=True, vmArgs=[
        "-Xlog:class+load=info:file=classes.log"]), program=name + ".exe")
    args, printed = ["args", "x"], "[U+0061 U+0072 U+0067 U+0073]\n[U+0078]\n"
    run = lambda *extra, **env: s.run(folder, list(extra) + args, name + ".exe", env=env)
    with_v = lambda line: re.compile(r"(.*\n)?%s\n(.*\n)?%s(.*\n)?" % (line, re.escape(printed)),
                                     re.S)
    s.check("cache: the first run records, its output as without", run(), 0, printed)
    archives = built(cache)
    s.check("cache: built in the background", (len(archives), "", ""), 1, "")
    s.check("cache: the second run uses it", run("-c", "-v"), 0, with_v(
        r"Using startup cache C:\\users\\[^\\]+\\AppData\\Local\\%s\\cache\\%s" %
        (name, re.escape(os.path.basename(archives[0])))))
    with open(os.path.join(folder, "classes.log")) as log:
        mapped = "app.WindowsProbe source: shared objects file" in log.read()
    s.check("cache: the VM maps the app's classes from it", (0, str(mapped), ""), 0, "True")
    with open(archives[0], "r+b") as f:
        f.seek(os.path.getsize(archives[0]) // 2)
        f.write(b"\xff" * 8)
    s.check("cache: damaged, never given to the VM, recorded anew", run("-c", "-v"), 0,
            with_v(r"Recording startup cache .*"))
    archive = built(cache)[0]
    s.check("cache: a VM that dies before main", run(PROBE_HALT_BEFORE_MAIN="1"), 134, "")
    time.sleep(6)
    s.check("cache: after it, the archive is given up", run("-c", "-v"), 0,
            with_v(r"No startup cache: it failed on an earlier launch .*"))
    s.check("cache: ...and removed", (0, str(os.path.exists(archive)), ""), 0, "False")
    shutil.rmtree(cache)
    # Another folder: four VMs at once would share the first one's log file.
    crowded = s.app(name + " at once", dict(CONFIG, startupCache=True), program=name + ".exe")
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        outcomes = list(pool.map(lambda _: s.run(crowded, args, name + ".exe"), range(4)))
    s.check("cache: four first launches at once, each as without",
            (0, "".join("%r\n" % (o,) for o in outcomes if o != (0, printed, "")), ""), 0, "")
    s.check("cache: ...and one archive", (len(built(cache)), "", ""), 1, "")
    os.utime(os.path.join(folder, "app.jar"), (time.time() + 5, time.time() + 5))
    s.check("cache: stale after the jar changes, recorded anew", run("-c", "-v"), 0,
            with_v(r"Recording startup cache .*"))
    built(cache)
    shutil.rmtree(cache)
    os.makedirs(os.path.dirname(cache), exist_ok=True)
    open(cache, "w").close()  # a file where the folder should be
    s.check("cache: a folder that cannot be made, runs without", run("-c", "-v"), 0,
            with_v(r"No startup cache: cannot write to .*"))
    os.remove(cache)
    full_disk(s, run, with_v, os.path.dirname(cache))


def full_disk(s, run, with_v, folder):
    """The per-user folder on a 64 KB tmpfs, where one can be mounted."""
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder],
                      capture_output=True).returncode != 0:
        print("skip cache: full disk (cannot mount a tmpfs here)")
        return
    try:
        s.check("cache: a full disk, runs without", run("-c", "-v"), 0,
                with_v(r"No startup cache: only 0 MiB free in .*"))
    finally:
        subprocess.run(["umount", folder])


def message_box(s):
    """The box of a failed double-clicked start, for real on a display."""
    name = "BoxFailure"
    pattern = s.log_file(name)
    folder = s.app(name, dict(CONFIG, vmArgs=["-Xmx1k"]), program=name + ".exe")
    environment = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    process = subprocess.Popen([s.options.wine, s.options.detached,
                                os.path.join(folder, name + ".exe")],
                               env=environment, cwd=s.work)
    window = ""
    for _ in range(120):  # the box comes within seconds; give up after a minute
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % name],
                               capture_output=True, text=True)
        window = found.stdout.split()[0] if found.stdout.split() else ""
        if window or process.poll() is not None:
            break
        time.sleep(0.5)
    screenshot = os.path.join(s.work, "message-box.png")
    if window:
        time.sleep(1)  # let wine finish drawing before the picture is taken
        subprocess.run(["import", "-window", "root", screenshot], check=False)
        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False)
        subprocess.run(["xdotool", "key", "--window", window, "Return"], check=False)
    try:
        status = process.wait(timeout=60)
    except subprocess.TimeoutExpired:
        process.kill()
        status = -1
    s.check("message box found by its title", (0, "window" if window else "none", ""), 0,
            "window")
    s.check("message box dismissed: exit status", (status, "", ""), 1, "")
    s.check("screenshot saved", (0, str(os.path.getsize(screenshot) > 0
                                       if os.path.exists(screenshot) else False), ""), 0,
            "True")
    s.check("log file beside the box", (0, str(bool(glob.glob(pattern))), ""), 0, "True")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("--exe", "--utf8-exe", "--detached", "--runtime", "--jdk", "--wine",
                   "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("--message-box", action="store_true")
    options = parser.parse_args()
    suite = Suite(options)
    if options.message_box:
        prefix = os.environ["WINEPREFIX"]
        subprocess.run(["sh", WINE_PREFIX_SCRIPT, "setup", prefix], check=True)
        try:
            message_box(suite)
        finally:
            subprocess.run(["sh", WINE_PREFIX_SCRIPT, "cleanup", prefix])
    else:
        cases(suite)
        instance_cases(suite)
        cache_cases(suite)
    if suite.failures:
        print("%d failed: %s" % (len(suite.failures), ", ".join(suite.failures)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
