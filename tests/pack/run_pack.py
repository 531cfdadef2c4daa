#!/usr/bin/env python3
"""End-to-end tests of vantrel-pack: the sample app (examples/hello) packaged
and run, the rewriting of another program's resources, and every wrong input.

    run_pack.py linux   --pack vantrel-pack --jdk JDK --work DIR
    run_pack.py windows --pack vantrel-pack.exe --runtime DIR --wine wine-run.sh
                        --javac-jdk JDK --work DIR
    run_pack.py resources --pack vantrel-pack --exe SAMPLE.exe --jdk JDK --work DIR
    run_pack.py errors  --pack vantrel-pack --jdk JDK --work DIR
    run_pack.py hostile --pack vantrel-pack --jdk JDK --work DIR

`linux` makes the runtime with the JDK's jlink, runs the app, checks the CDS
archive and the zip archive and prints the runtime's size. `windows` packages
for Windows with an existing runtime (the stand-in runtime library or a real
Windows runtime; a missing folder skips the test), reads the icon, version
and manifest back from the executable with pefile and wrestool and runs it
under wine. `resources` gives a Windows target another program's executable
(wine's notepad.exe) as the launcher and compares its resources before and
after, then feeds damaged copies of it. `errors` runs the table of wrong
inputs: each must end with its message and status and leave nothing behind.
`hostile` runs the table of crafted and damaged launchers, icons and jars
(made by crafted.py): each is refused before anything is made, or packaged
into a sound executable.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SKIPPED = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(command, cwd=None, env=None):
    result = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=600)
    out = result.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    err = result.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return result.returncode, out, err


def make_jar(jdk, work):
    """examples/hello as input/hello.jar, plus a jar without the main class."""
    classes, inputs = os.path.join(work, "classes"), os.path.join(work, "input")
    for folder in (classes, inputs):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    source = os.path.join(ROOT, "examples", "hello", "src", "hello", "Main.java")
    javac, jar = os.path.join(jdk, "bin", "javac"), os.path.join(jdk, "bin", "jar")
    for command in ([javac, "--release", "8", "-d", classes, source],
                    [jar, "cf", os.path.join(inputs, "hello.jar"), "-C", classes, "."],
                    [jar, "cf", os.path.join(inputs, "a-util.jar"), "-C", classes, "hello"]):
        status, out, err = run(command)
        check(status == 0, "%s failed: %s%s" % (command[0], out, err))
    os.remove(os.path.join(classes, "hello", "Main.class"))
    return inputs


def icon_png(work):
    """A 256-pixel PNG taken from the launcher's own icon."""
    png = os.path.join(work, "icon.png")
    status, out, err = run(["icotool", "-x", "-w", "256", "-o", png,
                            os.path.join(ROOT, "native", "resources", "vantrel.ico")])
    check(status == 0, "icotool failed: " + err)
    return png


def pack(options, inputs, output, *extra):
    command = [options.pack, "--name", "Hello App", "--main-class", "hello.Main",
               "--input", inputs, "--output", output] + list(extra)
    if options.wine:
        command = [options.wine] + command
    status, out, err = run(command)
    print("$ " + " ".join(command) + "\n" + out + err)
    check(status == 0, "vantrel-pack failed with status %d" % status)
    app = os.path.join(output, "Hello App")
    reported = out.splitlines()[-1] if out else ""
    expected = "Packaged %s (%.1f MiB, runtime %.1f MiB)" % (app, mib(app),
                                                           mib(os.path.join(app, "jre")))
    zips = [name for name in os.listdir(output) if name.endswith(".zip")]
    if zips:
        archive = os.path.join(output, zips[0])
        expected += " and %s (%.1f MiB)" % (archive, os.path.getsize(archive) / 1048576.0)
    check(reported.replace("\\", "/") == expected.replace("\\", "/"),
          "size report %r, expected %r" % (reported, expected))
    return app


def mib(folder):
    """The size of the regular files under a folder, in MiB."""
    return sum(os.path.getsize(os.path.join(top, name)) for top, _, names in os.walk(folder)
               for name in names if not os.path.islink(os.path.join(top, name))) / 1048576.0


