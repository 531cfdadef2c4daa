"""One instance per user and app, and the restart on request, with a real JDK.

A first instance of java/app/InstanceProbe.java runs in the background and
prints each launch handed to it; later launches, a process of another user,
and bytes written straight to its socket try to reach it. Each case has an
app folder and a runtime folder ($XDG_RUNTIME_DIR) of its own.
"""
import glob
import os
import queue
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

CONFIG = {"mainClass": "app.InstanceProbe", "classPath": ["app.jar"],
          "singleInstance": "app.InstanceProbe.onLaunch"}
WAIT = 30  # seconds for a line that should come at once
RUNTIMES = None  # the folder of the cases' runtime folders ($XDG_RUNTIME_DIR)


def points(args):
    """InstanceProbe's rendering of arguments: "[U+0061] []"."""
    return " ".join("[" + " ".join("U+%04X" % ord(c) for c in arg) + "]" for arg in args)


def frame(kind, payload, magic=b"VNTL", version=1):
    return magic + bytes([version, kind, 0, 0]) + struct.pack("<I", len(payload)) + payload


def launch_frame(directory, args):
    texts = [directory.encode()] + [struct.pack("<I", len(args))] + [a.encode() for a in args]
    payload = struct.pack("<I", len(texts[0])) + texts[0] + texts[1]
    for arg in texts[2:]:
        payload += struct.pack("<I", len(arg)) + arg
    return frame(1, payload)


