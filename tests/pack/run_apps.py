#!/usr/bin/env python3
"""End-to-end test of vantrel-pack on an app laid out as real ones are
(tests/pack/sample), packaged from its folder as it is and run on a machine
that has only the packaged folder: the inputs, the folders outside them and
the JDKs hidden in a mount namespace (as root; otherwise the hidden runs are
skipped and the test says so with status 77).

    run_apps.py --pack vantrel-pack --check vantrel-check --jdk JDK --work DIR

The sample has a resource folder beside its main jar, whose manifest names a
jar of its own, a modular jar and a jar in a folder outside the input by an
absolute file: URL, asks for Add-Opens (one of a module the runtime lacks)
and Enable-Native-Access; a plugin jar in a subfolder that it loads itself;
an executable script; a link; a native library in a subfolder built with
gcc; and needs a jar outside the input (--class-path), whose module its
modular jar requires, and a native library from a host folder
(--native-lib). A second launcher (--add-launcher) runs another main class
with arguments and a VM option of its own, the first has a default argument
(--arguments). It also connects with TLS to a loopback `openssl s_server`
whose certificate has a P-256 key: a runtime without elliptic curves fails.
"""
import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_pack import ROOT, SKIPPED, Failure, check, run, run_test  # noqa: E402

SAMPLE = os.path.join(ROOT, "tests", "pack", "sample")
HIDDEN_SYSTEM = ["/usr/share/java", "/usr/lib/jni", "/usr/lib/x86_64-linux-gnu/jni",
                 "/usr/share/openjfx", "/usr/lib/jvm"]
EXPECTED_LINES = [
    "resource: hello from data/",
    "opened: java.lang",
    "util: lib/util.jar",
    "extra: a jar outside the input",
    "module: sample.mod with sample.dep and 2026-01-02",
    "native: 42",
    "host native: 7",
    "plugin: loaded from plugins/",
    "executable: true",
]


def tool(jdk, name):
    return os.path.join(jdk, "bin", name)


def call(command, **kwargs):
    status, out, err = run(command, **kwargs)
    check(status == 0, "%s failed (%d): %s%s" % (command[0], status, out, err))
    return out


def write(path, text, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as file:
        file.write(text)
    if mode:
        os.chmod(path, mode)


def jar(jdk, path, classes, names, manifest=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    command = [tool(jdk, "jar"), "--create", "--file", path]
    if manifest:
        write(path + ".mf", manifest)
        command += ["--manifest", path + ".mf"]
    for name in names:
        command += ["-C", classes, name]
    call(command)
    if manifest:
        os.remove(path + ".mf")


def build_sample(jdk, work):
    """input/ (the app's folder), outside/ (extra.jar, dep.jar), host/ (libhost.so)."""
    for folder in ("input", "outside", "host", "classes", "docs"):
        shutil.rmtree(os.path.join(work, folder), ignore_errors=True)
    inputs, outside = os.path.join(work, "input"), os.path.join(work, "outside")
    classes = os.path.join(work, "classes")
    os.makedirs(outside)
    dep = os.path.join(outside, "dep.jar")
    call([tool(jdk, "javac"), "--release", "11", "-d", classes + "/dep",
          os.path.join(SAMPLE, "dep", "sample", "dep", "Dep.java")])
    jar(jdk, dep, classes + "/dep", ["sample"], "Automatic-Module-Name: sample.dep\n")
    call([tool(jdk, "javac"), "--release", "11", "-d", classes + "/mod", "--module-path", dep,
          os.path.join(SAMPLE, "mod", "module-info.java"),
          os.path.join(SAMPLE, "mod", "sample", "mod", "Mod.java")])
    jar(jdk, os.path.join(inputs, "mod.jar"), classes + "/mod", ["."])
    app_sources = [os.path.join(SAMPLE, "app", "sample", name) for name in
                   ("Main.java", "Util.java", "Extra.java", "Plugin.java", "Host.java", "Tool.java")]
    call([tool(jdk, "javac"), "--release", "11", "-d", classes + "/app", "-cp",
          os.path.join(inputs, "mod.jar") + ":" + dep] + app_sources)
    app = classes + "/app"
    # extra-link.jar is a link to extra.jar: one file, once on the class path.
    outside_url = "file:" + outside.replace(" ", "%20")
    manifest = ("Main-Class: sample.Main\n"
                "Class-Path: lib/util.jar mod.jar %s/extra.jar %s/extra-link.jar\n"
                "Add-Opens: java.base/java.lang javafx.graphics/com.sun.javafx.application\n"
                "Enable-Native-Access: ALL-UNNAMED\n"
                "SplashScreen-Image: sample/splash.png\n"
                "Launcher-Agent-Class: sample.Agent\n" % (outside_url, outside_url))
    with open(os.path.join(app, "sample", "splash.png"), "wb") as png:
        png.write(tiny_png())
    jar(jdk, os.path.join(inputs, "app.jar"), app,
        ["sample/Main.class", "sample/Main$1.class", "sample/Host.class", "sample/Tool.class",
         "sample/splash.png"], manifest)
    jar(jdk, os.path.join(inputs, "lib", "util.jar"), app, ["sample/Util.class"])
    jar(jdk, os.path.join(inputs, "plugins", "plugin.jar"), app, ["sample/Plugin.class"])
    jar(jdk, os.path.join(outside, "extra.jar"), app, ["sample/Extra.class"])
    os.symlink("extra.jar", os.path.join(outside, "extra-link.jar"))
    os.symlink("util.jar", os.path.join(inputs, "lib", "util-link.jar"))
    write(os.path.join(inputs, "data", "greeting.txt"), "hello from data/\n")
    write(os.path.join(inputs, "bin", "run.sh"), "#!/bin/sh\n", 0o755)
    write(os.path.join(work, "docs", "index.txt"), "the docs\n")
    includes = ["-I" + os.path.join(jdk, "include"), "-I" + os.path.join(jdk, "include", "linux")]
    source = os.path.join(SAMPLE, "native.c")
    os.makedirs(os.path.join(inputs, "native"))
    call(["gcc", "-shared", "-fPIC", "-o", os.path.join(inputs, "native", "libsample.so"), source]
         + includes)
    os.makedirs(os.path.join(work, "host"))
    call(["gcc", "-shared", "-fPIC", "-DHOST", "-o", os.path.join(work, "host", "libhost.so"),
          source] + includes)
    shutil.rmtree(classes)
    return inputs, outside


def tiny_png():
    """A 1x1 PNG."""
    import struct
    import zlib

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(b"\0\xff\x80\x00")) + chunk(b"IEND", b""))


