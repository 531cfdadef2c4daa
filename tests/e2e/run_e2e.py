#!/usr/bin/env python3
"""End-to-end tests of the launcher: real app folders, real runs.

With --jdk, the Java test programs are compiled and packed with that JDK,
and each case lays out an app folder (the launcher, `jre` linked to the JDK,
`config.json`, the jar) and checks the exact standard output, standard error
and exit status of one run. With --standin, the folder's runtime library is
the stand-in, which can be told to fail where a real VM cannot.
"""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys

from instance_cases import instance_cases

HELP = """Usage: vantrel [java arguments]
       vantrel -c [options] [-- [java arguments]]

Options:
  -c, --cli
      Enables this command line interface.

  -h, --help
      Shows help.

  --cwd
      Sets the working directory.

  --config[=config.json]
      Specifies the configuration file.

  -v, --verbose
      Prints additional information.

  --console
      Attachs a console window. [Windows only]

  --new-instance
      Starts a separate instance of a single-instance app.

  -J=-Xmx512m
      JVM argument

"""

BASE_CONFIG = {"mainClass": "app.Probe", "classPath": ["app.jar"]}


class Suite:
    def __init__(self, options):
        self.launcher = os.path.abspath(options.launcher)
        self.checker = options.checker and os.path.abspath(options.checker)
        self.work = os.path.abspath(options.work)
        self.jdk = options.jdk
        self.standin = options.standin
        self.failures = []
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        if self.jdk:
            self.jar = self.build_jar()
            self.module_jar = self.build_module_jar()
            with open(os.path.join(self.jdk, "release")) as f:
                self.version = int(re.search(r'^JAVA_VERSION="(?:1\.)?(\d+)', f.read(),
                                             re.M).group(1))

    def build_jar(self):
        """Compiles the test programs into app.jar, without the classes named
        Absent*, which others refer to. The tools run in a UTF-8 locale: a
        class file name holds a character outside the BMP."""
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "java", "app")
        classes = os.path.join(self.work, "classes")
        files = sorted(os.path.join(source, f) for f in os.listdir(source))
        env = dict(os.environ, LC_ALL="C.UTF-8")
        subprocess.run([os.path.join(self.jdk, "bin", "javac"), "-d", classes] + files,
                       env=env, check=True)
        for name in os.listdir(os.path.join(classes, "app")):
            if name.startswith("Absent"):
                os.remove(os.path.join(classes, "app", name))
        jar = os.path.join(self.work, "app.jar")
        subprocess.run([os.path.join(self.jdk, "bin", "jar"), "cf", jar, "-C", classes, "."],
                       env=env, check=True)
        return jar

    def build_module_jar(self):
        """The named module vantrel.probe (java/module) as mods/probe.jar."""
        source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "java", "module")
        classes = os.path.join(self.work, "module-classes")
        subprocess.run([os.path.join(self.jdk, "bin", "javac"), "-d", classes,
                        os.path.join(source, "module-info.java"),
                        os.path.join(source, "probe", "ModuleProbe.java")], check=True)
        jar = os.path.join(self.work, "probe.jar")
        subprocess.run([os.path.join(self.jdk, "bin", "jar"), "cf", jar, "-C", classes, "."],
                       check=True)
        return jar

    def app(self, name, config=None, files=None, runtime="jdk"):
        """Lays out an app folder and returns its path."""
        folder = os.path.join(self.work, name)
        os.makedirs(folder)
        # A copy: the launcher finds its folder through its own file, so a
        # link would lead it back to the build folder.
        shutil.copy(self.launcher, os.path.join(folder, "vantrel"))
        if runtime == "jdk":
            os.symlink(self.jdk, os.path.join(folder, "jre"))
            shutil.copy(self.jar, os.path.join(folder, "app.jar"))
        elif runtime:
            server = os.path.join(folder, "jre", "lib", "server")
            os.makedirs(server)
            shutil.copy(runtime, os.path.join(server, "libjvm.so"))
        config = BASE_CONFIG if config is None else config
        if config is not False:
            write(os.path.join(folder, "config.json"), json.dumps(config))
        for path, text in (files or {}).items():
            write(os.path.join(folder, path), text)
        return folder

    def run(self, folder, args, env=None, program=None, cwd=None):
        """Runs the launcher of `folder` (or `program`, looked up in the PATH
        of `env`) from the work directory (or `cwd`)."""
        command = [program or os.path.join(folder, "vantrel")] + args
        result = subprocess.run(command, cwd=cwd or self.work, env=self.environment(env),
                                capture_output=True, timeout=60)
        return result.returncode, result.stdout.decode("utf-8", "replace"), \
            result.stderr.decode("utf-8", "replace")

    def environment(self, env=None):
        """The launcher's environment: the user's own VM options file must
        not reach the tests."""
        environment = dict(os.environ, LC_ALL="C.UTF-8",
                           XDG_CONFIG_HOME=os.path.join(self.work, "user config"))
        environment.update(env or {})
        return environment

    def check(self, name, outcome, status, out, err):
        """Compares an outcome with the expected status, stdout and stderr:
        texts must be equal, patterns must match the whole output."""
        got_status, got_out, got_err = outcome
        problems = []
        if got_status != status:
            problems.append("exit status %d, expected %d" % (got_status, status))
        for label, got, expected in (("stdout", got_out, out), ("stderr", got_err, err)):
            if not matches(got, expected):
                problems.append("%s:\n%s\nexpected:\n%s" % (label, got, describe(expected)))
        print("%s %s" % ("ok  " if not problems else "FAIL", name))
        if problems:
            self.failures.append(name)
            print("\n".join("    " + line for p in problems for line in p.splitlines()))

    def case(self, name, args, status, out, err="", config=None, files=None, env=None,
             runtime="jdk"):
        folder = self.app(name, config, files, runtime)
        self.check(name, self.run(folder, args, env), status, out, err)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def matches(got, expected):
    if isinstance(expected, str):
        return got == expected
    return expected.fullmatch(got) is not None


