#!/usr/bin/env python3
"""Whole-program tests of Vantrel.exe under wine.

Each case lays out an application folder in the build tree (Vantrel.exe,
jre\\bin\\server\\jvm.dll = the stand-in runtime library, config.json and
argument files), runs the launcher through wine-run.sh and checks standard
output, standard error and the exit status. The stand-in reports on standard
output what reached it ("[jvm] ..." lines). Outputs are compared with CR LF
turned into LF, except where a case is about line ends.

    run_vantrel.py --exe Vantrel.exe --jvm jvm.dll --wine wine-run.sh
                   --work DIR --golden DIR CASE
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys

WINDOWS_TEST_DIR = os.path.dirname(os.path.abspath(__file__))

NORMAL_CONFIG = {
    "mainClass": "app.Main",
    "classPath": ["a.jar", "b.jar"],
    "vmArgs": ["-Xmx512m", "-Dapp.name=Demo App"],
}


class Failure(Exception):
    pass


class Run:
    def __init__(self, status, stdout, stderr):
        self.status = status
        self.raw_stdout = stdout
        self.stdout = stdout.replace(b"\r\n", b"\n").decode("utf-8", "replace")
        self.stderr = stderr.replace(b"\r\n", b"\n").decode("utf-8", "replace")


class Harness:
    def __init__(self, options):
        self.options = options
        self.work = os.path.abspath(options.work)

    def app(self, name, config=NORMAL_CONFIG, files=None, runtime=True, exe="Vantrel.exe"):
        """A fresh application folder; `files` maps relative paths to texts.
        `runtime` is True for the stand-in, False for none, or a library path."""
        folder = os.path.join(self.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(self.options.exe, os.path.join(folder, exe))
        if runtime:
            server = os.path.join(folder, "jre", "bin", "server")
            os.makedirs(server)
            library = self.options.jvm if runtime is True else runtime
            shutil.copy(library, os.path.join(server, "jvm.dll"))
        if config is not None:
            self.write(folder, "config.json", json.dumps(config, indent=2))
        for path, text in (files or {}).items():
            self.write(folder, path, text)
        return folder

    @staticmethod
    def write(folder, path, text):
        full = os.path.join(folder, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def run(self, folder, args, env=None, stdin=b"", exe="Vantrel.exe"):
        """Runs the folder's Vantrel.exe from the work folder (not the app's)."""
        environment = {k: v for k, v in os.environ.items() if not k.startswith("STANDIN_")}
        # Wine reads Unix arguments in the locale's character set; with this
        # one its ANSI code page is 1252.
        environment.update({"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        for name, value in (env or {}).items():
            if value is None:
                environment.pop(name, None)
            else:
                environment[name] = value
        command = [self.options.wine, os.path.join(folder, exe)] + args
        try:
            done = subprocess.run(command, input=stdin, capture_output=True,
                                  env=environment, cwd=self.work, timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("Vantrel.exe did not end within 60 s: %r" % args)
        return Run(done.returncode, done.stdout, done.stderr)

    def wine_output(self, args):
        """What a program of the wine prefix writes, without its line end."""
        done = subprocess.run([self.options.wine] + args, capture_output=True, timeout=60)
        return done.stdout.decode("utf-8", "replace").strip()

    def golden(self, name, folder):
        with open(os.path.join(self.options.golden, name), encoding="utf-8") as f:
            return f.read().replace("<APP>", windows_path(folder))


def windows_path(path):
    """The path as wine shows it to the program: drive Z: is the root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def expect(what, actual, expected):
    if actual != expected:
        raise Failure("%s:\n--- expected\n%s\n--- actual\n%s" % (what, expected, actual))


def expect_outcome(run, status, stdout=None, stderr=""):
    if stdout is not None:
        expect("standard output", run.stdout, stdout)
    if stderr is not None:
        expect("standard error", run.stderr, stderr)
    expect("exit status (stderr: %s)" % run.stderr.strip(), run.status, status)


def cp1252_as_printed(text):
    """`text` as the stand-in prints an option the launcher gave it in cp1252."""
    return text.encode("cp1252").decode("utf-8", "replace")


