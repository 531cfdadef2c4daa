#!/usr/bin/env python3
"""Start-up time and peak memory: the launcher against `java -cp app.jar Main`.

Both run the same main class (one that returns at once) with the same JDK
and no VM options, alternating run by run. Prints, per JDK, the median wall
time of each, their ratio (launcher / java) and the median peak resident
memory of the process (getrusage of the child), also of the in-process floor
(floor/vm_floor.c: a C program that loads the runtime library, creates the
VM on a thread and calls main, nothing else).

With --desktop, the app is a desktop-like one (desktop/app/Desktop.java:
Swing components built headless, a logger, regular expressions, streams,
java.time, a temporary file; it exits once built), shipped as a user ships
it: the launcher, config.json, app.jar and a runtime made with jlink. Four
ways of starting it take turns run by run: `java -cp` with that runtime,
the launcher without the startup cache, the launcher with a warm cache, and
the launcher's first run, which records the cache (its cache folder is
emptied before each such run). With --desktop --compressed, the launcher
without and with a warm cache takes turns with itself on a runtime whose
modules jlink zipped (--compress), which also gives the runtimes' sizes.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

MAIN = "public class Main { public static void main(String[] args) {} }\n"
FLOOR_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "floor", "vm_floor.c")


def build_floor(jdk, work):
    """The in-process floor, compiled with the system's C compiler."""
    floor = os.path.join(work, "vm_floor")
    include = os.path.join(jdk, "include")
    subprocess.run(["cc", "-O2", "-I" + include, "-I" + os.path.join(include, "linux"),
                    FLOOR_SOURCE, "-o", floor, "-ldl", "-lpthread"], check=True)
    return floor