class Instance:
    """The launcher of `folder`, running in the background; its output is
    read line by line as it comes."""

    def __init__(self, s, folder, args, env):
        self.process = subprocess.Popen([os.path.join(folder, "vantrel")] + args, cwd=s.work,
                                        env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out, self.err = queue.Queue(), []
        threading.Thread(target=self._read, args=(self.process.stdout, self.out.put),
                         daemon=True).start()
        threading.Thread(target=self._read, args=(self.process.stderr, self.err.append),
                         daemon=True).start()

    @staticmethod
    def _read(stream, put):
        for line in iter(stream.readline, b""):
            put(line.decode("utf-8", "replace"))
        put(None)

    def lines(self, count, timeout=WAIT):
        """The next `count` lines of standard output (fewer at its end or when
        they do not come in time)."""
        got = []
        deadline = time.monotonic() + timeout
        while len(got) < count:
            try:
                line = self.out.get(timeout=max(0, deadline - time.monotonic()))
            except queue.Empty:
                break
            if line is None:
                break
            got.append(line)
        return "".join(got)

    def finish(self):
        """Waits for the end; the status, the rest of the output, the errors."""
        try:
            status = self.process.wait(timeout=WAIT * 2)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = self.process.wait()
        rest = self.lines(1000, timeout=5)
        return status, rest, "".join(line for line in self.err if line)


class Setup:
    """A case's app folder, runtime folder and environment."""

    def __init__(self, s, name, config=None, runtime=None):
        self.s = s
        self.folder = s.app(name, config=dict(CONFIG, **(config or {})))
        self.runtime = runtime or os.path.join(RUNTIMES, name)
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        self.env = s.environment({"XDG_RUNTIME_DIR": self.runtime})

    def start(self, args):
        return Instance(self.s, self.folder, args, self.env)

    def run(self, args, cwd=None):
        return self.s.run(self.folder, args, {"XDG_RUNTIME_DIR": self.runtime}, cwd=cwd)

    def socket_path(self):
        found = glob.glob(os.path.join(self.runtime, "vantrel", "*.socket"))
        return found[0] if len(found) == 1 else None

    def stop(self, instance):
        """Ends the first instance through a launch that says "stop"."""
        self.run(["stop"])
        return instance.finish()


def check(s, name, outcome, status, out, err=""):
    s.check(name, outcome, status, out, err)


def instance_cases(s):
    global RUNTIMES
    # Short: a socket's path has room for 107 bytes, whatever the checkout's path.
    RUNTIMES = tempfile.mkdtemp(prefix="vantrel-e2e-")
    try:
        for case in (handing_over, five_at_once, another_user, malformed_messages,
                     killed_and_hung, while_starting, restarts):
            case(s)
    finally:
        shutil.rmtree(RUNTIMES, ignore_errors=True)


def handing_over(s):
    """Later launches reach onLaunch with their working directory and
    arguments, and end silently; --new-instance starts a VM of its own."""
    setup = Setup(s, "single instance")
    first = setup.start(["first"])
    check(s, "single instance: the first starts", (0, first.lines(1), ""), 0,
          "started %s\n" % points(["first"]))
    args = ["", "\u00e9t\u00e9 \u65e5\u672c", "\U0001F600", "-c", "--console"]
    elsewhere = os.path.join(s.work, "single instance", "lib")
    os.makedirs(elsewhere)
    check(s, "single instance: a later launch ends silently", setup.run(args, cwd=elsewhere),
          0, "", "")
    check(s, "single instance: it reaches onLaunch", (0, first.lines(1), ""), 0,
          "launch %s %s\n" % (elsewhere, points(args)))
    check(s, "single instance: -c --new-instance starts its own VM",
          setup.run(["-c", "--new-instance", "--", "once"]), 0,
          "started %s\n" % points(["once"]), "")
    check(s, "single instance: the first ends when told", setup.stop(first), 0,
          "launch %s %s\n" % (s.work, points(["stop"])), "")


def five_at_once(s):
    """Of five launches at once one becomes the instance and takes the four
    others, none lost."""
    setup = Setup(s, "five at once")
    launches = [setup.start(["at once", str(i)]) for i in range(5)]
    deadline = time.monotonic() + WAIT
    while sum(l.process.poll() is None for l in launches) > 1 and time.monotonic() < deadline:
        time.sleep(0.05)
    running = [l for l in launches if l.process.poll() is None]
    check(s, "five at once: one VM", (0, str(len(running)), ""), 0, "1")
    if len(running) != 1:
        for launch in running:
            launch.process.kill()
        return
    first = running[0]
    ended = [l.finish() for l in launches if l is not first]
    check(s, "five at once: four end silently", (0, repr(ended), ""), 0, repr([(0, "", "")] * 4))
    # main may print its line after the first deliveries: they wait only until main began.
    lines = sorted(first.lines(5).splitlines(), key=lambda line: not line.startswith("started"))
    started = ["started " + points(["at once", str(i)]) for i in range(5)]
    winner = started.index(lines[0]) if lines and lines[0] in started else None
    expected = [started[winner] if winner is not None else "started ..."] + sorted(
        "launch %s %s" % (s.work, points(["at once", str(i)])) for i in range(5) if i != winner)
    check(s, "five at once: four deliveries", (0, "\n".join(lines[:1] + sorted(lines[1:])), ""),
          0, "\n".join(expected))
    setup.stop(first)


def client_as(user, path, data):
    """Sends `data` to the socket `path` as `user` (setpriv); what came back."""
    code = ("import socket, sys\n"
            "s = socket.socket(socket.AF_UNIX)\n"
            "try:\n"
            "    s.connect(sys.argv[1])\n"
            "except OSError as e:\n"
            "    print('no connection:', e.strerror); sys.exit()\n"
            "s.settimeout(3)\n"
            "try:\n"
            "    s.sendall(bytes.fromhex(sys.argv[2]))\n"
            "    print('answer' if s.recv(100) else 'closed')\n"
            "except TimeoutError:\n"
            "    print('no answer')\n"
            "except OSError:\n"
            "    print('closed')\n")
    command = ["setpriv", "--reuid=" + user, "--regid=" + user, "--clear-groups",
               sys.executable, "-c", code, path, data.hex()]
    return subprocess.run(command, capture_output=True, text=True, timeout=WAIT).stdout


def another_user(s):
    """A process of another user reaches neither the socket's folder nor,
    when the folder is opened up, the app: the instance checks its peer."""
    if os.geteuid() != 0 or not shutil.which("setpriv"):
        print("skip another user's launch (needs root and setpriv)")
        return
    runtime = tempfile.mkdtemp(prefix="vantrel-e2e-")
    try:
        setup = Setup(s, "another user", runtime=runtime)
        first = setup.start(["first"])
        first.lines(1)
        path = setup.socket_path()
        message = launch_frame("/", ["from nobody"])
        blocked = client_as("65534", path, message)
        os.chmod(runtime, 0o711)
        os.chmod(os.path.dirname(path), 0o711)
        os.chmod(path, 0o666)
        refused = client_as("65534", path, message)
        os.chmod(runtime, 0o700)
        check(s, "another user: the folder keeps it out, the peer check too",
              (0, blocked + refused, ""), 0,
              "no connection: Permission denied\nclosed\n")
        check(s, "another user: nothing delivered", setup.stop(first), 0,
              "launch %s %s\n" % (s.work, points(["stop"])), "")
    finally:
        shutil.rmtree(runtime, ignore_errors=True)


def malformed_messages(s):
    """Bytes that are no launch, written to the socket, change nothing."""
    setup = Setup(s, "malformed messages")
    first = setup.start(["first"])
    first.lines(1)
    good = launch_frame("/", ["x"])
    garbage = [b"GET / HTTP/1.0\r\n\r\n", frame(1, b"", magic=b"XXXX"), good[:4] + b"\x02" +
               good[5:], frame(1, b"")[:8] + struct.pack("<I", (1 << 20) + 1),
               frame(1, struct.pack("<II", 0, 10001)), frame(1, struct.pack("<II", 0, 2)),
               good[:-1], good + b"more", frame(2, b"")]
    answers = []
    for data in garbage:
        client = socket.socket(socket.AF_UNIX)
        client.settimeout(5)
        client.connect(setup.socket_path())
        client.sendall(data)
        client.shutdown(socket.SHUT_WR)
        try:
            answers.append(client.recv(100))
        except OSError as error:
            answers.append(str(error))
        client.close()
    check(s, "malformed messages: no answers", (0, repr(answers), ""), 0,
          repr([b""] * len(garbage)))
    check(s, "malformed messages: the app takes the next launch", setup.stop(first), 0,
          "launch %s %s\n" % (s.work, points(["stop"])), "")


def killed_and_hung(s):
    """A killed instance leaves nothing in the way; a hung one is named."""
    setup = Setup(s, "killed and hung")
    killed = setup.start(["killed"])
    killed.lines(1)
    killed.process.send_signal(signal.SIGKILL)
    killed.finish()
    first = setup.start(["after"])
    check(s, "killed instance: the next launch is the first", (0, first.lines(1), ""), 0,
          "started %s\n" % points(["after"]))
    first.process.send_signal(signal.SIGSTOP)
    check(s, "hung instance: a clear error", setup.run(["late"]), 1, "",
          "Error: the running instance of this app (process %d) did not answer within 5 "
          "seconds\n" % first.process.pid)
    first.process.send_signal(signal.SIGCONT)
    check(s, "hung instance: it goes on once it answers", setup.stop(first), 0,
          "launch %s %s\nlaunch %s %s\n" % (s.work, points(["late"]), s.work, points(["stop"])),
          "")


def while_starting(s):
    """A launch handed over while the app starts waits for its main; the
    one-argument method, and a method that throws."""
    setup = Setup(s, "while starting", {"vmArgs": ["-Dprobe.slowStart=1500"],
                                        "singleInstance": "app.InstanceProbe$ArgumentsOnly.onLaunch"})
    first = setup.start(["first"])
    first.lines(1)  # "initialising": the main class is being initialised
    check(s, "while starting: the launch is taken at once", setup.run(["early"]), 0, "", "")
    lines = sorted(first.lines(2).splitlines())
    check(s, "while starting: delivered once main began", (0, "\n".join(lines), ""), 0,
          "launch (none) %s\nstarted %s" % (points(["early"]), points(["first"])))
    setup.run(["throw"])
    status, out, err = setup.stop(first)
    check(s, "while starting: an exception in onLaunch goes to the thread's handler",
          (status, out, err), 0,
          "launch (none) %s\nlaunch (none) %s\n" % (points(["throw"]), points(["stop"])),
          re.compile(r'Exception in thread "Launch delivery" java\.lang\.IllegalStateException: '
                     r'in onLaunch\n(\tat .*\n)+'))


def restarts(s):
    """restartExitCode: a restart with the same arguments, with the lock
    released; and a loop stopped."""
    setup = Setup(s, "restart", {"restartExitCode": 3})
    counter = os.path.join(s.work, "restart runs")
    args = ["restart", counter, "3", "1"]
    check(s, "restart: once, with the same arguments", setup.run(args), 0,
          "run 1 %s\nrun 2 %s\n" % (points(args), points(args)), "")
    os.remove(counter)
    args = ["restart", counter, "3", "100"]
    check(s, "restart: a loop is stopped", setup.run(args), 1,
          "".join("run %d %s\n" % (run, points(args)) for run in range(1, 7)),
          "Error: the app asked to be restarted (exit status 3) more than 5 times within a "
          "minute; it is not restarted again\n")