def describe(expected):
    return expected if isinstance(expected, str) else "pattern " + expected.pattern


def code_points(args):
    """What Probe prints in its "args" mode."""
    lines = ["%d arguments" % len(args)]
    for arg in args:
        lines.append("[" + " ".join("U+%04X" % ord(c) for c in arg) + "]")
    return "\n".join(lines) + "\n"


def config_with(**members):
    return dict(BASE_CONFIG, **members)


def jdk_cases(s):
    java_args = ["args", "plain", "", "a b", "\u00e9t\u00e9", "\U0001F600", "-c", "--console",
                 "--", "-v"]
    s.case("arguments", java_args, 0, code_points(java_args))
    s.case("no arguments", [], 0, "0 arguments\n")
    folder = s.app("invalid utf-8")
    s.check("invalid utf-8", s.run(folder, [b"args", b"a\xffb"]), 0,
            code_points(["args", "a\ufffdb"]), "")
    locale_cases(s)
    s.case("exception in main", ["throw"], 1, "",
           re.compile(r'Exception in thread "main" java\.lang\.IllegalStateException: boom\n'
                      r'\tat app\.Probe\.main\(Probe\.java:\d+\)\n'))
    s.case("the app's default uncaught-exception handler", ["handler"], 1,
           "handler: main java.lang.IllegalStateException: handled\n")
    s.case("System.exit", ["exit", "42"], 42, "exiting\n")
    s.case("missing class", [], 1, "", "Error: failed to find main class app/Missing\n",
           config=config_with(mainClass="app.Missing"))
    s.case("missing main method", [], 1, "", "Error: failed to find main method in app/NoMain\n",
           config=config_with(mainClass="app.NoMain"))
    s.case("nested main class", ["x"], 0, "inner main with 1 arguments\n",
           config=config_with(mainClass="app.Outer$Inner"))
    s.case("main class outside the BMP", ["x"], 0,
           "main of a class outside the BMP with 1 arguments\n",
           config=config_with(mainClass="app.X\U0001D49C"))
    s.case("main class that fails to initialise", [], 1, "", re.compile(
        r'Exception in thread "main" java\.lang\.ExceptionInInitializerError\n'
        r'Caused by: java\.lang\.IllegalStateException: no value\n(\t.*\n)+'
        r'Error: failed to find main class app/FailingInit\n'),
        config=config_with(mainClass="app.FailingInit"))
    s.case("main class without its superclass", [], 1, "", re.compile(
        r'Exception in thread "main" java\.lang\.NoClassDefFoundError: app/AbsentSuper\n'
        r'(\t.*\n)*Caused by: java\.lang\.ClassNotFoundException: app\.AbsentSuper\n'
        r'(\t.*\n)*Error: failed to find main class app/WithoutSuper\n'),
        config=config_with(mainClass="app.WithoutSuper"))
    s.case("missing runtime library", [], 1, "",
           "Error code [2] when trying to load libjvm.so: %s/jre/lib/server/libjvm.so: cannot "
           "open shared object file: No such file or directory\n"
           "Error: failed to load VM runtime library!\n"
           % os.path.join(s.work, "missing runtime library"), runtime=None)
    s.case("missing configuration", [], 1, "", "Error: failed to load configuration: config.json\n",
           config=False)
    s.case("vm options from config", ["prop", "from.config", "both"], 0,
           "from.config=1\nboth=config\n",
           config=config_with(vmArgs=["-Dfrom.config=1", "-Dboth=config"]))
    s.case("-J replaces config options",
           ["-c", "-J", "-Dfrom.cli=2", "-J=-Dboth=cli", "prop", "from.config", "from.cli", "both"],
           0, "from.config=null\nfrom.cli=2\nboth=cli\n",
           config=config_with(vmArgs=["-Dfrom.config=1", "-Dboth=config"]))
    s.case("env", ["env", "VANTREL_E2E", "VANTREL_EMPTY"], 0,
           "VANTREL_E2E=from config\nVANTREL_EMPTY=\n",
           config=config_with(env={"VANTREL_E2E": "from config", "VANTREL_EMPTY": ""}),
           env={"VANTREL_E2E": "from the caller"})
    folder = s.app("class path argument file", config=config_with(classPath=["deps.txt"]),
                   files={"deps.txt": "-verbose\n-classpath\nlib/app.jar:extra.jar\n"})
    os.renames(os.path.join(folder, "app.jar"), os.path.join(folder, "lib", "app.jar"))
    s.check("class path argument file", s.run(folder, ["prop", "java.class.path"]), 0,
            "java.class.path=lib/app.jar:extra.jar\n", "")
    s.case("--config", ["-c", "--config", "alt.json", "x", "y"], 0,
           "inner main with 2 arguments\n",
           files={"alt.json": json.dumps(config_with(mainClass="app.Outer$Inner"))})
    other = s.app("other folder", config=config_with(vmArgs=["-Dwhich=other"]))
    s.case("--cwd", ["-c", "--cwd=" + other, "prop", "which", "user.dir"], 0,
           "which=other\nuser.dir=%s\n" % other)
    s.case("runtime below the working directory", ["-c", "--cwd=" + other, "prop", "which"], 0,
           "which=other\n", config=False, runtime=None)
    s.case("working directory is the program's", ["prop", "user.dir"], 0,
           "user.dir=%s\n" % os.path.join(s.work, "working directory is the program's"))
    s.case("StackOverflowError caught", ["deep"], 0, "caught: true\n")
    s.case("StackOverflowError with -Xss", ["-c", "-J", "-Xss4m", "deep"], 0, "caught: true\n")
    s.case("threads", ["threads"], 0, "threads: 10\nnon-daemon thread finished\n")
    verbose_case(s)
    user_options_case(s)
    launcher_input_cases(s)
    s.case("help", ["-c", "--help", "x"], 1, HELP)
    started_through_a_link_case(s)
    command_line_errors(s)
    signal_case(s)
    instance_cases(s)


