#!/usr/bin/env python3
"""Start-up time and peak memory: the launcher against `java -cp app.jar Main`.

Both run the same main class (one that returns at once) with the same JDK
and no VM options, alternating run by run. Prints, per JDK, the median wall
time of each, their ratio (launcher / java) and the peak resident memory of
the process (getrusage of the child).
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
                "java": [os.path.join(jdk, "bin", "java"), "-cp", "app.jar", "Main"]}
    results = {name: [] for name in commands}
    for name, argv in commands.items():  # warm the file cache
        measure(argv, app)
    for _ in range(runs):
        for name, argv in commands.items():
            results[name].append(measure(argv, app))
    return {name: (statistics.median(t for t, _, _ in r), statistics.median(c for _, c, _ in r),
                   max(m for _, _, m in r))
            for name, r in results.items()}


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
    parser.add_argument("jdks", nargs="+")
    options = parser.parse_args()
    print("| JDK | wall: launcher | wall: java | ratio | CPU: launcher | CPU: java | ratio "
          "| peak RSS: launcher | peak RSS: java |")
    print("|---|---|---|---|---|---|---|---|---|")
    for index, jdk in enumerate(options.jdks):
        jdk = os.path.realpath(jdk)
        r = bench(jdk, os.path.abspath(options.launcher),
                  os.path.join(os.path.abspath(options.work), str(index)), options.runs)
        (lt, lc, lm), (jt, jc, jm) = r["vantrel"], r["java"]
        print("| %s | %.1f ms | %.1f ms | %.2f | %.1f ms | %.1f ms | %.2f | %.1f MiB | %.1f MiB |"
              % (java_version(jdk), lt, jt, lt / jt, lc, jc, lc / jc, lm, jm))
    print("(medians of %d runs each, alternating; peak RSS is the largest of the runs)"
          % options.runs)


if __name__ == "__main__":
    main()