def prepare(jdk, launcher, work):
    """An app folder for the launcher; its jar serves `java` as well."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "classes"))
    source = os.path.join(work, "Main.java")
    with open(source, "w") as f:
        f.write(MAIN)
    subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", os.path.join(work, "classes"),
                    source], check=True)
    app = os.path.join(work, "app")
    os.makedirs(app)
    subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", os.path.join(app, "app.jar"),
                    "-C", os.path.join(work, "classes"), "."], check=True)
    shutil.copy(launcher, os.path.join(app, "vantrel"))
    os.symlink(jdk, os.path.join(app, "jre"))
    with open(os.path.join(app, "config.json"), "w") as f:
        json.dump({"mainClass": "Main", "classPath": ["app.jar"]}, f)
    return app


def measure(argv, cwd):
    """Wall time and CPU time (user + system) in ms and peak resident
    memory in MiB of one run."""
    null = os.open(os.devnull, os.O_WRONLY)
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        os.chdir(cwd)
        os.dup2(null, 1)
        os.dup2(null, 2)
        os.execv(argv[0], argv)
    _, status, usage = os.wait4(pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    os.close(null)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s" % " ".join(argv))
    cpu = (usage.ru_utime + usage.ru_stime) * 1000
    return elapsed, cpu, usage.ru_maxrss / 1024


def bench(jdk, launcher, work, runs):
    app = prepare(jdk, launcher, work)
    commands = {"vantrel": [os.path.join(app, "vantrel")],
                "java": [os.path.join(jdk, "bin", "java"), "-cp", "app.jar", "Main"],
                "floor": [build_floor(jdk, work), os.path.join(jdk, "lib", "server", "libjvm.so"),
                          "app.jar", "Main"]}
    results = {name: [] for name in commands}
    for name, argv in commands.items():  # warm the file cache
        measure(argv, app)
    for _ in range(runs):
        for name, argv in commands.items():
            results[name].append(measure(argv, app))
    return {name: tuple(statistics.median(run[i] for run in r) for i in range(3))
            for name, r in results.items()}


DESKTOP_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "desktop", "app",
                              "Desktop.java")
DESKTOP_MODULES = "java.desktop,java.logging"


def ship_desktop_app(jdk, launcher, work, jlink_options=()):
    """Two app folders, without and with the startup cache, each with its
    own copy of one jlink runtime (made with `jlink_options` added); returns
    their paths."""
    shutil.rmtree(work, ignore_errors=True)
    classes = os.path.join(work, "classes")
    subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", classes, DESKTOP_SOURCE], check=True)
    runtime = os.path.join(work, "runtime")
    subprocess.run([os.path.join(jdk, "bin", "jlink"), "--add-modules", DESKTOP_MODULES,
                    "--strip-debug", "--no-header-files", "--no-man-pages",
                    "--generate-cds-archive", "--output", runtime] + list(jlink_options),
                   check=True, stdout=subprocess.DEVNULL)
    folders = []
    for name, config in (("plain", {}), ("cached", {"startupCache": True})):
        app = os.path.join(work, name)
        os.makedirs(app)
        subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", os.path.join(app, "app.jar"),
                        "-C", classes, "."], check=True)
        shutil.copy(launcher, os.path.join(app, "vantrel"))
        shutil.copytree(runtime, os.path.join(app, "jre"), symlinks=True)
        with open(os.path.join(app, "config.json"), "w") as f:
            json.dump(dict({"mainClass": "app.Desktop", "classPath": ["app.jar"]}, **config), f)
        folders.append(app)
    return folders


def warm_cache(app, cache):
    """Records the cache and checks that the launcher then uses it."""
    env = dict(os.environ, XDG_CACHE_HOME=cache)
    subprocess.run([os.path.join(app, "vantrel")], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = subprocess.run([os.path.join(app, "vantrel"), "-c", "-v"], env=env, check=True,
                         capture_output=True, text=True).stdout
    if "Using startup cache " not in out:
        sys.exit("the launcher does not use its startup cache:\n" + out)


def measure_in(argv, cwd, cache, empty_first=False):
    """measure() with a given user cache folder, emptied first if asked."""
    if empty_first:
        shutil.rmtree(cache, ignore_errors=True)
    previous = os.environ.get("XDG_CACHE_HOME")
    os.environ["XDG_CACHE_HOME"] = cache
    try:
        return measure(argv, cwd)
    finally:
        if previous is None:
            del os.environ["XDG_CACHE_HOME"]
        else:
            os.environ["XDG_CACHE_HOME"] = previous


def bench_desktop(jdk, launcher, work, runs):
    plain, cached = ship_desktop_app(jdk, launcher, work)
    warm, first = os.path.join(work, "warm-cache"), os.path.join(work, "first-cache")
    warm_cache(cached, warm)
    ways = {"java -cp": ([os.path.join(plain, "jre", "bin", "java"), "-cp", "app.jar",
                          "app.Desktop"], plain, warm, False),
            "no cache": ([os.path.join(plain, "vantrel")], plain, warm, False),
            "warm cache": ([os.path.join(cached, "vantrel")], cached, warm, False),
            "first run": ([os.path.join(cached, "vantrel")], cached, first, True)}
    return take_turns(ways, runs)


def take_turns(ways, runs):
    """{name: (median wall ms, median CPU ms)} of the ways of starting,
    each run once per round."""
    for argv, cwd, cache, empty in ways.values():  # warm the file cache
        measure_in(argv, cwd, cache, empty)
    results = {name: [] for name in ways}
    for _ in range(runs):
        for name, (argv, cwd, cache, empty) in ways.items():
            results[name].append(measure_in(argv, cwd, cache, empty))
    return {name: (statistics.median(t for t, _, _ in r), statistics.median(c for _, c, _ in r))
            for name, r in results.items()}


def folder_mib(folder):
    return sum(os.path.getsize(os.path.join(top, name)) for top, _, names in os.walk(folder)
               for name in names if not os.path.islink(os.path.join(top, name))) / 1048576.0


def bench_compressed(jdk, launcher, work, runs):
    """The launcher without and with a warm cache on the runtime as jlink
    stores it and on one with zipped modules; the sizes, and the times."""
    zipped = "--compress=zip-6" if int(java_version(jdk).split(".")[0]) >= 21 else "--compress=2"
    apps, ways, sizes = {}, {}, []
    for kind, options in (("", ()), (", zipped", (zipped,))):
        plain, cached = ship_desktop_app(jdk, launcher, os.path.join(work, "app" + kind[2:]),
                                         options)
        warm = os.path.join(work, "warm-cache" + kind[2:])
        warm_cache(cached, warm)
        sizes.append(folder_mib(os.path.join(plain, "jre")))
        ways["no cache" + kind] = ([os.path.join(plain, "vantrel")], plain, warm, False)
        ways["warm cache" + kind] = ([os.path.join(cached, "vantrel")], cached, warm, False)
    return sizes, take_turns(ways, runs)


def print_compressed(options):
    rows = {0: [], 1: []}
    for index, jdk in enumerate(options.jdks):
        jdk = os.path.realpath(jdk)
        sizes, r = bench_compressed(jdk, os.path.abspath(options.launcher),
                                    os.path.join(os.path.abspath(options.work), "zip%d" % index),
                                    options.runs)
        for column in (0, 1):
            n, nz, w, wz = (r[name][column] for name in ("no cache", "no cache, zipped",
                                                         "warm cache", "warm cache, zipped"))
            rows[column].append("| %s | %.1f MiB | %.1f MiB | %.0f ms | %.0f ms | %+.0f %% | "
                                "%.0f ms | %.0f ms | %+.0f %% |"
                                % (java_version(jdk), sizes[0], sizes[1], n, nz,
                                   100 * (nz / n - 1), w, wz, 100 * (wz / w - 1)))
    for column, what in ((0, "wall time"), (1, "CPU time, user + system")):
        print("| JDK | runtime | zipped | no cache | zipped | change | warm cache | zipped | "
              "change |")
        print("|---|---|---|---|---|---|---|---|---|")
        print("\n".join(rows[column]))
        print("(%s, medians of %d runs each, taking turns run by run)\n" % (what, options.runs))


def print_desktop(options):
    print("| JDK | java -cp | no cache | ratio | warm cache | ratio | first run | "
          "first run - no cache |")
    print("|---|---|---|---|---|---|---|---|")
    cpu = []
    for index, jdk in enumerate(options.jdks):
        jdk = os.path.realpath(jdk)
        r = bench_desktop(jdk, os.path.abspath(options.launcher),
                          os.path.join(os.path.abspath(options.work), "desktop%d" % index),
                          options.runs)
        for column, row in ((0, None), (1, cpu)):
            j, n, w, f = (r[name][column] for name in
                          ("java -cp", "no cache", "warm cache", "first run"))
            line = ("| %s | %.0f ms | %.0f ms | %.2f | %.0f ms | %.2f | %.0f ms | +%.0f ms |"
                    % (java_version(jdk), j, n, n / j, w, w / j, f, f - n))
            if row is None:
                print(line)
            else:
                row.append(line)
    print("(wall time, medians of %d runs each, taking turns run by run)" % options.runs)
    print()
    print("| JDK | CPU: java -cp | no cache | ratio | warm cache | ratio | first run | "
          "first run - no cache |")
    print("|---|---|---|---|---|---|---|---|")
    print("\n".join(cpu))
    print("(CPU time, user + system of the process and its children, medians)")


def java_version(jdk):
    with open(os.path.join(jdk, "release")) as f:
        for line in f:
            if line.startswith("JAVA_VERSION="):
                return line.split("=", 1)[1].strip().strip('"')
    return "?"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=25)
    parser.add_argument("--desktop", action="store_true",
                        help="the desktop-like app, with and without the startup cache")
    parser.add_argument("--compressed", action="store_true",
                        help="with --desktop: the runtime as jlink stores it against zipped")
    parser.add_argument("jdks", nargs="+")
    options = parser.parse_args()
    if options.desktop and options.compressed:
        print_compressed(options)
        return
    if options.desktop:
        print_desktop(options)
        return
    print("| JDK | wall: launcher | wall: java | ratio | CPU: launcher | CPU: java | ratio "
          "| peak RSS: launcher | java | floor | launcher - floor |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for index, jdk in enumerate(options.jdks):
        jdk = os.path.realpath(jdk)
        r = bench(jdk, os.path.abspath(options.launcher),
                  os.path.join(os.path.abspath(options.work), str(index)), options.runs)
        (lt, lc, lm), (jt, jc, jm), fm = r["vantrel"], r["java"], r["floor"][2]
        print("| %s | %.1f ms | %.1f ms | %.2f | %.1f ms | %.1f ms | %.2f | %.2f MiB | %.2f MiB "
              "| %.2f MiB | %+.2f MiB |" % (java_version(jdk), lt, jt, lt / jt, lc, jc, lc / jc,
                                           lm, jm, fm, lm - fm))
    print("(medians of %d runs each, alternating)" % options.runs)


if __name__ == "__main__":
    main()