def locale_cases(s):
    """Under a locale of another character set the arguments are converted
    to UTF-8; a byte that the character set does not define becomes U+FFFD,
    and only that byte."""
    locales = os.path.join(s.work, "locales")
    os.makedirs(locales)
    for name, source, charset, argument, expected in [
            ("Latin-1 locale", "en_US", "ISO-8859-1", b"\xe9t\xe9", "\u00e9t\u00e9"),
            ("Greek locale, undefined byte", "el_GR", "ISO-8859-7", b"\xe1\xae\xe2",
             "\u03b1\ufffd\u03b2")]:
        locale = "%s.%s" % (source, charset)
        made = subprocess.run(["localedef", "-i", source, "-f", charset,
                               os.path.join(locales, locale)],
                              capture_output=True).returncode == 0
        if not made:
            print("skip %s (localedef cannot make %s)" % (name, locale))
            continue
        folder = s.app(name)
        outcome = s.run(folder, [b"args", argument], {"LOCPATH": locales, "LC_ALL": locale})
        s.check(name, outcome, 0, code_points(["args", expected]), "")


def verbose_case(s):
    folder = s.app("verbose", config=config_with(env={"VANTREL_B": "2", "VANTREL_AA": "1"},
                                                 vmArgs=["-Dignored=1"]))
    expected = """Using working directory {0} ...
Changing working directory to {0} ...
Setting up env...
  VANTREL_B=2
  VANTREL_AA=1
Using Java runtime {0}/jre ...
Loading JVM runtime library ...
Passing VM options ...
  # -Dx=y
  # -Xmx64m
Creating Java VM ...
Passing command line arguments ...
  # prop
  # x
Loading main class ...
Invoking static app.Probe.main() function ...
x=y
Destroyed Java VM ...
""".format(folder)
    outcome = s.run(folder, ["-c", "-v", "--cwd=" + folder, "-J", "-Dx=y", "-J", "-Xmx64m",
                             "prop", "x"])
    s.check("verbose", outcome, 0, expected, "")