def check_config(app, vm_options, **more):
    with open(os.path.join(app, "config.json"), encoding="utf-8") as file:
        config = json.load(file)
    expected = dict({"mainClass": "hello.Main",
                     "classPath": ["lib/a-util.jar", "lib/hello.jar"],
                     "vmArgs": ["-Djava.library.path=$APPDIR/lib"] + vm_options,
                     "startupCache": True, "splash": "icon.png"}, **more)
    check(config == expected, "config.json: %r" % config)


def test_linux(options):
    work = os.path.abspath(options.work)
    inputs, png = make_jar(options.jdk, work), icon_png(work)
    output = os.path.join(work, "out")
    shutil.rmtree(output, ignore_errors=True)
    # The sanitizer's dlopen stands between the runtime's image reader and its
    # own zip library, which it then looks up on the system's path: a sanitizer
    # build's launcher gets stored modules.
    stored = ["--compress", "none"] if "ASAN_OPTIONS" in os.environ else []
    app = pack(options, inputs, output, "--jdk", options.jdk, "--icon", png, "--zip",
               "--app-version", "1.2.3", "--vm-option", "-Dhello.greeting=Hey",
               "--vm-option", "-Xmx48m", "--startup-cache", "--training-arg", "trained",
               "--splash", png, *stored)
    check_config(app, ["-Dhello.greeting=Hey", "-Xmx48m"])
    fresh = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "fresh user"))
    status, out, err = run([os.path.join(app, "Hello App"), "-c", "-v"], env=fresh)
    check("Using startup cache %s/startup-cache/startup-" % app in out,
          "the first launch does not use the shipped startup cache:\n" + out + err)
    status, out, err = run([os.path.join(app, "Hello App"), "x", "\u00e9"])
    print(out + err)
    check(status == 0 and out.startswith("Hey from Java ") and "max heap 48 MiB" in out
          and '"\u00e9" = U+00E9' in out, "the packaged app did not run as it should")
    server = os.path.join(app, "jre", "lib", "server")
    # The app's archive replaces the runtime's own.
    check(not os.path.isfile(os.path.join(server, "classes.jsa")),
          "the runtime's CDS archive is there beside the shipped one")
    shipped_unfit(app, work)
    check(not os.path.exists(os.path.join(server, "classes_nocoops.jsa")),
          "the archive for heaps of 32 GiB and more is there for a heap of 48 MiB")
    check(open(os.path.join(app, "Hello App.png"), "rb").read(8) == b"\x89PNG\r\n\x1a\n",
          "no PNG icon")
    check("Exec=\"/opt/Hello App/Hello App\"" in open(os.path.join(app, "Hello App.desktop")).read(),
          "desktop entry")
    with zipfile.ZipFile(os.path.join(output, "Hello App-1.2.3-linux.zip")) as archive:
        launcher = archive.getinfo("Hello App/Hello App")
        check(launcher.external_attr >> 16 & 0o111, "the zipped launcher lost its executable bit")
        check("Hello App/jre/lib/server/libjvm.so" in archive.namelist(), "zip lacks the runtime")
    check(sorted(os.listdir(output)) == ["Hello App", "Hello App-1.2.3-linux.zip"],
          "left behind: %r" % os.listdir(output))
    print("runtime size: %.1f MiB (with its CDS archive)" % mib(os.path.join(app, "jre")))


def shipped_unfit(app, work):
    """A user's VM options file makes another key: the launch records a cache
    of its own, on a runtime that may have no class archive of its own."""
    config = os.path.join(work, "user config")
    os.makedirs(os.path.join(config, "Hello App"), exist_ok=True)
    with open(os.path.join(config, "Hello App", "Hello App.vmoptions"), "w") as f:
        f.write("-Dhello.greeting=Hi\n")
    cache = os.path.join(work, "user cache")
    env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_CACHE_HOME=cache)
    outcomes = []
    for _ in range(2):
        outcomes.append(run([os.path.join(app, "Hello App"), "-c", "-v"], env=env))
        for _ in range(600):  # the background build
            if not any(n.endswith((".classlist", ".tmp")) for _, _, names in os.walk(cache)
                       for n in names):
                break
            time.sleep(0.1)
    first, second = (out + err for _, out, err in outcomes)
    check(all(status == 0 for status, _, _ in outcomes) and
          "Recording startup cache %s/Hello App/" % cache in first and "Hi from Java" in first
          and "Using startup cache %s/Hello App/" % cache in second and "Hi from Java" in second,
          "with a user's VM options file:\n%s\n%s" % (first, second))