def jvm_lines(run, prefix):
    """The stand-in's lines that start with `prefix`, without "[jvm] "."""
    return [line[len("[jvm] "):] for line in run.stdout.splitlines()
            if line.startswith("[jvm] " + prefix)]


# --- Cases ---------------------------------------------------------------------

def case_normal_run(h):
    app = h.app("normal_run")
    run = h.run(app, ["x", "two words", "", "--console=1"])
    expect_outcome(run, 0, h.golden("normal_run.txt", app))


def case_verbose_run(h):
    config = dict(NORMAL_CONFIG, env={"APP_HOME": "C:\\Apps\\Demo", "EMPTY": ""})
    app = h.app("verbose_run", config)
    run = h.run(app, ["-c", "-v", "--", "-v", "x"])
    expect_outcome(run, 0, h.golden("verbose_run.txt", app))


def case_help(h):
    app = h.app("help")
    run = h.run(app, ["--cli", "--help", "x"])
    # A whole screen, line ends included: text-mode output ends lines in CR LF.
    expected = h.golden("help.txt", app).replace("\n", "\r\n").encode()
    expect("help screen", run.raw_stdout, expected)
    expect_outcome(run, 1)


def case_class_path(h):
    config = {"mainClass": "app.Main",
              "classPath": ["app.jar", "libs.txt", "x.jar;y.jar", "more.txt", "jars\\*"]}
    files = {"libs.txt": "-classpath lib\\a.jar;lib\\b.jar\n",
             "more.txt": "--module-path mods\r\n-classpath\r\nc.jar;;e.jar;\r\n",
             "jars/b.jar": "", "jars/A.jar": "", "jars/notes.txt": ""}
    run = h.run(h.app("class_path", config, files), [])
    # An empty entry would put the working directory on the class path; a
    # folder wildcard gives the folder's jars, sorted.
    expect("class path option", jvm_lines(run, "option[0]"),
           ["option[0]=-Djava.class.path=app.jar;lib\\a.jar;lib\\b.jar;x.jar;y.jar;"
            "c.jar;e.jar;jars\\A.jar;jars\\b.jar"])
    expect_outcome(run, 0, None,
                   "Warning: ignoring an entry of class path argument file more.txt: it is "
                   "empty\n")


def case_missing_runtime(h):
    run = h.run(h.app("missing_runtime", runtime=False), ["x"])
    expect_outcome(run, 1, "", None)
    pattern = (r"Error code \[126\] when trying to load jvm\.dll: [^\n]+\n"
               r"Error: failed to load VM runtime library!\n")
    if not re.fullmatch(pattern, run.stderr):
        raise Failure("standard error does not match %r:\n%s" % (pattern, run.stderr))
    # One line end each: the system text's own CR LF is not doubled.
    expect("line ends", run.stderr.count("\n"), 2)


def case_runtime_without_entry_points(h):
    steps = ["obtain JNI_GetDefaultJavaVMInitArgs address", "obtain JNI_CreateJavaVM address"]
    expect("incomplete libraries given", len(h.options.incomplete_jvm), len(steps))
    for library, step in zip(h.options.incomplete_jvm, steps):
        name = os.path.splitext(os.path.basename(library))[0]
        run = h.run(h.app(name, runtime=library), [])
        expect_outcome(run, 1, "", None)
        pattern = (r"Error code \[127\] when trying to %s: [^\n]+\n"
                   r"Error: failed to load VM runtime library!\n" % step)
        if not re.fullmatch(pattern, run.stderr):
            raise Failure("standard error does not match %r:\n%s" % (pattern, run.stderr))