def launcher_input_cases(s):
    """What a packaged app gives the launcher: VM options the runtime may not
    recognise, a folder wildcard, default arguments, a second launcher with
    its own NAME.json, a main class in a named module; and what the java
    command's properties then say."""
    options = ["-XX:+UseZGCC", "--add-opens java.base/java.lang=ALL-UNNAMED", "-Xmx64m",
               "--add-opens=java.base/java.lang=ALL-UNNAMED", "-XX:+UseSerialGC",
               "--finalization=disabled"]
    # The runtime's own judgement: the option came with Java 18.
    ignored = options[:2] + (options[-1:] if s.version < 18 else [])
    warnings = "".join("Warning: the Java VM does not recognise the option %s and ignores it\n"
                       % option for option in ignored)
    folder = s.app("unrecognised VM options", config=config_with(vmArgs=options))
    s.check("unrecognised VM options in -c mode", s.run(folder, ["-c", "prop", "x"]), 0,
            "x=null\n", warnings)
    s.check("unrecognised VM options otherwise unsaid", s.run(folder, ["prop", "x"]), 0,
            "x=null\n", "")
    if s.checker:
        every_flag_case(s, folder)
    folder = s.app("args, NAME.json and properties", config=config_with(
        classPath=["lib/*"], args=["prop", "sun.java.command"]), files={
        "tool.json": json.dumps(config_with(classPath=["lib/*"], args=["args", "--from-tool"]))})
    os.renames(os.path.join(folder, "app.jar"), os.path.join(folder, "lib", "app.jar"))
    shutil.copy(os.path.join(folder, "vantrel"), os.path.join(folder, "tool"))
    s.check("default arguments and the java command's properties",
            s.run(folder, ["sun.java.launcher", "vantrel.launcher", "java.class.path"]), 0,
            "sun.java.command=app.Probe prop sun.java.command sun.java.launcher "
            "vantrel.launcher java.class.path\nsun.java.launcher=SUN_STANDARD\n"
            "vantrel.launcher=%s/vantrel\njava.class.path=lib/app.jar\n" % folder, "")
    s.check("a launcher's own NAME.json", s.run(folder, ["-c", "-v", "--", "x"], program=os.path.join(
        folder, "tool")), 0, re.compile(r"(.*\n)?Using configuration file tool\.json \.\.\.\n.*" +
                                        re.escape(code_points(["args", "--from-tool", "x"])) +
                                        ".*", re.S), "")
    folder = s.app("main class in a module", config={
        "mainClass": "vantrel.probe/probe.ModuleProbe", "classPath": [],
        "vmArgs": ["--module-path=mods"]})
    os.makedirs(os.path.join(folder, "mods"))
    shutil.copy(s.module_jar, os.path.join(folder, "mods"))
    s.check("main class in a module",
            s.run(folder, ["jdk.module.main", "jdk.module.main.class", "sun.java.command"]), 0,
            "module vantrel.probe\njdk.module.main=vantrel.probe\n"
            "jdk.module.main.class=probe.ModuleProbe\nsun.java.command=vantrel.probe/"
            "probe.ModuleProbe jdk.module.main jdk.module.main.class sun.java.command\n", "")