def version_strings(exe):
    import pefile
    pe = pefile.PE(exe)
    check(pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum(), "wrong checksum")
    last = max(pe.sections, key=lambda s: s.VirtualAddress)
    alignment = pe.OPTIONAL_HEADER.SectionAlignment
    end = last.VirtualAddress + last.Misc_VirtualSize
    check(pe.OPTIONAL_HEADER.SizeOfImage == (end + alignment - 1) // alignment * alignment,
          "wrong SizeOfImage")
    check(not pe.get_warnings(), "pefile warnings: %r" % pe.get_warnings())
    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS)
          == (0x20001, 0x30004, 0x20001), "fixed version")
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode("utf-8") for k, v in table.entries.items()})
    return strings


def wrestool(exe, *arguments):
    status, out, err = run(["wrestool", "-x", "--raw"] + list(arguments) + [exe])
    check(status == 0, "wrestool failed: " + err)
    return out


def standin_runtime(work, library, version="21.0.2"):
    """A runtime folder holding only the stand-in runtime library."""
    runtime = os.path.join(work, "standin-runtime")
    shutil.rmtree(runtime, ignore_errors=True)
    os.makedirs(os.path.join(runtime, "bin", "server"))
    shutil.copy(library, os.path.join(runtime, "bin", "server", "jvm.dll"))
    with open(os.path.join(runtime, "release"), "w") as release:
        release.write('JAVA_VERSION="%s"\n' % version)
    return runtime


def test_windows(options):
    if options.standin:
        options.runtime = standin_runtime(os.path.abspath(options.work), options.standin)
    if not os.path.isfile(os.path.join(options.runtime, "bin", "server", "jvm.dll")):
        print("skipped: no Windows runtime at " + options.runtime)
        sys.exit(SKIPPED)
    work = os.path.abspath(options.work)
    inputs, png = make_jar(options.javac_jdk, work), icon_png(work)
    # A picture scaled to the icon sizes with the stand-in, an .ico kept as it is otherwise.
    icon = png if options.standin else os.path.join(ROOT, "native", "resources", "vantrel.ico")
    output = os.path.join(work, "out")
    shutil.rmtree(output, ignore_errors=True)
    # A second launcher, a console program with its own arguments and VM option.
    tool = os.path.join(work, "tool.json")
    with open(tool, "w") as file:
        json.dump({"args": ["from", "tool"], "vmArgs": ["-Dhello.greeting=Tool"],
                   "console": True}, file)
    app = pack(options, inputs, output, "--runtime", options.runtime, "--icon", icon,
               "--app-version", "2.1.3.4", "--vendor", "Acme \u00dcber", "--description",
               "Says hello", "--copyright", "(c) 2026 Acme", "--startup-cache",
               "--splash", png, "--arguments", "default", "--add-launcher", "Tool=" + tool,
               "--single-instance", "--restart-exit-code", "3")
    exe = os.path.join(app, "Hello App.exe")
    # The taskbar identity made of the vendor and the name; one instance and
    # restarts for the app, not for its extra launcher.
    check_config(app, [], appUserModelId="Acme\u00dcber.HelloApp", args=["default"],
                 singleInstance=True, restartExitCode=3)
    with open(os.path.join(app, "Tool.json"), encoding="utf-8") as file:
        tool_config = json.load(file)
    check("singleInstance" not in tool_config and "restartExitCode" not in tool_config,
          "Tool.json: %r" % tool_config)
    import pefile
    subsystems = [pefile.PE(os.path.join(app, name)).OPTIONAL_HEADER.Subsystem
                  for name in ("Hello App.exe", "Tool.exe")]
    check(subsystems == [2, 3], "subsystems (GUI, console): %r" % subsystems)
    strings = version_strings(exe)
    expected = {"CompanyName": "Acme \u00dcber", "FileDescription": "Says hello",
                "FileVersion": "2.1.3.4", "InternalName": "Hello App",
                "LegalCopyright": "(c) 2026 Acme", "OriginalFilename": "Hello App.exe",
                "ProductName": "Hello App", "ProductVersion": "2.1.3.4"}
    check(strings == expected, "version strings: %r" % strings)
    # icotool reads PNG images only from a file, not from a pipe.
    extracted = os.path.join(work, "extracted.ico")
    status, icons, err = run(["sh", "-c", 'wrestool -x -t14 "$1" >"$2" && icotool -l "$2"',
                              "-", exe, extracted])
    sizes = [line.split("--width=")[1].split()[0] for line in icons.splitlines()]
    check(sizes == ["16", "24", "32", "48", "64", "72", "96", "128", "256"], "icon: " + icons)
    if icon.endswith(".ico"):
        # wrestool pads what it writes with zeros, the launcher's own icon too.
        original = open(icon, "rb").read()
        check(open(extracted, "rb").read()[:len(original)] == original, "the .ico was changed")
    manifest = wrestool(exe, "-t24")
    check('name="Hello_App"' in manifest and "<description>Says hello<" in manifest,
          "manifest: " + manifest)
    with open(os.path.join(options.runtime, "release")) as release:
        feature = release.read().split('JAVA_VERSION="')[1].split(".")[0]
    check(("<activeCodePage" in manifest) == (int(feature) >= 18),
          "UTF-8 code page for Java %s: %s" % (feature, manifest))
    status, out, err = run([options.wine, exe, "x"], cwd=app)
    print(out + err)
    check(status == 0, "the packaged exe failed with status %d" % status)
    check("FindClass hello/Main" in out or "from Java" in out, "the app did not start")
    check('"default"' in out and '"x"' in out, "no default argument before the user's")
    status, out, err = run([options.wine, os.path.join(app, "Tool.exe")], cwd=app)
    print(out + err)
    check(status == 0 and '"from"' in out and '"tool"' in out and
          ("Tool from Java" in out or "-Dhello.greeting=Tool" in out),
          "the second launcher (status %d) did not run as Tool.json says" % status)
    if not options.standin:
        out = run([options.wine, exe, "-c", "-v"], cwd=app)[1]
        check(re.search(r"^Using startup cache .*\\Hello App\\startup-cache\\startup-", out,
                        re.M), "the first launch does not use the shipped startup cache:\n" + out)