def case_unusable_files(h):
    # Only regular disk files are read: a folder as argument file and a
    # device as configuration are refused at once.
    config = dict(NORMAL_CONFIG, classPath=["a.jar", "folder.txt", "b.jar"])
    app = h.app("unusable_files", config)
    os.makedirs(os.path.join(app, "folder.txt"))
    run = h.run(app, [])
    expect("class path", jvm_lines(run, "option[0]"), ["option[0]=-Djava.class.path=a.jar;b.jar"])
    expect_outcome(run, 0, None, "Warning: failed to read class path argument file "
                   "folder.txt: Is a directory\n")
    device = h.run(app, ["-c", "--config=NUL"])
    expect_outcome(device, 1, "", "Error: failed to load configuration: NUL\n")
    # A system text with "%1" names the library.
    broken = h.app("unusable_files_library", runtime=os.path.join(app, "config.json"))
    run = h.run(broken, [])
    library = windows_path(os.path.join(broken, "jre", "bin", "server", "jvm.dll"))
    expect_outcome(run, 1, "", None)
    expect("the library named", library in run.stderr and "%1" not in run.stderr, True)
    expect("last line", run.stderr.splitlines()[-1], "Error: failed to load VM runtime library!")


def case_ansi_argument(h):
    # 'é' and 'ü' arrive from the ANSI code page (bytes E9, FC) and must
    # reach Java as UTF-16 00E9 and 00FC, through UTF-8.
    run = h.run(h.app("ansi_argument"), ["caf\u00e9", "\u00fc"])
    expect("arguments", jvm_lines(run, "arg"),
           ['arg[0]=0063 0061 0066 00E9 "caf\\u00E9"', 'arg[1]=00FC "\\u00FC"'])
    expect_outcome(run, 0)


def case_environment(h):
    config = dict(NORMAL_CONFIG, env={"APP_HOME": "C:\\Apps\\Demo", "EMPTY": "",
                                      "PRESET": "from config", "": "nameless"})
    env = {"STANDIN_PRINT_ENV": "APP_HOME,EMPTY,PRESET,NOT_SET", "PRESET": "from parent",
           "EMPTY": "from parent", "NOT_SET": None}
    run = h.run(h.app("environment", config), [], env)
    expect("environment", jvm_lines(run, "env"),
           ["env APP_HOME=C:\\Apps\\Demo", "env EMPTY=", "env PRESET=from config",
            "env NOT_SET unset"])
    expect_outcome(run, 0)


def case_vm_options(h):
    app = h.app("vm_options")
    configured = h.run(app, [])
    # The properties the java command sets, then the runtime's exit and
    # abort hooks come last; a -D option of the user's keeps its property.
    launcher = "-Dvantrel.launcher=%s\\Vantrel.exe" % windows_path(app)
    expect("configured options", jvm_lines(configured, "option"),
           ["option[0]=-Djava.class.path=a.jar;b.jar", "option[1]=-Xmx512m",
            "option[2]=-Dapp.name=Demo App", "option[3]=-Dsun.java.command=app.Main",
            "option[4]=-Dsun.java.launcher=SUN_STANDARD", "option[5]=" + launcher,
            "option[6]=exit", "option[7]=abort"])
    given = h.run(app, ["-c", "-J", "-Xmx1g", "-J=-Dsun.java.launcher=mine", "-J=", "arg"])
    expect("command-line options replace them", jvm_lines(given, "option"),
           ["option[0]=-Djava.class.path=a.jar;b.jar", "option[1]=-Xmx1g",
            "option[2]=-Dsun.java.launcher=mine", "option[3]=",
            "option[4]=-Dsun.java.command=app.Main arg", "option[5]=" + launcher,
            "option[6]=exit", "option[7]=abort"])
    expect("arguments", jvm_lines(given, "arg"), ['arg[0]=0061 0072 0067 "arg"'])
    expect_outcome(given, 0)


