"""Prints through real print queues. Starts a private CUPS scheduler (its own configuration,
spool folders and socket inside the test's folder, so that parallel runs and the machine's own
scheduler are left alone) with two raw queues whose device writes each job to a file; lists and
prints with our spool tool, the Windows build under Wine, whose spooler passes jobs on to the
scheduler named by CUPS_SERVER; compares the bytes that arrive; stops the scheduler by its
process id."""
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

# Queue name -> the file its device writes. The second name needs the wide spooler calls.
QUEUES = {"tagmoor-rig": "plain.bin", "\u00c9tiquettes-caf\u00e9 \u8336": "accents.bin"}
# Queues in the states a print can meet: paused (its jobs wait), and refusing new jobs.
PAUSED_QUEUE, REJECTING_QUEUE = "tagmoor-paused", "tagmoor-rejecting"
MISSING_QUEUE = "tagmoor-no-such-queue"


class Scheduler:
    """A cupsd of our own; its configuration keeps every file it writes inside `root`."""

    def __init__(self, root, backend):
        self.root = root
        self.out = os.path.join(root, "out")
        # A Unix socket path has a limit of about 100 bytes; deep build folders go to /tmp.
        self.socket_dir = root if len(root) < 80 else tempfile.mkdtemp(prefix="tagmoor-cups-")
        self.socket = os.path.join(self.socket_dir, "cups.sock")
        self.process = None
        for sub in ["etc", "bin/backend", "spool", "cache", "state", "tmp", "log", "out"]:
            os.makedirs(os.path.join(root, sub), exist_ok=True)
        # A root cupsd runs only programs in folders that no one else may write to.
        for sub in ["bin", "bin/backend"]:
            os.chmod(os.path.join(root, sub), 0o755)
        os.symlink("/usr/lib/cups/daemon", os.path.join(root, "bin", "daemon"))
        device = os.path.join(root, "bin", "backend", "rawfile")
        shutil.copyfile(backend, device)
        # Owned by the user running cupsd and private to it: a root cupsd then runs it as root.
        os.chmod(device, 0o700)
        self.write("etc/cups-files.conf", "".join(f"{key} {os.path.join(root, sub)}\n" for key, sub in [
            ("ServerRoot", "etc"), ("ServerBin", "bin"), ("RequestRoot", "spool"), ("CacheDir", "cache"),
            ("StateDir", "state"), ("TempDir", "tmp"), ("ErrorLog", "log/error_log"),
            ("AccessLog", "log/access_log"), ("PageLog", "log/page_log"), ("Printcap", "printcap"),
            ("ServerKeychain", "etc/ssl")]))
        self.write("etc/cupsd.conf", f"Listen {self.socket}\nBrowsing No\n"
                   "WebInterface No\nLogLevel warn\nDefaultAuthType None\n"
                   "<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
        states = [(name, file, "Idle", "Yes") for name, file in QUEUES.items()]
        states += [(PAUSED_QUEUE, "paused.bin", "Stopped", "Yes"), (REJECTING_QUEUE, "rejecting.bin", "Idle", "No")]
        self.write("etc/printers.conf", "".join(
            f"<Printer {name}>\nDeviceURI rawfile:{os.path.join(self.out, file)}\n"
            f"State {state}\nAccepting {accepting}\nShared No\n</Printer>\n" for name, file, state, accepting in states))

    def write(self, name, text):
        with open(os.path.join(self.root, name), "w", encoding="utf-8") as f:
            f.write(text)

    def environment(self):
        return dict(os.environ, CUPS_SERVER=self.socket)

    def start(self):
        etc = os.path.join(self.root, "etc")
        self.process = subprocess.Popen(["/usr/sbin/cupsd", "-f", "-c", os.path.join(etc, "cupsd.conf"),
                                         "-s", os.path.join(etc, "cups-files.conf")])
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and self.process.poll() is None:
            # lpstat -r exits with 0 whether the scheduler runs or not; its words tell.
            done = subprocess.run(["lpstat", "-r"], env=self.environment(), capture_output=True, text=True)
            if "is running" in done.stdout and "not running" not in done.stdout:
                return
            time.sleep(0.1)
        self.fail("the scheduler did not start")

    def stop(self):
        if self.process and self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.kill(self.process.pid, signal.SIGKILL)
                self.process.wait()
        if self.socket_dir != self.root:
            shutil.rmtree(self.socket_dir, ignore_errors=True)

    def fail(self, why):
        log = os.path.join(self.root, "log", "error_log")
        if os.path.exists(log):
            with open(log, encoding="utf-8", errors="replace") as f:
                sys.stderr.write(f.read()[-4000:])
        sys.exit(why)

    def take_output(self, file, timeout=30):
        """The bytes a queue's device wrote, once the job has passed through; then removed."""
        path = os.path.join(self.out, file)
        deadline = time.monotonic() + timeout
        while not os.path.exists(path):
            if time.monotonic() > deadline:
                self.fail(f"no job arrived in {file}")
            time.sleep(0.05)
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
        return data


def run_tool(args, scheduler, tool_args):
    code, out, _ = oracle.run(args, tool_args, env=scheduler.environment())
    return code, out.decode("utf-8", errors="replace")


def send(args, scheduler, queue, job_path):
    return run_tool(args, scheduler, ["send", queue.encode("utf-8").hex(), job_path])


def payload(size):
    """Every byte value, printer text and binary noise: what a raster job holds."""
    rnd = random.Random(20261210)
    head = bytes(range(256)) + b"^XA\n^FH\\^FD\xc3\xa9\\5E^FS\n^XZ\r\n\x1b@\x1bia\x01\x00\x00\x1a"
    return head + rnd.randbytes(size - len(head))


def check_causes(args, scheduler, job):
    """Failures say what happened: a queue that is not there, one that turns jobs away, a
    scheduler that cannot be reached; a paused queue takes the job, which waits, and says so.
    Under Wine a paused CUPS queue looks like any other, and with no scheduler Wine lists no
    queues at all, so those two read as Wine shows them."""
    failures = []
    cases = [
        (MISSING_QUEUE, scheduler.environment(), 4, "there is no print queue named " + MISSING_QUEUE),
        (REJECTING_QUEUE, scheduler.environment(), 4, f"the queue {REJECTING_QUEUE} does not accept jobs: "),
        (PAUSED_QUEUE, scheduler.environment(), 0, ""),
        (next(iter(QUEUES)), dict(os.environ, CUPS_SERVER=os.path.join(scheduler.root, "none.sock")), 4,
         "there is no print queue named " if args.emulator else "the print system cannot be reached at "),
    ]
    for queue, env, code, start in cases:
        got, out, _ = oracle.run(args, ["send", queue.encode("utf-8").hex(), job], env=env)
        message = out.decode("utf-8", errors="replace").strip()
        if got != code or not message.startswith(start):
            failures.append(f"sending to {queue!r} gave {got}: {message!r}, expected {code}: {start!r}")
    _, paused = run_tool(args, scheduler, ["paused", PAUSED_QUEUE.encode("utf-8").hex()])
    _, idle = run_tool(args, scheduler, ["paused", next(iter(QUEUES)).encode("utf-8").hex()])
    if (paused.strip(), idle.strip()) != ("0" if args.emulator else "1", "0"):
        failures.append(f"paused queues read as {paused.strip()} and {idle.strip()}")
    return failures


def main():
    args = oracle.arguments(__doc__, "--backend")
    root = tempfile.mkdtemp(prefix="print-rig-", dir=os.getcwd())
    scheduler = Scheduler(root, args.backend)
    failures = []
    try:
        scheduler.start()
        code, listed = run_tool(args, scheduler, ["list"])
        # These names exist only on our scheduler: finding them shows the tool reached it.
        for queue in QUEUES:
            if code != 0 or queue not in listed.splitlines():
                failures.append(f"queue {queue!r} not listed (exit {code}): {listed!r}")

        for (queue, file), size in zip(QUEUES.items(), [1500000, 5000]):
            job = os.path.join(root, f"job-{size}.bin")
            data = payload(size)
            with open(job, "wb") as f:
                f.write(data)
            code, message = send(args, scheduler, queue, job)
            if code != 0:
                failures.append(f"sending to {queue!r} gave {code}: {message}")
                continue
            arrived = scheduler.take_output(file)
            if arrived != data:
                failures.append(f"{queue!r}: {len(arrived)} bytes arrived for {len(data)} sent, first difference at "
                                f"{next((i for i, (a, b) in enumerate(zip(arrived, data)) if a != b), min(len(arrived), len(data)))}")

        empty = os.path.join(root, "empty.bin")
        open(empty, "wb").close()
        code, message = send(args, scheduler, next(iter(QUEUES)), empty)
        # Windows takes an empty document and prints nothing; CUPS refuses one, and says so.
        if (code, message.startswith("cupsFinishDocument failed: ")) != ((0, False) if args.emulator else (4, True)):
            failures.append(f"an empty job gave {code}: {message}")
        failures += check_causes(args, scheduler, os.path.join(root, "job-5000.bin"))
    finally:
        scheduler.stop()
    for failure in failures:
        print(failure)
    if failures:
        scheduler.fail(f"{len(failures)} print-queue checks failed")
    shutil.rmtree(root, ignore_errors=True)
    print("every job arrived byte for byte")


if __name__ == "__main__":
    main()