def resources_of(pe):
    """{(type, name, language): bytes} of every resource of a pefile image."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                key = (str(kind.name or kind.id), str(name.name or name.id), language.id)
                found[key] = pe.get_data(data.OffsetToData, data.Size)
    return found


def test_resources(options):
    """Another program's resources (many types, languages, debug sections
    after them) go through the rewriting unchanged but for the replaced
    ones; damaged copies of it are refused or packaged, never a crash."""
    import pefile
    import random
    if not os.path.isfile(options.exe):
        print("skipped: no sample Windows executable at " + options.exe)
        sys.exit(SKIPPED)
    work = os.path.abspath(options.work)
    inputs, png = make_jar(options.jdk, work), icon_png(work)
    runtime = standin_runtime(work, os.devnull, "17.0.2")
    output = os.path.join(work, "out")
    shutil.rmtree(output, ignore_errors=True)
    app = pack(options, inputs, output, "--target", "windows", "--launcher", options.exe,
               "--runtime", runtime, "--icon", png, "--app-version", "2.1.3.4",
               "--vendor", "Acme \u00dcber", "--description", "Says hello",
               "--copyright", "(c) 2026 Acme")
    exe = os.path.join(app, "Hello App.exe")
    check(version_strings(exe)["ProductName"] == "Hello App", "version strings")
    before, after = resources_of(pefile.PE(options.exe)), resources_of(pefile.PE(exe))
    replaced = {"3", "14", "16", "24"}
    kept = {key: data for key, data in before.items() if key[0] not in replaced}
    check({key: data for key, data in after.items() if key[0] not in replaced} == kept,
          "resources other than icon, version and manifest changed")
    check(len([key for key in after if key[0] == "3"]) == 9, "not nine icon images")
    original = open(options.exe, "rb").read()
    rng = random.Random(15)
    failures = []
    for trial in range(60):
        damaged = bytearray(original)
        if trial % 3 == 0:
            damaged = damaged[:rng.randrange(len(damaged))]
        for _ in range(rng.randrange(1, 40)):
            if damaged:
                damaged[rng.randrange(len(damaged))] = rng.randrange(256)
        launcher = os.path.join(work, "damaged.exe")
        open(launcher, "wb").write(damaged)
        command = [options.pack, "--name", "D", "--main-class", "hello.Main", "--input", inputs,
                   "--output", output, "--target", "windows", "--launcher", launcher,
                   "--runtime", runtime, "--icon", png, "--force"]
        status, out, err = run(command)
        if status not in (0, 2) or (status == 2 and "cannot use the launcher" not in err):
            failures.append("trial %d: status %d: %s" % (trial, status, err))
    left = [name for name in os.listdir(output) if name.startswith(".")]
    check(not failures and not left, "\n".join(failures) + " left: %r" % left)


# Wrong inputs: (what, extra arguments or replacements, status, message part).
ERROR_CASES = [
    ("no --input", {"--input": None}, 2, "Missing option: --input"),
    ("missing input", {"--input": "missing"}, 2, "the input folder"),
    ("empty input", {"--input": "empty"}, 2, "no jars in the input folder"),
    ("no jars", {"--input": "nojars"}, 2, "no jars in the input folder"),
    ("main class not found", {"--main-class": "hello.Nope"}, 2,
     "the main class hello.Nope (hello/Nope.class) is in none of the jars"),
    ("not a jar", {"--input": "badjar"}, 2, "not a zip archive"),
    ("unreadable icon", {"--icon": "notes.txt"}, 2, "cannot read the icon"),
    ("missing icon", {"--icon": "missing.png"}, 2, "cannot read the icon"),
    ("version not numeric", {"--app-version": "1.x"}, 2,
     "Invalid value for option --app-version: 1.x"),
    ("version too long", {"--app-version": "1.2.3.4.5"}, 2, "--app-version"),
    ("bad target", {"--target": "mac"}, 2, "Invalid value for option --target: mac"),
    ("name with a slash", {"--name": "a/b"}, 2, "Invalid value for option --name"),
    ("name of the runtime folder", {"--name": "JRE"}, 2, "Invalid value for option --name: JRE"),
    ("name of the cache folder", {"--name": "Startup-Cache"}, 2,
     "Invalid value for option --name: Startup-Cache"),
    ("no runtime", {"--jdk": None}, 2, "pass --jdk DIR"),
    ("both runtimes", {"--runtime": "input"}, 2, "exclude each other"),
    ("not a JDK", {"--jdk": "input"}, 2, "no JDK at"),
    ("not a runtime", {"--jdk": None, "--runtime": "input"}, 2, "it is not a linux runtime"),
    ("windows without jmods", {"--target": "windows", "--launcher": "input/hello.jar"}, 2,
     "a windows runtime needs --jmods DIR"),
    ("missing launcher", {"--launcher": "missing"}, 2, "no launcher at"),
    ("output exists", {"--output": "existing"}, 2, "already exists (pass --force"),
    ("unknown module", {"--add-modules": "no.such.module"}, 1, "jlink failed (exit status"),
    ("bad compression", {"--compress": "max"}, 2, "Invalid value for option --compress: max"),
    ("compressing a copied runtime", {"--jdk": None, "--runtime": "input", "--compress": "zip"}, 2,
     "Option --compress needs --jdk"),
    ("launcher not an exe", {"--target": "windows", "--jmods": "input", "--launcher":
     "input/hello.jar"}, 2, "cannot use the launcher input/hello.jar: not a 64-bit Windows"),
    ("msi for linux", {"--installer": "msi"}, 2,
     "Invalid value for option --installer: msi (msi is for --target windows)"),
    ("association without installer", {"--file-association": "txt:Text"}, 2,
     "need an --installer"),
    ("association without description", {"--installer": "rpm", "--file-association": "txt"},
     2, "Invalid value for option --file-association: txt"),
    ("scheme not a scheme", {"--installer": "rpm", "--url-scheme": "1x"}, 2,
     "Invalid value for option --url-scheme: 1x"),
    ("deb without maintainer", {"--installer": "deb"}, 2, "A deb package needs --maintainer"),
    ("signing for linux", {"--sign-pkcs12": "x.p12", "--sign-password-env": "P"}, 2,
     "--sign-pkcs12 signs Windows programs: it needs --target windows"),
    ("installer exists", {"--installer": "rpm", "--output": "existing-rpm"}, 2,
     "hello-app-1.0.0-1.x86_64.rpm already exists (pass --force"),
    ("instance method", {"--single-instance": "onLaunch"}, 2,
     "Invalid value for option --single-instance: onLaunch (a static method of a class"),
    ("restart status", {"--restart-exit-code": "256"}, 2,
     "Invalid value for option --restart-exit-code: 256 (an exit status from 1 to 255)"),
    ("main jar not found", {"--main-jar": "nope.jar"}, 2,
     "the main jar nope.jar is in none of the inputs (input) and no file"),
    ("class path entry not found", {"--class-path": "nope/*"}, 2,
     "--class-path nope/*: no such jar or folder in the input folders"),
    ("not a native library", {"--native-lib": "input/hello.jar"}, 2,
     "--native-lib input/hello.jar: not a native library for linux x86-64 (libNAME.so)"),
    ("resources as the runtime", {"--resources": "empty=jre"}, 2,
     "cannot copy the resource folder empty as jre: expected a relative path"),
    ("launcher named config", {"--add-launcher": "Config=tool.properties"}, 2,
     "Invalid value for option --add-launcher: Config=tool.properties"),
    ("launcher file with another key", {"--add-launcher": "Tool=colour.properties"}, 2,
     "cannot use the launcher file colour.properties: unknown key 'colour' on line 2"),
    ("launcher's main class not found", {"--add-launcher": "Tool=tool.properties"}, 2,
     "the main class hello.Nope of the launcher Tool (hello/Nope.class) is in none of the jars"),
    ("empty module list", {"--modules": ""}, 2, "Invalid value for option --modules"),
    ("training without a cache", {"--training-arg": "x"}, 2,
     "Options --training-arg and --training-seconds need --startup-cache and the target linux"),
    ("training seconds", {"--startup-cache": True, "--training-seconds": "0"}, 2,
     "Invalid value for option --training-seconds: 0"),
    ("training run that fails", {"--startup-cache": True, "--vm-option": "-Xmx1k"}, 1,
     "the training run of Hello App ended with exit status 1:"),
]


def error_fixtures(work, options):
    inputs = make_jar(options.jdk, work)
    for folder in ("empty", "nojars", "badjar", "existing/Hello App", "out"):
        shutil.rmtree(os.path.join(work, folder), ignore_errors=True)
        os.makedirs(os.path.join(work, folder))
    open(os.path.join(work, "nojars", "readme.txt"), "w").write("no jars")
    open(os.path.join(work, "badjar", "app.jar"), "w").write("not a zip")
    open(os.path.join(work, "notes.txt"), "w").write("not a picture")
    open(os.path.join(work, "tool.properties"), "w").write("main-class = hello.Nope\n")
    open(os.path.join(work, "colour.properties"), "w").write("# a launcher\ncolour: red\n")
    os.makedirs(os.path.join(work, "existing-rpm"), exist_ok=True)
    open(os.path.join(work, "existing-rpm", "hello-app-1.0.0-1.x86_64.rpm"), "w").write("rpm")
    return inputs


def test_errors(options):
    work = os.path.abspath(options.work)
    error_fixtures(work, options)
    base = {"--name": "Hello App", "--main-class": "hello.Main", "--input": "input",
            "--output": "out", "--jdk": options.jdk}
    failures = []
    for what, changes, status, message in ERROR_CASES:
        arguments = dict(base, **changes)
        arguments = {k: v for k, v in arguments.items() if v is not None}
        command = [options.pack] + [part for key, value in arguments.items()
                                    for part in ([key] if value is True else [key, value])]
        code, out, err = run(command, cwd=work)
        left = os.listdir(os.path.join(work, "out"))
        if code != status or message not in err or left:
            failures.append("%s: status %d, left %r, stderr: %s" % (what, code, left, err))
    failures += interrupted_run(options, work, base)
    check(not failures, "\n".join(failures))


def interrupted_run(options, work, base):
    """SIGINT once jlink runs: status 130 and nothing left in the output."""
    import signal
    command = [options.pack] + [part for pair in base.items() for part in pair]
    process = subprocess.Popen(command, cwd=work, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    for line in process.stdout:
        if line.startswith("Linking"):
            process.send_signal(signal.SIGINT)
    err = process.stderr.read()
    status = process.wait(timeout=600)
    left = os.listdir(os.path.join(work, "out"))
    if status != 130 or "interrupted" not in err or left:
        return ["interrupted: status %d, left %r, stderr: %s" % (status, left, err)]
    return []


# Crafted and damaged inputs: (what, arguments, status, message part). The
# files are made by hostile_fixtures; WINDOWS rows package for Windows with
# a crafted launcher. A refusal comes before any step has started.
WINDOWS = {"--target": "windows", "--runtime": "windows-runtime", "--app-version": "2.1.3.4",
           "--launcher": "crafted/plain.exe"}
HOSTILE_CASES = [
    ("2^29 data directories, read as 16", dict(WINDOWS, **{"--launcher": "crafted/directories.exe"}),
     0, "Packaged"),
    ("file alignment 0xFFFFFFFF", dict(WINDOWS, **{"--launcher": "crafted/alignment-ffffffff.exe"}),
     2, "cannot use the launcher crafted/alignment-ffffffff.exe: its file alignment 4294967295"),
    ("file alignment 0x80000000", dict(WINDOWS, **{"--launcher": "crafted/alignment-80000000.exe"}),
     2, "its file alignment 2147483648 and section alignment 4096 are not ones Windows accepts"),
    ("truncated launcher", dict(WINDOWS, **{"--launcher": "crafted/truncated.exe"}), 2,
     "cannot use the launcher crafted/truncated.exe: its section at address 8192 lies outside"),
    ("65535 resources sharing 4 MiB", dict(WINDOWS, **{"--launcher": "crafted/shared.exe"}), 2,
     "cannot use the launcher crafted/shared.exe: its resources hold more than 64 MiB"),
    ("data directory beyond the image", dict(WINDOWS, **{"--launcher": "crafted/far-imports.exe"}),
     2, "cannot use the launcher crafted/far-imports.exe: its data directory 1 lies outside"),
    ("20000 x 20000 resource tables", dict(WINDOWS, **{"--launcher": "crafted/wide.exe"}), 2,
     "cannot use the launcher crafted/wide.exe: its resource directory is damaged"),
    ("40000-character description", dict(WINDOWS, **{"--description": "d" * 40000}), 2,
     "the version information of a Windows executable holds at most 65535 bytes"),
    ("icon of 65535 images sharing 1 MiB", {"--icon": "crafted/many.ico"}, 2,
     "cannot read the icon crafted/many.ico: it has 65535 images; at most 64"),
    ("icon with a short bitmap", {"--icon": "crafted/short-bitmap.ico"}, 2,
     "its image 2 is a bitmap shorter than its pixels"),
    ("JPEG picture", {"--icon": "crafted/photo.jpg"}, 2,
     "cannot read the icon crafted/photo.jpg: it is a JPEG picture; icons are made from .ico"),
    ("PNG of 200000x1 pixels", {"--icon": "crafted/200000x1.png"}, 2,
     "the picture is 200000x1 pixels; at most 1024x1024 are supported"),
    ("PNG of 20000x1 pixels, Windows", dict(WINDOWS, **{"--icon": "crafted/20000x1.png"}), 2,
     "the picture is 20000x1 pixels"),
    ("a jar that links to a text file", {"--input": "input-link"}, 2,
     "cannot read input-link/z.jar: not a zip archive"),
    ("a damaged main class", {"--input": "input-damaged"}, 2,
     "cannot use the jar input-damaged/a-util.jar: its entry hello/Main.class is damaged"),
    ("jar name not UTF-8, --zip", {"--input": "input-latin1", "--zip": True}, 2,
     "cannot use the jar input-latin1/caf\\xe9.jar with --zip: its name is not UTF-8"),
]


def fake_runtime(folder, library):
    """A runtime folder with an empty runtime library: enough to package."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.dirname(os.path.join(folder, library)))
    open(os.path.join(folder, library), "wb").close()
    with open(os.path.join(folder, "release"), "w") as release:
        release.write('JAVA_VERSION="17.0.2"\n')