def every_flag_case(s, folder):
    """vantrel-check accepts every -XX flag the runtime lists and names the
    two it does not know."""
    listed = subprocess.run([os.path.join(s.jdk, "bin", "java"), "-XX:+UnlockDiagnosticVMOptions",
                             "-XX:+UnlockExperimentalVMOptions", "-XX:+PrintFlagsFinal",
                             "-version"], capture_output=True, text=True, check=True).stdout
    flags = re.findall(r"^\s*\S+\s+(\w+)\s+:?=", listed, re.M)
    bad = ["-XX:+UseZGCC", "-XX:NoSuchOption=1"]
    write(os.path.join(folder, "every-flag.json"), json.dumps(
        config_with(vmArgs=["-XX:+" + flag for flag in flags] + bad)))
    checked = subprocess.run([s.checker, "--config", "every-flag.json"], cwd=folder,
                             capture_output=True, text=True, timeout=60,
                             env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(s.work, "user config")))
    expected = "".join('every-flag.json: error: VM option "%s" is not one the Java runtime '
                       "recognises: the Java VM ignores it\n" % option for option in bad)
    # The test's runtime is a link to the JDK, which the checker also says.
    expected += ('every-flag.json: warning: the Java runtime "jre" is "%s", outside the app '
                 "folder: a machine without it cannot run the app\n" % os.path.realpath(s.jdk))
    expected += ("every-flag.json: warning: no -Djava.library.path in 'vmArgs': the runtime then "
                 "looks for native libraries in its built-in folders outside the app folder "
                 "(/usr/java/packages/lib, /usr/lib64, /lib64, /lib and /usr/lib, and more in some "
                 "builds, such as /usr/lib/x86_64-linux-gnu/jni); set it to the app's folders, "
                 "such as -Djava.library.path=$APPDIR/lib\n")
    s.check("vantrel-check knows all %d flags of the runtime" % len(flags),
            (checked.returncode, checked.stdout, checked.stderr), 1,
            expected + "every-flag.json: 2 errors, 2 warnings\n", "")


def started_through_a_link_case(s):
    """Started as `myapp` through PATH, a link to the launcher, from a folder
    with a configuration and a runtime of its own: the launcher's folder is
    found through its own file, so that folder's are never used."""
    app = s.app("linked app", config=config_with(vmArgs=["-Dwhich=app"]))
    untrusted = s.app("untrusted folder", config=config_with(vmArgs=["-Dwhich=untrusted"]),
                      runtime=some_other_library())
    links = os.path.join(s.work, "bin")
    os.makedirs(links)
    os.symlink(os.path.join(app, "vantrel"), os.path.join(links, "myapp"))
    env = {"PATH": links + os.pathsep + os.environ.get("PATH", "")}
    s.check("started through a link in PATH",
            s.run(app, ["prop", "which", "user.dir"], env, "myapp", untrusted), 0,
            "which=app\nuser.dir=%s\n" % app, "")
    s.check("help names the link", s.run(app, ["-c", "--help"], env, "myapp", untrusted), 1,
            HELP.replace("vantrel", "myapp"), "")


