#!/usr/bin/env python3
"""End-to-end tests of the installers vantrel-pack makes, used as their users
would: the sample app (examples/hello) packaged, installed, run, upgraded and
removed.

    run_installers.py linux --pack vantrel-pack --jdk JDK --work DIR
    run_installers.py msi   --pack vantrel-pack --launcher Vantrel.exe --runtime DIR
                            --javac-jdk JDK --wine wine-run.sh --work DIR

`linux` makes a deb and an rpm with the JDK's jlink, runs lintian on the deb,
reads the rpm's files and requirements, and (as root) installs the deb with
dpkg, runs /usr/bin/hello-app, validates its desktop entry, purges it and
checks that none of its files is left. `msi` signs with a throwaway CA and
code-signing certificate made with openssl, refuses a wrong password and an
unreadable certificate, makes MSIs of versions 1.2.0, 1.3.0 and 1.1.0 and,
in a wine prefix of its own, installs 1.2.0, runs the installed exe, upgrades
to 1.3.0, is refused 1.1.0 and uninstalls, checking files, shortcuts and the
registry at each step.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_pack import ROOT, SKIPPED, check, icon_png, make_jar, run, run_test  # noqa: E402

PASSWORD_VARIABLE = "VANTREL_TEST_SIGNING_PASSWORD"


def pack(options, inputs, output, *extra, env=None, expect=0):
    command = [options.pack, "--name", "Hello App", "--main-class", "hello.Main",
               "--input", inputs, "--output", output] + list(extra)
    started = time.time()
    status, out, err = run(command, env=env)
    print("$ %s\n%s%s(%.1f s)" % (" ".join(command), out, err, time.time() - started))
    check(status == expect, "vantrel-pack ended with status %d, not %d" % (status, expect))
    return out, err


def test_linux(options):
    work = os.path.abspath(options.work)
    inputs, png = make_jar(options.jdk, work), icon_png(work)
    output = os.path.join(work, "out")
    shutil.rmtree(output, ignore_errors=True)
    out, _ = pack(options, inputs, output, "--jdk", options.jdk, "--icon", png,
                  "--app-version", "1.2.3", "--vendor", "Acme", "--copyright", "(c) 2026 Acme",
                  "--description", "Says hello", "--maintainer", "Acme Team <team@acme.example>",
                  "--installer", "deb", "--installer", "rpm",
                  "--file-association", "hello:Hello document", "--url-scheme", "hello-app",
                  "--vm-option", "-Dhello.home=$APPDIR")
    deb = os.path.join(output, "hello-app_1.2.3_amd64.deb")
    rpm = os.path.join(output, "hello-app-1.2.3-1.x86_64.rpm")
    check(sorted(os.listdir(output)) == sorted(["Hello App", os.path.basename(deb),
                                                os.path.basename(rpm)]),
          "output: %r" % os.listdir(output))
    sizes = ["%s (%.1f MiB)" % (path, os.path.getsize(path) / 1048576.0) for path in (deb, rpm)]
    check(out.splitlines()[-1].endswith(", %s and %s" % tuple(sizes)),
          "the size report does not name the packages: " + out)
    status, out, err = run(["lintian", deb])
    print("lintian:\n" + out + err)
    check(not [line for line in out.splitlines() if line.startswith("E:")], "lintian errors")
    check_rpm(rpm)
    if os.geteuid() != 0:
        print("not root: the deb is not installed")
        return
    listing = run(["dpkg-deb", "-c", deb])[1]
    files = ["/" + line.split(" ./", 1)[1].split(" -> ")[0] for line in listing.splitlines()
             if " ./" in line and not line.endswith("/")]
    try:
        install_and_run(deb)
    finally:
        run(["dpkg", "--purge", "hello-app"])
    left = [path for path in files if os.path.lexists(path)]
    check(not left and not os.path.exists("/opt/hello-app"), "left after purging: %r" % left)


def check_rpm(rpm):
    status, out, err = run(["rpm", "-qpl", rpm])
    files = set(out.splitlines())
    for path in ["/opt/hello-app/Hello App", "/opt/hello-app/lib/hello.jar",
                 "/opt/hello-app/jre/lib/server/libjvm.so", "/usr/bin/hello-app",
                 "/usr/share/applications/hello-app.desktop",
                 "/usr/share/icons/hicolor/256x256/apps/hello-app.png",
                 "/usr/share/mime/packages/hello-app.xml"]:
        check(path in files, "rpm lacks %s: %s" % (path, err))
    status, out, err = run(["rpm", "-qp", "--requires", rpm])
    print("rpm requires:\n" + out)
    requires = out.splitlines()
    check("libc.so.6()(64bit)" in requires, "no libc.so.6 among the requirements")
    check(not [line for line in requires if "libjvm" in line or "libjava" in line],
          "the runtime's own libraries are required")


def install_and_run(deb):
    run(["dpkg", "--purge", "hello-app"])
    status, out, err = run(["dpkg", "-i", deb])
    check(status == 0, "dpkg -i failed: " + out + err)
    check(os.readlink("/usr/bin/hello-app") == "/opt/hello-app/Hello App", "the link")
    status, out, err = run(["/usr/bin/hello-app", "x"], cwd="/")
    print(out + err)
    check(status == 0 and "from Java" in out and "/opt/hello-app" in out,
          "/usr/bin/hello-app did not run the app from /opt/hello-app")
    entry = "/usr/share/applications/hello-app.desktop"
    status, out, err = run(["desktop-file-validate", entry])
    check(status == 0 and not out.strip(), "desktop-file-validate: " + out + err)
    text = open(entry).read()
    check("Exec=/usr/bin/hello-app %U\n" in text and "StartupWMClass=hello-Main\n" in text and
          "x-scheme-handler/hello-app;" in text, "desktop entry:\n" + text)
    check("*.hello" in open("/usr/share/mime/globs2").read(), "the MIME database lacks *.hello")


def make_certificate(work):
    """A throwaway CA and a code-signing certificate signed by it, in
    signer.p12 with the CA; returns the p12 and the CA's certificate."""
    folder = os.path.join(work, "certificates")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    at = lambda name: os.path.join(folder, name)
    with open(at("leaf.cnf"), "w") as config:
        config.write("[leaf]\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                     "extendedKeyUsage=codeSigning\n")
    env = dict(os.environ, **{PASSWORD_VARIABLE: "s3cret pass"})
    for command in (
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", at("ca.key"),
             "-out", at("ca.pem"), "-days", "2", "-subj", "/CN=Vantrel Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
            ["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", at("leaf.key"),
             "-out", at("leaf.csr"), "-subj", "/CN=Acme Test Signer"],
            ["openssl", "x509", "-req", "-in", at("leaf.csr"), "-CA", at("ca.pem"),
             "-CAkey", at("ca.key"), "-CAcreateserial", "-out", at("leaf.pem"), "-days", "2",
             "-extfile", at("leaf.cnf"), "-extensions", "leaf"],
            ["openssl", "pkcs12", "-export", "-inkey", at("leaf.key"), "-in", at("leaf.pem"),
             "-certfile", at("ca.pem"), "-out", at("signer.p12"),
             "-passout", "env:" + PASSWORD_VARIABLE]):
        status, out, err = run(command, env=env)
        check(status == 0, "%s failed: %s" % (" ".join(command[:2]), err))
    return at("signer.p12"), at("ca.pem"), env


def verify_signature(path, ca):
    status, out, err = run(["osslsigncode", "verify", "-CAfile", ca, "-in", path])
    check(status == 0 and "Signature verification: ok" in out,
          "osslsigncode verify %s: %s%s" % (path, out, err))


class Wine:
    """A wine prefix of the test's own, with its home folder inside the work
    folder and no menu entries made for the host's desktop."""

    def __init__(self, wine, work):
        self.wine, self.env = os.path.abspath(wine), dict(os.environ)
        self.prefix = os.path.join(work, "prefix")
        home = os.path.join(work, "home")
        for folder in (self.prefix, home):
            shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(home)
        self.env.update(WINEPREFIX=self.prefix, HOME=home, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self("wineboot", "--init")
        # A server kept running makes each later program start in a moment.
        subprocess.run([self.server(), "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @staticmethod
    def server():
        return shutil.which("wineserver") or "/usr/lib/wine/wineserver"

    def __call__(self, *arguments, cwd=None):
        # Output through files, not pipes: programs that wine starts on the
        # way (services) may keep a pipe open long after this one ended.
        started = time.time()
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run([self.wine] + list(arguments), cwd=cwd, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                    timeout=600).returncode
            out.seek(0)
            err.seek(0)
            out, err = (part.read().decode("utf-8", "replace").replace("\r\n", "\n")
                        for part in (out, err))
        print("wine %s: status %d (%.1f s)" % (" ".join(arguments[:2]), status,
                                               time.time() - started))
        return status, out, err

    def user_folder(self, *parts):
        users = [path for path in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*"))
                 if not path.endswith("Public")]
        return os.path.join(users[0], *parts)

    def query(self, key):
        """{value name: data} of a registry key, None when it is missing."""
        status, out, err = self("reg", "query", key)
        if status != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2] if len(parts) > 2 else ""
        return values

    def products(self):
        """The uninstall entries named Hello App: {key: values}."""
        root = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
        status, out, err = self("reg", "query", root)
        keys = [line.strip() for line in out.splitlines() if line.strip().startswith("HKEY")]
        entries = {key: self.query(key) for key in keys if key.endswith("}")}
        return {key: values for key, values in entries.items()
                if values and values.get("DisplayName") == "Hello App"}

    def stop(self):
        subprocess.run([self.server(), "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def versions_for_msi(options, work, p12, env):
    """The MSIs of 1.2.0 (signed, with old.jar), 1.3.0 (with new.jar) and 1.1.0."""
    inputs = make_jar(options.javac_jdk, work)
    made = {}
    for version, jar in (("1.2.0", "old.jar"), ("1.3.0", "new.jar"), ("1.1.0", "old.jar")):
        folder = os.path.join(work, "input-" + version)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy(os.path.join(inputs, "hello.jar"), folder)
        shutil.copy(os.path.join(inputs, "a-util.jar"), os.path.join(folder, jar))
        output = os.path.join(work, "out-" + version)
        shutil.rmtree(output, ignore_errors=True)
        extra = ["--sign-pkcs12", p12, "--sign-password-env", PASSWORD_VARIABLE] \
            if version == "1.2.0" else []
        pack(options, folder, output, "--target", "windows", "--launcher", options.launcher,
             "--runtime", options.runtime, "--app-version", version, "--vendor", "Acme \u00dcber",
             "--icon", os.path.join(ROOT, "native", "resources", "vantrel.ico"),
             "--installer", "msi", "--desktop-shortcut", "--file-association",
             "hello:Hello document", "--url-scheme", "hello-app", *extra, env=env)
        made[version] = os.path.join(output, "Hello App-%s.msi" % version)
    return made


def signing_errors(options, work, p12, env):
    """A wrong password and an unreadable certificate: status 2, nothing made."""
    output = os.path.join(work, "out-refused")
    cases = [("wrong password", p12, dict(env, **{PASSWORD_VARIABLE: "wrong"}),
              "cannot use the certificate %s: wrong password" % p12),
             ("unreadable certificate", os.path.join(work, "missing.p12"), env,
              "cannot use the certificate")]
    for what, certificate, environment, message in cases:
        shutil.rmtree(output, ignore_errors=True)
        out, err = pack(options, make_jar(options.javac_jdk, work), output, "--target", "windows",
                        "--launcher", options.launcher, "--runtime", options.runtime,
                        "--installer", "msi", "--sign-pkcs12", certificate,
                        "--sign-password-env", PASSWORD_VARIABLE, env=environment, expect=2)
        check(message in err, "%s: %s" % (what, err))
        check(not os.path.exists(output) or not os.listdir(output), what + ": files were made")


def test_msi(options):
    for path, what in ((options.pack, "host vantrel-pack"),
                       (os.path.join(options.runtime, "bin", "server", "jvm.dll"),
                        "Windows runtime")):
        if not os.path.isfile(path):
            print("skipped: no %s at %s" % (what, path))
            sys.exit(SKIPPED)
    work = os.path.abspath(options.work)
    p12, ca, env = make_certificate(work)
    signing_errors(options, work, p12, env)
    msis = versions_for_msi(options, work, p12, env)
    exe = os.path.join(os.path.dirname(msis["1.2.0"]), "Hello App", "Hello App.exe")
    verify_signature(exe, ca)
    verify_signature(msis["1.2.0"], ca)
    # wixl writes no shortcut properties; the table msibuild adds gives both
    # shortcuts the AppUserModelID (wine ignores it, Windows reads it).
    status, table, err = run(["msiinfo", "export", msis["1.2.0"], "MsiShortcutProperty"])
    check(table.count("\tAcme\u00dcber.HelloApp") == 2, "shortcut properties: " + table + err)
    verify_signature(os.path.join(os.path.dirname(exe), "jre", "bin", "java.exe"), ca)
    wine = Wine(options.wine, work)
    try:
        install_upgrade_remove(wine, msis)
    finally:
        wine.stop()


def install_upgrade_remove(wine, msis):
    folder = wine.user_folder("AppData", "Local", "Programs", "Hello App")
    start_menu = wine.user_folder("AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                                  "Programs", "Hello App.lnk")
    desktop = wine.user_folder("Desktop", "Hello App.lnk")
    status, out, err = wine("msiexec", "/i", msis["1.2.0"], "/qn")
    check(status == 0, "installing 1.2.0: status %d %s" % (status, err))
    for name in ("Hello App.exe", "config.json", "lib/hello.jar", "lib/old.jar",
                 "jre/bin/server/jvm.dll"):
        check(os.path.isfile(os.path.join(folder, name)), "not installed: " + name)
    check(os.path.isfile(start_menu) and os.path.isfile(desktop), "shortcuts missing")
    products = wine.products()
    check(len(products) == 1 and list(products.values())[0].get("DisplayVersion") == "1.2.0",
          "uninstall entries: %r" % products)
    classes = r"HKCU\Software\Classes"
    command = wine.query(classes + r"\HelloApp.hello\shell\open\command") or {}
    scheme = wine.query(classes + r"\hello-app") or {}
    check((wine.query(classes + r"\.hello") or {}).get("(Default)") == "HelloApp.hello" and
          command.get("(Default)", "").endswith('Hello App.exe" "%1"') and
          "URL Protocol" in scheme, "associations: %r %r" % (command, scheme))
    status, out, err = wine(os.path.join(folder, "Hello App.exe"), "x", cwd=folder)
    print(out + err)
    check(status == 0 and "from Java" in out, "the installed, signed exe did not run")
    status, out, err = wine("msiexec", "/i", msis["1.3.0"], "/qn")
    products = wine.products()
    check(status == 0 and len(products) == 1 and
          list(products.values())[0].get("DisplayVersion") == "1.3.0",
          "upgrading to 1.3.0: status %d, entries %r" % (status, products))
    check(os.path.isfile(os.path.join(folder, "lib", "new.jar")) and
          not os.path.exists(os.path.join(folder, "lib", "old.jar")), "1.3.0's files")
    status, out, err = wine("msiexec", "/i", msis["1.1.0"], "/qn")
    products = wine.products()
    check(status != 0 and len(products) == 1 and
          list(products.values())[0].get("DisplayVersion") == "1.3.0",
          "1.1.0 over 1.3.0: status %d, entries %r" % (status, products))
    status, out, err = wine("msiexec", "/x", msis["1.3.0"], "/qn")
    check(status == 0, "uninstalling: status %d" % status)
    left = [path for path in (folder, start_menu, desktop) if os.path.lexists(path)]
    check(not left and not wine.products() and wine.query(classes + r"\.hello") is None and
          wine.query(classes + r"\hello-app") is None, "left after uninstalling: %r" % left)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["linux", "msi"])
    parser.add_argument("--pack", required=True)
    parser.add_argument("--jdk")
    parser.add_argument("--javac-jdk")
    parser.add_argument("--launcher")
    parser.add_argument("--runtime")
    parser.add_argument("--wine")
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    return run_test({"linux": test_linux, "msi": test_msi}[options.mode], options)


if __name__ == "__main__":
    sys.exit(main())
