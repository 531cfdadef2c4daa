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
it: the launcher, config.json, app.jar and a runtime made with jlink. Five
ways of starting it take turns run by run: `java -cp` with that runtime;
the launcher without the startup cache; the first launch of the folder that
vantrel-pack --startup-cache made (with its shipped cache, an empty per-user
folder); the first launch at the user's, which records the cache (its
per-user folder emptied before each such run; the background build that
follows is waited for and not counted); the launcher with a warm per-user
cache. Then, per archive, what checking it costs: the launcher's checksum
(checksum_bench) against the VM's -XX:+VerifySharedSpaces.

With --wine, Vantrel.exe runs under wine with a Windows Java runtime: the
work of the desktop-like app without its window (desktop/app/Workload.java),
java.exe -cp, the launcher without the startup cache, its first launch
(which records) and a warm cache.
With --desktop --compressed, the launcher without and with a warm cache
takes turns with itself on a runtime whose modules jlink zipped
(--compress), which also gives the runtimes' sizes.
"""
import argparse
import glob
import json
import os
import re
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


DESKTOP_APP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "desktop", "app")
DESKTOP_SOURCES = [os.path.join(DESKTOP_APP, name) for name in ("Desktop.java", "Workload.java")]
DESKTOP_MODULES = "java.desktop,java.logging"
JOB_FILE = re.compile(r".*\.(classlist|tmp)")


def ship_desktop_app(jdk, launcher, pack, work, jlink_options=()):
    """App folders, each with its own copy of one jlink runtime (made with
    `jlink_options` added): without the startup cache, with it, and, given
    vantrel-pack (`pack`), packaged by vantrel-pack --startup-cache (which
    ships a cache from a training run); returns their paths."""
    shutil.rmtree(work, ignore_errors=True)
    classes = os.path.join(work, "classes")
    subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", classes] + DESKTOP_SOURCES, check=True)
    runtime = os.path.join(work, "runtime")
    subprocess.run([os.path.join(jdk, "bin", "jlink"), "--add-modules", DESKTOP_MODULES,
                    "--strip-debug", "--no-header-files", "--no-man-pages",
                    "--generate-cds-archive", "--output", runtime] + list(jlink_options),
                   check=True, stdout=subprocess.DEVNULL)
    jars = os.path.join(work, "jars")
    os.makedirs(jars)
    subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", os.path.join(jars, "app.jar"),
                    "-C", classes, "."], check=True)
    folders = []
    for name, config in (("plain", {}), ("cached", {"startupCache": True})):
        app = os.path.join(work, name)
        os.makedirs(app)
        shutil.copy(os.path.join(jars, "app.jar"), app)
        shutil.copy(launcher, os.path.join(app, "vantrel"))
        shutil.copytree(runtime, os.path.join(app, "jre"), symlinks=True)
        with open(os.path.join(app, "config.json"), "w") as f:
            json.dump(dict({"mainClass": "app.Desktop", "classPath": ["app.jar"]}, **config), f)
        folders.append(app)
    if not pack:
        return folders
    subprocess.run([pack, "--name", "Desktop", "--main-class", "app.Desktop", "--input", jars,
                    "--output", os.path.join(work, "packaged"), "--runtime", runtime,
                    "--launcher", launcher, "--startup-cache"], check=True,
                   stdout=subprocess.DEVNULL)
    return folders + [os.path.join(work, "packaged", "Desktop")]


def wait_for_build(cache):
    """Waits until the background build of the cache folder is over."""
    for _ in range(6000):
        folders = [os.path.join(top, name) for top, dirs, _ in os.walk(cache) for name in dirs]
        if not any(JOB_FILE.fullmatch(n) for f in folders + [cache] if os.path.isdir(f)
                   for n in os.listdir(f)):
            return
        time.sleep(0.01)


def warm_cache(app, cache):
    """Records the cache and checks that the launcher then uses it."""
    env = dict(os.environ, XDG_CACHE_HOME=cache)
    subprocess.run([os.path.join(app, "vantrel")], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for_build(cache)
    out = subprocess.run([os.path.join(app, "vantrel"), "-c", "-v"], env=env, check=True,
                         capture_output=True, text=True).stdout
    found = re.search(r"^Using startup cache (.*)$", out, re.M)
    if not found:
        sys.exit("the launcher does not use its startup cache:\n" + out)
    return found.group(1)


def measure_in(argv, cwd, cache, empty_first=False):
    """measure() with a given user cache folder, emptied first if asked;
    then waits for a background build, which is not counted."""
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
        wait_for_build(cache)


WAYS = ("java -cp", "no cache", "after packaging", "first at the user's", "warm")


def bench_desktop(jdk, launcher, pack, work, runs):
    plain, cached, packaged = ship_desktop_app(jdk, launcher, pack, work)
    warm, first = os.path.join(work, "warm-cache"), os.path.join(work, "first-cache")
    archive = warm_cache(cached, warm)
    ways = {"java -cp": ([os.path.join(plain, "jre", "bin", "java"), "-cp", "app.jar",
                          "app.Desktop"], plain, warm, False),
            "no cache": ([os.path.join(plain, "vantrel")], plain, warm, False),
            "after packaging": ([os.path.join(packaged, "Desktop")], packaged, first, True),
            "first at the user's": ([os.path.join(cached, "vantrel")], cached, first, True),
            "warm": ([os.path.join(cached, "vantrel")], cached, warm, False)}
    return take_turns(ways, runs), archive, os.path.join(packaged, "startup-cache"), plain


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


def verify_costs(jdk_app, archive, checksum_bench, runs):
    """What checking an archive before use costs: the launcher's checksum of
    the file against the VM's -XX:+VerifySharedSpaces (extra wall and CPU time
    of `java -cp` with the archive, medians)."""
    option = "-XX:AOTCache=" if archive.endswith(".aot") else "-XX:SharedArchiveFile="
    base = [os.path.join(jdk_app, "jre", "bin", "java"), option + archive, "-Xlog:cds*=off",
            "-cp", "app.jar", "app.Desktop"]
    plain, verified = [], []
    for _ in range(runs):
        plain.append(measure(base, jdk_app))
        verified.append(measure(base[:2] + ["-XX:+VerifySharedSpaces"] + base[2:], jdk_app))
    wall = statistics.median(t for t, _, _ in verified) - statistics.median(t for t, _, _ in plain)
    cpu = statistics.median(c for _, c, _ in verified) - statistics.median(c for _, c, _ in plain)
    own = subprocess.run([checksum_bench, archive], capture_output=True, text=True,
                         check=True).stdout.strip() if checksum_bench else "?"
    return os.path.getsize(archive) / 1048576.0, own, wall, cpu


def recording_costs(jdk, plain, runs):
    """What each way of recording adds to the app's own run (`java -cp` with
    the options, against without): the class list that the launcher records,
    and the in-process recordings it does not use."""
    java = [os.path.join(plain, "jre", "bin", "java")]
    app = ["-cp", "app.jar", "app.Desktop"]
    scratch = os.path.join(plain, "recording")
    ways = {"class list (-XX:DumpLoadedClassList)": ["-XX:DumpLoadedClassList=" + scratch]}
    if int(java_version(jdk).split(".")[0]) >= 25:
        ways["training data (-XX:AOTMode=record)"] = [
            "-XX:AOTMode=record", "-XX:AOTConfiguration=" + scratch, "-Xlog:aot*=off",
            "-Xlog:cds*=off"]
    else:
        ways["dynamic archive at exit (-XX:ArchiveClassesAtExit)"] = [
            "-XX:ArchiveClassesAtExit=" + scratch, "-Xlog:cds*=off"]
    results = {name: [] for name in ["none"] + list(ways)}
    for _ in range(runs):
        results["none"].append(measure(java + app, plain))
        for name, options in ways.items():
            if os.path.exists(scratch):
                os.remove(scratch)
            results[name].append(measure(java + options + app, plain))
    base = [statistics.median(t[i] for t in results["none"]) for i in (0, 1)]
    return ["| %s | %s | %+.0f ms | %+.0f ms |" % (
        java_version(jdk), name, statistics.median(t[0] for t in r) - base[0],
        statistics.median(t[1] for t in r) - base[1])
        for name, r in results.items() if name != "none"]


def folder_mib(folder):
    return sum(os.path.getsize(os.path.join(top, name)) for top, _, names in os.walk(folder)
               for name in names if not os.path.islink(os.path.join(top, name))) / 1048576.0


def bench_compressed(jdk, launcher, work, runs):
    """The launcher without and with a warm cache on the runtime as jlink
    stores it and on one with zipped modules; the sizes, and the times."""
    zipped = "--compress=zip-6" if int(java_version(jdk).split(".")[0]) >= 21 else "--compress=2"
    apps, ways, sizes = {}, {}, []
    for kind, options in (("", ()), (", zipped", (zipped,))):
        plain, cached = ship_desktop_app(jdk, launcher, None,
                                         os.path.join(work, "app" + kind[2:]), options)
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
    print("| JDK | java -cp | no cache | ratio | after packaging | ratio | first at the user's "
          "| / no cache | warm | ratio |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    cpu, checks, recordings = [], [], []
    for index, jdk in enumerate(options.jdks):
        jdk = os.path.realpath(jdk)
        r, archive, shipped, plain = bench_desktop(
            jdk, os.path.abspath(options.launcher), os.path.abspath(options.pack),
            os.path.join(os.path.abspath(options.work), "desktop%d" % index), options.runs)
        for column, row in ((0, None), (1, cpu)):
            j, n, p, f, w = (r[name][column] for name in WAYS)
            line = ("| %s | %.0f ms | %.0f ms | %.2f | %.0f ms | %.2f | %.0f ms | %.2f | %.0f ms "
                    "| %.2f |" % (java_version(jdk), j, n, n / j, p, p / j, f, f / n, w, w / j))
            if row is None:
                print(line)
            else:
                row.append(line)
        recordings += recording_costs(jdk, plain, max(5, options.runs // 2))
        for label, path in (("at the user's", archive),
                            ("shipped", os.path.join(shipped, os.listdir(shipped)[0]))):
            size, own, wall, extra = verify_costs(plain, path, options.checksum_bench,
                                                  max(5, options.runs // 2))
            checks.append("| %s | %s | %.1f MiB | %s ms | %+.0f ms | %+.0f ms |"
                          % (java_version(jdk), label, size, own, wall, extra))
    print("(wall time, medians of %d runs each, taking turns run by run; the ratios of the "
          "first two columns and of warm are to java -cp, first at the user's to no cache)"
          % options.runs)
    print()
    print("| JDK | CPU: java -cp | no cache | ratio | after packaging | ratio | first at the "
          "user's | / no cache | warm | ratio |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    print("\n".join(cpu))
    print("(CPU time, user + system of the process and the children it waited for, medians)")
    print()
    print("| JDK | archive | size | launcher's checksum | -XX:+VerifySharedSpaces: wall | CPU |")
    print("|---|---|---|---|---|---|")
    print("\n".join(checks))
    print("(the checksum: median time of checksum_bench; VerifySharedSpaces: extra median "
          "time of java -cp with the archive)")
    print()
    print("| JDK | recording in the app's run | wall | CPU |")
    print("|---|---|---|---|")
    print("\n".join(recordings))
    print("(extra median time of java -cp with the recording's options)")


def wine_cache_folder(name):
    found = glob.glob(os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "users", "*",
                                   "AppData", "Local"))
    return os.path.join(found[0] if found else "", name, "cache")


def bench_wine(options):
    """Vantrel.exe with a Windows Java runtime under wine: the app's work
    without its window (Workload, the runtime has no java.desktop), without
    and with the startup cache; java.exe -cp for reference."""
    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    classes, jar = os.path.join(work, "classes"), os.path.join(work, "app.jar")
    jdk = options.javac_jdk
    subprocess.run([os.path.join(jdk, "bin", "javac"), "--release", "11", "-d", classes,
                    DESKTOP_SOURCES[1]], check=True)
    subprocess.run([os.path.join(jdk, "bin", "jar"), "cf", jar, "-C", classes, "."], check=True)
    folders = {}
    for name, config in (("Plain", {}), ("Cached", {"startupCache": True})):
        folder = os.path.join(work, name)
        os.makedirs(folder)
        shutil.copy(options.exe, os.path.join(folder, name + ".exe"))
        shutil.copy(jar, folder)
        os.symlink(os.path.abspath(options.runtime), os.path.join(folder, "jre"))
        with open(os.path.join(folder, "config.json"), "w") as f:
            json.dump(dict({"mainClass": "app.Workload", "classPath": ["app.jar"]}, **config), f)
        folders[name] = folder
    cache = wine_cache_folder("Cached")
    shutil.rmtree(cache, ignore_errors=True)
    wine = [os.path.abspath(options.wine)]
    ways = {"java.exe -cp": (wine + [os.path.join(os.path.abspath(options.runtime), "bin", "java.exe"), "-cp",
                                     "app.jar", "app.Workload"], folders["Plain"]),
            "no cache": (wine + [os.path.join(folders["Plain"], "Plain.exe")], folders["Plain"]),
            "first at the user's": (wine + [os.path.join(folders["Cached"], "Cached.exe")],
                                    folders["Cached"]),
            "warm": (wine + [os.path.join(folders["Cached"], "Cached.exe")], folders["Cached"])}
    results = {name: [] for name in ways}
    for round_ in range(options.runs + 1):
        for name, (argv, cwd) in ways.items():
            if name == "first at the user's":
                shutil.rmtree(cache, ignore_errors=True)
            elapsed = measure(argv, cwd)[0]
            wait_for_build(cache)
            if round_ > 0:  # the first round warms the file cache and records
                results[name].append(elapsed)
    verbose = subprocess.run(wine + [os.path.join(folders["Cached"], "Cached.exe"), "-c", "-v"],
                             capture_output=True, text=True).stdout
    medians = {name: statistics.median(r) for name, r in results.items()}
    j, n, f, w = (medians[name] for name in ways)
    print("| runtime | java.exe -cp | no cache | first at the user's | / no cache | warm | "
          "/ no cache | / java.exe |")
    print("|---|---|---|---|---|---|---|---|")
    print("| %s (wine) | %.0f ms | %.0f ms | %.0f ms | %.2f | %.0f ms | %.2f | %.2f |"
          % (java_version(options.runtime), j, n, f, f / n, w, w / n, w / j))
    print("(wall time under wine, medians of %d runs each, taking turns; warm: %s)"
          % (options.runs, "uses the cache" if "Using startup cache" in verbose
             else "DOES NOT USE THE CACHE"))


def java_version(jdk):
    with open(os.path.join(jdk, "release")) as f:
        for line in f:
            if line.startswith("JAVA_VERSION="):
                return line.split("=", 1)[1].strip().strip('"')
    return "?"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", help="the launcher (not with --wine)")
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=25)
    parser.add_argument("--desktop", action="store_true",
                        help="the desktop-like app, with and without the startup cache")
    parser.add_argument("--pack", help="vantrel-pack, for --desktop")
    parser.add_argument("--compressed", action="store_true",
                        help="with --desktop: the runtime as jlink stores it against zipped")
    parser.add_argument("--wine", help="wine-run.sh: Vantrel.exe (--exe) under wine with a "
                        "Windows runtime (--runtime), the app compiled by --javac-jdk")
    parser.add_argument("--exe")
    parser.add_argument("--runtime")
    parser.add_argument("--javac-jdk")
    parser.add_argument("--checksum-bench", help="checksum_bench, for --desktop")
    parser.add_argument("jdks", nargs="*")
    options = parser.parse_args()
    if options.wine:
        bench_wine(options)
        return
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