def jar_variants(work, inputs):
    """input-link (a jar that is a link to a text file), input-damaged (the
    main class's bytes changed), input-latin1 (a jar named in Latin-1)."""
    for name in ("input-link", "input-damaged", "input-latin1"):
        shutil.rmtree(os.path.join(work, name), ignore_errors=True)
        shutil.copytree(inputs, os.path.join(work, name))
    open(os.path.join(work, "notes.txt"), "w").write("not a jar\n" * 10)
    os.symlink(os.path.join(work, "notes.txt"), os.path.join(work, "input-link", "z.jar"))
    shutil.copy(os.path.join(inputs, "a-util.jar"),
                os.path.join(os.fsencode(work), b"input-latin1", b"caf\xe9.jar"))
    damaged = os.path.join(work, "input-damaged", "a-util.jar")
    with zipfile.ZipFile(damaged) as archive:
        info = archive.getinfo("hello/Main.class")
    data = bytearray(open(damaged, "rb").read())
    start = info.header_offset + 30 + len(info.filename.encode()) + len(info.extra)
    data[start + info.compress_size // 2] ^= 0x55
    open(damaged, "wb").write(data)


def hostile_fixtures(work, options):
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import crafted
    inputs = make_jar(options.jdk, work)
    jar_variants(work, inputs)
    fake_runtime(os.path.join(work, "windows-runtime"), os.path.join("bin", "server", "jvm.dll"))
    fake_runtime(os.path.join(work, "linux-runtime"), os.path.join("lib", "server", "libjvm.so"))
    plain = crafted.executable()
    directories = bytearray(plain)
    directories[0x58 + 108:0x58 + 112] = (0x20000000).to_bytes(4, "little")
    far_imports = bytearray(plain)
    far_imports[0x58 + 112 + 8:0x58 + 112 + 16] = (0xFFFFFFFF).to_bytes(4, "little") * 2
    files = {
        "plain.exe": plain,
        "directories.exe": bytes(directories),
        "alignment-ffffffff.exe": crafted.executable(file_alignment=0xFFFFFFFF),
        "alignment-80000000.exe": crafted.executable(file_alignment=0x80000000),
        "truncated.exe": plain[:0x500],
        "far-imports.exe": bytes(far_imports),
        "shared.exe": crafted.executable(rsrc=crafted.shared_block_resources(65535, 4 << 20)),
        "wide.exe": crafted.executable(rsrc=crafted.wide_resources(20000)),
        "many.ico": crafted.ico([(0, b"\0" * (1 << 20))], count=65535),
        "short-bitmap.ico": crafted.ico([(16, crafted.bitmap(16)), (32, crafted.bitmap(32, 9))]),
        "200000x1.png": crafted.png(200000, 1),
        "20000x1.png": crafted.png(20000, 1),
        "photo.jpg": b"\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xff\xd9",
    }
    folder = os.path.join(work, "crafted")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in files.items():
        open(os.path.join(folder, name), "wb").write(data)
    shutil.rmtree(os.path.join(work, "out"), ignore_errors=True)
    os.makedirs(os.path.join(work, "out"))


def test_hostile(options):
    work = os.path.abspath(options.work)
    hostile_fixtures(work, options)
    base = {"--name": "Hello App", "--main-class": "hello.Main", "--input": "input",
            "--output": "out", "--runtime": "linux-runtime", "--target": "linux"}
    failures = []
    for what, changes, status, message in HOSTILE_CASES:
        # The Windows build writes no zip archives, and a Windows command line
        # holds at most 32767 characters: too few for an overlong version text.
        if options.wine and ("--zip" in changes or len(str(changes)) > 32767):
            continue
        arguments = dict(base, **changes)
        command = [options.wine] if options.wine else []
        command += [options.pack]
        for option, value in arguments.items():
            command += [option] if value is True else [option, value]
        code, out, err = run(command, cwd=work)
        if options.wine:
            out, err = out.replace("\\", "/"), err.replace("\\", "/")
        output = os.path.join(work, "out")
        left = os.listdir(output)
        shown = (out + err)[:600]
        if code != status or message not in out + err:
            failures.append("%s: status %d, output: %s" % (what, code, shown))
        elif status != 0 and (out or left):
            failures.append("%s: refused after starting (left %r): %s" % (what, left, shown))
        elif status == 0:
            version_strings(os.path.join(output, "Hello App", "Hello App.exe"))
            hidden = [name for name in left if name.startswith(".")]
            if hidden:
                failures.append("%s: left %r" % (what, hidden))
        shutil.rmtree(output)
        os.makedirs(output)
    check(not failures, "\n".join(failures))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["linux", "windows", "resources", "errors", "hostile"])
    parser.add_argument("--pack", required=True)
    parser.add_argument("--jdk")
    parser.add_argument("--javac-jdk")
    parser.add_argument("--runtime")
    parser.add_argument("--standin")
    parser.add_argument("--exe")
    parser.add_argument("--wine")
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    return run_test({"linux": test_linux, "windows": test_windows, "resources": test_resources,
                     "errors": test_errors, "hostile": test_hostile}[options.mode], options)


def run_test(test, options):
    """Runs a test with its work folder made: 0, or 1 with the failure printed."""
    os.makedirs(options.work, exist_ok=True)
    try:
        test(options)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
