#!/usr/bin/env python3
"""Hostile inputs through the whole POSIX launcher, with the stand-in runtime.

Each case lays out an app folder (the launcher, the stand-in as
jre/lib/server/libjvm.so, config.json), runs the launcher once and checks its
exit status, standard error and the stand-in's record of what reached the VM.
With --wrapper the launcher runs under that command (valgrind, for example).
"""
import argparse
import json
import os
import shlex
import shutil
import subprocess
import sys

# The kernel takes at most 32 pages for one argument, its NUL included.
LARGEST_ARGUMENT = 32 * 4096 - 1


class Suite:
    def __init__(self, options):
        self.launcher = os.path.abspath(options.launcher)
        self.standin = os.path.abspath(options.standin)
        self.work = os.path.abspath(options.work)
        self.wrapper = shlex.split(options.wrapper or "")
        self.failures = []
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)

    def app(self, name, config, jdk=None):
        """Lays out an app folder with the stand-in, or with `jdk` as its runtime."""
        folder = os.path.join(self.work, name.replace(" ", "-"))
        os.makedirs(folder)
        shutil.copy(self.launcher, os.path.join(folder, "vantrel"))
        if jdk:
            os.symlink(jdk, os.path.join(folder, "jre"))
        else:
            server = os.path.join(folder, "jre", "lib", "server")
            os.makedirs(server)
            shutil.copy(self.standin, os.path.join(server, "libjvm.so"))
        with open(os.path.join(folder, "config.json"), "w", encoding="utf-8") as f:
            f.write(config if isinstance(config, str) else json.dumps(config))
        return folder

    def run(self, folder, args, env=None):
        environment = dict(os.environ, LC_ALL="C.UTF-8")
        environment.update(env or {})
        command = self.wrapper + [os.path.join(folder, "vantrel")] + args
        result = subprocess.run(command, cwd=folder, env=environment, capture_output=True,
                                timeout=300)
        return (result.returncode, result.stdout.decode("utf-8", "replace"),
                result.stderr.decode("utf-8", "replace"))

    def case(self, name, config, args, status, err, lines, env=None, jdk=None):
        """Runs a case; `lines` must all appear in the standard output (with the
        stand-in, its record of what reached the VM)."""
        got_status, out, got_err = self.run(self.app(name, config, jdk), args, env)
        problems = []
        if got_status != status:
            problems.append("exit status %d, expected %d" % (got_status, status))
        if got_err != err:
            problems.append("stderr:\n%s\nexpected:\n%s" % (got_err, err))
        record = out.splitlines()
        problems += ["no line %r" % shorten(line) for line in lines if line not in record]
        print("%s %s" % ("FAIL" if problems else "ok  ", name))
        for problem in problems:
            print("    " + problem.replace("\n", "\n    "))
        if problems:
            self.failures.append(name)


def shorten(text):
    return text if len(text) < 200 else text[:200] + "... (%d characters)" % len(text)


def units(text):
    """How the stand-in records the UTF-16 code units of an ASCII argument."""
    return " ".join("%04X" % ord(c) for c in text) + ' "' + text + '"'


BASE = {"mainClass": "app.Main", "classPath": ["a.jar"]}


def cases(s):
    many = ["argument-%d" % i for i in range(5000)]
    big = "b" * LARGEST_ARGUMENT
    big_option = "-Dbig=" + "o" * (LARGEST_ARGUMENT - 6)
    s.case("long command line", BASE, ["-c", "-J", big_option, "--"] + many + [big], 0, "",
           ["[jvm] option[1]=" + big_option, "[jvm] main args=5001",
            "[jvm] arg[4999]=" + units("argument-4999"), "[jvm] arg[5000]=" + units(big)])

    s.case("missing working directory", BASE, ["-c", "--cwd=/nonexistent/vantrel", "x"], 0,
           "Warning: failed to change working directory to /nonexistent/vantrel\n",
           ["[jvm] FindClass app/Main", "[jvm] main args=1"])

    refused = dict(BASE, env={"": "empty", "=": "equals", "HOSTILE=X": "inside",
                              "HOSTILE_AFTER": "set"})
    s.case("environment names the platform refuses", refused, [], 0, "",
           ["[jvm] env HOSTILE_AFTER=set", "[jvm] env HOSTILE unset", "[jvm] main args=0"],
           env={"STANDIN_PRINT_ENV": "HOSTILE_AFTER,HOSTILE"})

    s.case("main class with a NUL byte", dict(BASE, mainClass="app.Main\u0000Evil"), [], 1,
           "Error: failed to find main class app/Main\\u0000Evil\n", [])

    nul_entry = dict(BASE, classPath=["a.jar", "b\u0000.jar", "c.jar"])
    s.case("class path entry with a NUL byte", nul_entry, [], 0,
           "Warning: ignoring element 2 of 'classPath' in config.json: it holds a NUL byte\n",
           ["[jvm] option[0]=-Djava.class.path=a.jar:c.jar", "[jvm] main args=0"])

    s.case("configuration of ten thousand levels", '{"x": ' + "[" * 10000 + "]" * 10000 +
           ', "mainClass": "app.Main", "classPath": []}', [], 0, "", ["[jvm] main args=0"])


JAVA_MAIN = """package app;
public class Main {
    public static void main(String[] args) {
        System.out.println("main args=" + args.length);
        for (String arg : args) System.out.println(arg);
    }
}
"""


def java_case(s, jdk):
    """One run of a real Java VM, a small program that prints its arguments."""
    source = os.path.join(s.work, "java", "app", "Main.java")
    os.makedirs(os.path.dirname(source))
    with open(source, "w") as f:
        f.write(JAVA_MAIN)
    classes = os.path.join(s.work, "classes")
    subprocess.run([os.path.join(jdk, "bin", "javac"), "-d", classes, source], check=True)
    config = {"mainClass": "app.Main", "classPath": [classes], "vmArgs": ["-Xmx64m"]}
    # In a sanitizer build the leak check cannot stop the VM's threads.
    sanitizer = {"ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"}
    s.case("real Java VM", config, ["one", "\u00e9t\u00e9"], 0, "",
           ["main args=2", "one", "\u00e9t\u00e9"], env=sanitizer, jdk=jdk)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--wrapper")
    parser.add_argument("--jdk", help="also run a real Java VM of this JDK")
    options = parser.parse_args()
    suite = Suite(options)
    cases(suite)
    if options.jdk:
        java_case(suite, options.jdk)
    if suite.failures:
        print("%d failed: %s" % (len(suite.failures), ", ".join(suite.failures)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