def user_options_case(s):
    """The user's VM options file between the app's options and -J; macros."""
    folder = s.app("user options and macros", config=config_with(
        classPath=["$APPDIR/app.jar"], env={"VANTREL_M": "${VANTREL_MACRO}/x"},
        vmArgs=["-Dorder=config", "-Dapp.home=$APPDIR", "-Dfrom.env=${VANTREL_MACRO}",
                "-Dkept=a$b", "-Dunset=${VANTREL_UNSET}"]))
    user_file = os.path.join(s.work, "user config", "vantrel", "vantrel.vmoptions")
    write(user_file, "\ufeff# raise the heap\r\n-Dorder=user\r\n\r\n  -Duser.only=$APPDIR  \n")
    env = {"VANTREL_MACRO": "/m"}
    names = ["order", "app.home", "from.env", "kept", "unset", "user.only", "java.class.path"]
    s.check("user options and macros", s.run(folder, ["prop"] + names, env), 0,
            "order=user\napp.home={0}\nfrom.env=/m\nkept=a$b\nunset=${{VANTREL_UNSET}}\n"
            "user.only={0}\njava.class.path={0}/app.jar\n".format(folder), "")
    s.check("-J after the user's options",
            s.run(folder, ["-c", "-J=-Dorder=cli", "prop", "order", "user.only", "app.home"], env),
            0, "order=cli\nuser.only={0}\napp.home=null\n".format(folder), "")
    s.check("env macros", s.run(folder, ["env", "VANTREL_M"], env), 0, "VANTREL_M=/m/x\n", "")
    s.check("-v names the user's options file",
            s.run(folder, ["-c", "-v", "prop", "order"], env), 0,
            re.compile(r"(.*\n)?Using VM options file %s \.\.\.\n.*order=user\n.*" %
                       re.escape(user_file), re.S), "")
    # As for a shell's start-up files: another user could make the app run anything.
    os.chmod(user_file, 0o666)
    s.check("user options file writable by others", s.run(folder, ["prop", "order"], env), 0,
            "order=config\n", "Warning: ignoring VM options file %s: it is writable by group or "
            "others\n" % user_file)
    os.chmod(user_file, 0o644)
    os.chmod(os.path.dirname(user_file), 0o775)
    s.check("its folder writable by the group", s.run(folder, ["prop", "order"], env), 0,
            "order=config\n", "Warning: ignoring VM options file %s: its folder %s is writable "
            "by group or others\n" % (user_file, os.path.dirname(user_file)))
    os.chmod(os.path.dirname(user_file), 0o755)
    if os.geteuid() == 0:
        os.chown(user_file, 65534, 65534)
        s.check("user options file of another user", s.run(folder, ["prop", "order"], env), 0,
                "order=config\n", "Warning: ignoring VM options file %s: it is owned by user "
                "65534\n" % user_file)
    os.remove(user_file)
    os.makedirs(user_file)
    s.check("unreadable user options file", s.run(folder, ["prop", "order"], env), 0,
            "order=config\n",
            "Warning: failed to read VM options file %s: Is a directory\n" % user_file)
    os.rmdir(user_file)


def command_line_errors(s):
    folder = s.app("command line errors")
    for args, message in [
            (["-c", "--bad"], "Invalid option: --bad"),
            (["--cli", "-x"], "Invalid option: -x"),
            (["-c", "--cwd", "/tmp"], "Value required after option --cwd"),
            (["-c", "--config"], "Value required after option --config"),
            (["-c", "-J"], "Value required after option -J"),
            (["-c", "--verbose=yes"], "Invalid value for option --verbose: yes")]:
        s.check("error " + " ".join(args), s.run(folder, args), 1, "", message + "\n")