def case_user_options_and_macros(h):
    # A name of its own: the user's file is found by the program's name.
    exe = "OptionsApp.exe"
    config = dict(NORMAL_CONFIG, classPath=["$APPDIR\\a.jar", "deps.txt"],
                  env={"VANTREL_M": "${VANTREL_LIB}!"},
                  vmArgs=["-Dorder=config", "-Dhome=$APPDIR", "-Dfrom.env=${VANTREL_MACRO}",
                          "-Dkept=a$b", "-Dunset=${VANTREL_UNSET}"])
    app = h.app("user_options_and_macros", config,
                {"deps.txt": "-classpath ${VANTREL_LIB}\\b.jar"}, exe=exe)
    # Wine sets %APPDATA% itself, inside its prefix.
    app_data = h.wine_output(["cmd", "/c", "echo", "%APPDATA%"])
    user_folder = os.path.join(h.wine_output(["winepath", "-u", app_data]), "OptionsApp")
    shutil.rmtree(user_folder, ignore_errors=True)
    h.write(user_folder, "OptionsApp.vmoptions",
            "\ufeff# heap\r\n-Dorder=user\r\n\r\n  -Duser.dir.copy=$APPDIR  \r\n")
    # Non-ASCII values come through the wide environment.
    env = {"VANTREL_MACRO": "\u00e9\u20ac", "VANTREL_LIB": "C:\\lib",
           "STANDIN_PRINT_ENV": "VANTREL_M"}
    home = windows_path(app)
    configured = h.run(app, [], env, exe=exe)
    expect("options", jvm_lines(configured, "option"),
           ["option[0]=-Djava.class.path=%s\\a.jar;C:\\lib\\b.jar" % home,
            "option[1]=-Dorder=config", "option[2]=-Dhome=" + home,
            # The runtime (without a release file) decodes options in cp1252.
            "option[3]=-Dfrom.env=" + cp1252_as_printed("\u00e9\u20ac"),
            "option[4]=-Dkept=a$b",
            "option[5]=-Dunset=${VANTREL_UNSET}", "option[6]=-Dorder=user",
            "option[7]=-Duser.dir.copy=" + home, "option[8]=-Dsun.java.command=app.Main",
            "option[9]=-Dsun.java.launcher=SUN_STANDARD",
            "option[10]=-Dvantrel.launcher=%s\\%s" % (home, exe), "option[11]=exit",
            "option[12]=abort"])
    expect("environment", jvm_lines(configured, "env"), ["env VANTREL_M=C:\\lib!"])
    expect_outcome(configured, 0, None)
    given = h.run(app, ["-c", "-J=-Dorder=cli"], env, exe=exe)
    expect("options with -J", jvm_lines(given, "option")[1:4],
           ["option[1]=-Dorder=user", "option[2]=-Duser.dir.copy=" + home,
            "option[3]=-Dorder=cli"])
    expect_outcome(given, 0, None)
    shutil.rmtree(user_folder)


def case_cwd_and_config(h):
    app = h.app("cwd_and_config")
    other = os.path.join(app, "other")
    h.write(other, "alt.json", json.dumps({"mainClass": "alt.Main", "classPath": []}))
    # The runtime library is found next to Vantrel.exe, also from another
    # working directory.
    run = h.run(app, ["-c", "-v", "--config", "alt.json", "--cwd=" + windows_path(other)])
    expect("progress", run.stdout.splitlines()[:3],
           ["Using working directory %s ..." % windows_path(other),
            "Using configuration file alt.json ...",
            "Changing working directory to %s ..." % windows_path(other)])
    expect("class", jvm_lines(run, "FindClass alt"), ["FindClass alt/Main"])
    expect("class path", jvm_lines(run, "option[0]"), ["option[0]=-Djava.class.path="])
    expect_outcome(run, 0, None)


def case_bad_working_directory(h):
    app = h.app("bad_working_directory")
    missing = windows_path(os.path.join(app, "missing"))
    run = h.run(app, ["-c", "--cwd=" + missing])
    # The launch goes on in the directory it was started in, the work folder.
    expect_outcome(run, 1, "",
                   "Warning: failed to change working directory to %s\n"
                   "Error: failed to load configuration: config.json\n" % missing)


def case_console_in_interface_mode(h):
    # The new console takes the message and the prompt; under wine its input
    # is at its end at once, so the prompt returns without a key.
    run = h.run(h.app("console_in_interface_mode"), ["-c", "--CONSOLE"])
    expect_outcome(run, 1, "", "")


def case_console_request(h):
    run = h.run(h.app("console_request"), ["--Console", "x"], {"STANDIN_EXIT": "7"})
    expect_outcome(run, 7, "", "")