def hidden(command, folders, cwd=None):
    """`command` in a mount namespace where `folders` are empty."""
    script = ('mount --make-rprivate / || exit 99; for d in "$@"; do [ "$d" = -- ] && break; '
              'if [ -d "$d" ]; then mount -t tmpfs none "$d" || exit 99; fi; shift; done; '
              'shift; exec "$@"')
    return run(["unshare", "-m", "sh", "-c", script, "hide"] + folders + ["--"] + command,
               cwd=cwd)


def check_lines(out, expected, what):
    lines = out.splitlines()
    missing = [line for line in expected if line not in lines]
    check(not missing, "%s: missing %r in:\n%s" % (what, missing, out))


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class TlsServer:
    """`openssl s_server` on the loopback with a new P-256 certificate."""

    def __init__(self, work):
        key, cert = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
        call(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
              "-nodes", "-keyout", key, "-out", cert, "-subj", "/CN=localhost", "-days", "2"])
        self.port = free_port()
        self.process = subprocess.Popen(
            ["openssl", "s_server", "-accept", "127.0.0.1:%d" % self.port, "-cert", cert,
             "-key", key, "-www", "-quiet"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            with socket.socket() as probe:
                if probe.connect_ex(("127.0.0.1", self.port)) == 0:
                    return
            time.sleep(0.05)
        raise Failure("openssl s_server did not start")

    def close(self):
        self.process.kill()
        self.process.wait()


def release_modules(app):
    with open(os.path.join(app, "jre", "release")) as release:
        for line in release:
            if line.startswith("MODULES="):
                return line.split("=", 1)[1].strip().strip('"').split()
    return []


def check_folder(app, version):
    """config.json, Tool.json, the runtime's modules and the copied tree."""
    with open(os.path.join(app, "config.json")) as file:
        config = json.load(file)
    with open(os.path.join(app, "Tool.json")) as file:
        tool_config = json.load(file)
    check(config["args"] == ["default"] and tool_config["args"] == ["one", "two words"] and
          tool_config["vmArgs"] == config["vmArgs"] + ["-Dsample.tool=yes"] and
          tool_config["mainClass"] == "sample.Tool", "Tool.json: %r" % tool_config)
    check(config["mainClass"] == "sample.Main", "main class from the manifest: %r" % config)
    check(config["classPath"] == ["lib/app.jar", "lib/lib/util.jar", "lib/mod.jar",
                                  "lib/extra.jar", "lib/dep.jar"],
          "class path: %r" % config["classPath"])
    expected = ["--add-opens=java.base/java.lang=ALL-UNNAMED"]
    expected += ["--enable-native-access=ALL-UNNAMED"] if version >= 22 else []
    expected += ["-Djava.library.path=$APPDIR/lib:$APPDIR/lib/native",
                 "--add-opens=no.such.module/x=ALL-UNNAMED"]
    check(config["vmArgs"] == expected, "vmArgs: %r" % config["vmArgs"])
    modules = release_modules(app)
    for module in ("java.sql", "jdk.charsets", "jdk.crypto.ec", "jdk.zipfs"):
        check(module in modules, "the runtime lacks %s: %r" % (module, modules))
    check(os.access(os.path.join(app, "lib", "bin", "run.sh"), os.X_OK), "run.sh lost its mode")
    link = os.path.join(app, "lib", "lib", "util-link.jar")
    check(os.path.isfile(link) and not os.path.islink(link), "the link was not resolved")
    check(os.path.isfile(os.path.join(app, "docs", "index.txt")), "--resources not copied")
    check(config["splash"] == "splash.png" and
          open(os.path.join(app, "splash.png"), "rb").read() == tiny_png(),
          "the main jar's SplashScreen-Image is not the splash")
    check(not os.path.exists(os.path.join(app, "lib", "extra-link.jar")), "a link copied twice")


def test_apps(options):
    work = os.path.abspath(options.work)
    version = java_version(options.jdk)
    inputs, outside = build_sample(options.jdk, work)
    output = os.path.join(work, "out")
    shutil.rmtree(output, ignore_errors=True)
    root = os.geteuid() == 0
    command = [options.pack, "--name", "Sample", "--input", inputs, "--main-jar", "app.jar",
               "--class-path", os.path.join(outside, "dep.jar"),
               "--native-lib", os.path.join(work, "host", "libhost.so"),
               "--resources", os.path.join(work, "docs"), "--add-modules", "jdk.charsets",
               "--vm-option", "--add-opens=no.such.module/x=ALL-UNNAMED",
               "--arguments", "default", "--add-launcher",
               "Tool=" + os.path.join(work, "tool.properties"),
               "--jdk", options.jdk, "--output", output, "--verify=5"]
    write(os.path.join(work, "tool.properties"),
          "# the second launcher\nmain-class = sample.Tool\narguments = one \"two words\"\n"
          "vm-options = -Dsample.tool=yes\n")
    status, out, err = run(command)
    print("$ " + " ".join(command) + "\n" + out + err)
    check(status == 0 and "Verified" in out, "vantrel-pack failed with status %d" % status)
    for warning in ["Add-Opens names javafx.graphics/com.sun.javafx.application, left out: "
                    "the runtime has no module javafx.graphics",
                    "names the module no.such.module, which the runtime does not have",
                    "the main jar's Launcher-Agent-Class sample.Agent is not supported"]:
        check(warning in out, "no warning: " + warning)
    app = os.path.join(output, "Sample")
    check_folder(app, version)
    status, out, err = run([options.check, "--config", os.path.join(app, "config.json")])
    check("names the module no.such.module" in out and "1 warning" in out,
          "vantrel-check: " + out + err)
    launcher = os.path.join(app, "Sample")
    status, out, err = run([launcher, "x"])
    check_lines(out, EXPECTED_LINES + ["args: default x"], "the packaged app")
    status, out, err = run([os.path.join(app, "Tool"), "z"])
    check(out == "tool yes: one two words z\n", "the second launcher: " + out + err)
    if not root:
        print("skipped: the hidden runs need root (unshare -m)")
        sys.exit(SKIPPED)
    hide = HIDDEN_SYSTEM + [inputs, outside, os.path.join(work, "host"), os.path.join(work, "docs")]
    status, out, err = hidden([launcher, "y"], hide)
    check(status == 0, "the hidden run failed (%d): %s%s" % (status, out, err))
    check_lines(out, EXPECTED_LINES + ["args: default y"], "the packaged app, hidden")
    server = TlsServer(work)
    try:
        status, out, err = hidden([launcher, "tls", str(server.port)], hide)
        check(status == 0 and "tls: TLS_" in out, "EC TLS, hidden (%d): %s%s" % (status, out, err))
        print(out.strip())
        if version == 17:
            copied_runtime(options, work, inputs, outside, hide, server.port)
    finally:
        server.close()


def copied_runtime(options, work, inputs, outside, hide, port):
    """The JDK itself as the runtime (--runtime): its links into /etc and to
    what is not installed resolved or left out; TLS works with it hidden."""
    output = os.path.join(work, "copied")
    shutil.rmtree(output, ignore_errors=True)
    call([options.pack, "--name", "Copied", "--input", inputs, "--main-jar", "app.jar",
          "--class-path", os.path.join(outside, "dep.jar"),
          "--native-lib", os.path.join(work, "host", "libhost.so"),
          "--runtime", options.jdk, "--output", output])
    app = os.path.join(output, "Copied")
    links = [os.path.join(top, name) for top, folders, names in os.walk(app)
             for name in folders + names if os.path.islink(os.path.join(top, name))]
    check(not links, "links left in the copied runtime: %r" % links[:5])
    status, out, err = hidden([os.path.join(app, "Copied"), "tls", str(port)], hide)
    check(status == 0 and "tls: TLS_" in out, "TLS with the copied runtime (%d): %s%s"
          % (status, out, err))
    status, out, err = run([options.check, "--config", os.path.join(app, "config.json")])
    check(out.endswith(": ok\n"), "vantrel-check on the copied runtime: " + out)


def java_version(jdk):
    with open(os.path.join(jdk, "release")) as release:
        for line in release:
            if line.startswith("JAVA_VERSION="):
                return int(line.split('"')[1].split(".")[0])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pack", required=True)
    parser.add_argument("--check", required=True)
    parser.add_argument("--jdk", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    return run_test(test_apps, options)


if __name__ == "__main__":
    sys.exit(main())