def signal_case(s):
    """SIGTERM ends the VM through its shutdown hooks."""
    folder = s.app("SIGTERM runs shutdown hooks")
    process = subprocess.Popen([os.path.join(folder, "vantrel"), "hook"], cwd=s.work,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    first = process.stdout.readline()
    process.send_signal(signal.SIGTERM)
    out, err = process.communicate(timeout=60)
    s.check("SIGTERM runs shutdown hooks",
            (process.returncode, (first + out).decode(), err.decode()),
            143, "waiting\nshutdown hook ran\n", "")


def standin_cases(s):
    runtime = s.standin
    config = {"mainClass": "app.Main", "classPath": ["a.jar", "b.jar"], "vmArgs": ["-Xmx1g"]}
    folder = s.app("stand-in run", config, runtime=runtime)
    status, out, err = s.run(folder, ["one", "\U0001F600"])
    lines = out.splitlines()
    for wanted in ["[jvm] JNI_GetDefaultJavaVMInitArgs version=0x10008",
                   "[jvm] JNI_CreateJavaVM version=0x10008 ignoreUnrecognized=1 nOptions=5",
                   "[jvm] option[0]=-Djava.class.path=a.jar:b.jar",
                   "[jvm] option[1]=-Xmx1g",
                   "[jvm] option[2]=-Dsun.java.command=app.Main one \U0001F600",
                   "[jvm] option[3]=-Dsun.java.launcher=SUN_STANDARD",
                   "[jvm] option[4]=-Dvantrel.launcher=" + os.path.join(folder, "vantrel"),
                   "[jvm] FindClass app/Main",
                   "[jvm] main args=2",
                   "[jvm] DestroyJavaVM"]:
        if wanted not in lines:
            s.failures.append("stand-in run")
            print("FAIL stand-in run: no line %r in\n%s" % (wanted, out))
            break
    else:
        s.check("stand-in run", (status, "", err), 0, "", "")
    for name, env, message in [
            ("default arguments fail", {"STANDIN_FAIL_DEFAULT_ARGS": "1"},
             "Error: failed to load default Java VM arguments!\n"),
            ("VM creation fails", {"STANDIN_FAIL_CREATE_VM": "1"},
             "Error: failed to create Java VM!\n"),
            ("strings fail", {"STANDIN_FAIL_STRINGS": "1"},
             re.compile(r'Exception in thread "main" java\.lang\.OutOfMemoryError.*\n'
                        r'Error: failed to pass command line arguments!\n'))]:
        folder = s.app("stand-in " + name, config, runtime=runtime)
        status, out, err = s.run(folder, ["x"], env)
        s.check("stand-in " + name, (status, "", err), 1, "", message)
    # The error code is the one the system's text names.
    folder = s.app("runtime library is a directory", config, runtime=None)
    os.makedirs(os.path.join(folder, "jre", "lib", "server", "libjvm.so"))
    s.check("runtime library is a directory", s.run(folder, []), 1, "", re.compile(
        r"Error code \[21\] when trying to load libjvm\.so: .*: Is a directory\n"
        r"Error: failed to load VM runtime library!\n"))
    # A library without the JNI entry points.
    folder = s.app("library without entry points", config, runtime=some_other_library())
    s.check("library without entry points", s.run(folder, []), 1, "", re.compile(
        r"Error code \[\d+\] when trying to obtain JNI_GetDefaultJavaVMInitArgs address: "
        r".*undefined symbol: JNI_GetDefaultJavaVMInitArgs\n"
        r"Error: failed to load VM runtime library!\n"))


def some_other_library():
    """A shared library that is not a Java runtime."""
    for path in ["/lib/x86_64-linux-gnu/libm.so.6", "/usr/lib/x86_64-linux-gnu/libm.so.6"]:
        if os.path.exists(path):
            return path
    raise RuntimeError("no libm.so.6 found")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--checker")
    parser.add_argument("--work", required=True)
    parser.add_argument("--jdk")
    parser.add_argument("--standin")
    options = parser.parse_args()
    suite = Suite(options)
    if options.jdk:
        jdk_cases(suite)
    if options.standin:
        standin_cases(suite)
    if suite.failures:
        print("%d failed: %s" % (len(suite.failures), ", ".join(suite.failures)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