def case_no_console_request(h):
    # Lookalikes open no console: everything stays on the captured streams.
    run = h.run(h.app("no_console_request"), ["-console", "--consoles", "--console=1"])
    expect("arguments", len(jvm_lines(run, "arg[")), 3)
    expect_outcome(run, 0, None)


def case_exit_statuses(h):
    app = h.app("exit_statuses")
    exception = h.run(app, [], {"STANDIN_THROW": "1"})
    expect("after main", jvm_lines(exception, "Exception") + jvm_lines(exception, "Destroy"),
           ["ExceptionCheck true", "ExceptionDescribe", "DestroyJavaVM"])
    expect_outcome(exception, 1, None, 'Exception in thread "main" '
                   "java.lang.IllegalStateException: thrown by main\n")
    exited = h.run(app, ["x"], {"STANDIN_EXIT": "42"})
    expect("last line", exited.stdout.splitlines()[-1], '[jvm] arg[0]=0078 "x"')
    expect_outcome(exited, 42, None)


FATAL_ERRORS = [
    # (name, arguments, environment, config, standard error)
    ("bad option", ["-c", "--bad"], {}, NORMAL_CONFIG, "Invalid option: --bad\n"),
    ("refused value", ["-c", "--verbose=yes"], {}, NORMAL_CONFIG,
     "Invalid value for option --verbose: yes\n"),
    ("-J without value", ["-c", "-J"], {}, NORMAL_CONFIG, "Value required after option -J\n"),
    ("no config", [], {}, None, "Error: failed to load configuration: config.json\n"),
    ("other config", ["-c", "--config=missing.json"], {}, NORMAL_CONFIG,
     "Error: failed to load configuration: missing.json\n"),
    ("no mainClass", [], {}, {"classPath": []},
     "Error: no 'mainClass' element found in config!\n"),
    ("no classPath", [], {}, {"mainClass": "app.Main", "classPath": {}},
     "Error: no 'classPath' array found in config!\n"),
    ("default args", [], {"STANDIN_FAIL_DEFAULT_ARGS": "1"}, NORMAL_CONFIG,
     "Error: failed to load default Java VM arguments!\n"),
    ("create VM", [], {"STANDIN_FAIL_CREATE_VM": "1"}, NORMAL_CONFIG,
     "Error: failed to create Java VM!\n"),
    ("arguments refused", ["x"], {"STANDIN_FAIL_STRINGS": "1"}, NORMAL_CONFIG,
     'Exception in thread "main" java.lang.OutOfMemoryError: stand-in refuses strings\n'
     "Error: failed to pass command line arguments!\n"),
    ("main class", [], {"STANDIN_MISSING_CLASS": "1"}, NORMAL_CONFIG,
     "Error: failed to find main class app/Main\n"),
    ("main method", [], {"STANDIN_MISSING_METHOD": "1"},
     dict(NORMAL_CONFIG, mainClass="app.Outer$Inner"),
     "Error: failed to find main method in app/Outer$Inner\n"),
]


def case_fatal_errors(h):
    failures = []
    for index, (name, args, env, config, stderr) in enumerate(FATAL_ERRORS):
        run = h.run(h.app("fatal_errors_%d" % index, config), args, env)
        try:
            expect_outcome(run, 1, None, stderr)
        except Failure as failure:
            failures.append("%s: %s" % (name, failure))
    if failures:
        raise Failure("\n".join(failures))


CASES = {name[len("case_"):]: function for name, function in globals().items()
         if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    for option in ("--exe", "--jvm", "--wine", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("--incomplete-jvm", action="append", default=[],
                        help="a runtime library without some entry points")
    parser.add_argument("--golden", default=os.path.join(WINDOWS_TEST_DIR, "golden"))
    parser.add_argument("case", choices=sorted(CASES))
    options = parser.parse_args()
    os.makedirs(options.work, exist_ok=True)
    try:
        CASES[options.case](Harness(options))
    except Failure as failure:
        print("FAILED %s: %s" % (options.case, failure))
        return 1
    print("passed %s" % options.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
