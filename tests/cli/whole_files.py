"""Job files are replaced whole or not at all. A job interrupted while it is written leaves the
old file as it was: Ctrl+C's signal takes the temporary file with it, a kill natively leaves
nothing where the file system has unnamed files, and any temporary a killed run leaves is cleared
away by the next job written into its folder. Two runs writing one file at once leave one of the
two jobs whole; a write that fails (here under a file-size limit) leaves the old file and says
why."""
import os
import re
import resource
import signal
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

OLD_JOB = b"^XA\n^FDthe job the user had^FS\n^XZ\n"
# 600 rows as TSPL labels at 300 dpi, some 54 MB: long enough to be caught in the middle.
BIG = ["--csv", "rows.csv", "--printer", "tsc-da310", "--layout", "barcode"]
OTHER = ["--csv", "rows.csv", "--printer", "dymo-lw-450", "--layout", "barcode"]


def command(args, words):
    return ([args.emulator] if args.emulator else []) + [args.tool] + words


def temporaries(folder):
    return sorted(name for name in os.listdir(folder) if name.endswith(".tmp"))


def reference(args, folder, words, name):
    code, _, err = oracle.run(args, ["job"] + words + ["--out", name], cwd=folder)
    if code != 0:
        sys.exit(f"tagmoor {' '.join(words)} failed: {err.decode(errors='replace')}")
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def unnamed_sizes(pid):
    """The sizes of the regular files without a name that a native process holds open."""
    sizes = []
    folder = f"/proc/{pid}/fd"
    for fd in os.listdir(folder) if os.path.isdir(folder) else []:
        try:
            st = os.stat(os.path.join(folder, fd))
        except OSError:
            continue
        if stat.S_ISREG(st.st_mode) and st.st_nlink == 0:
            sizes.append(st.st_size)
    return sizes


def check_interrupted(args, folder, signal_number):
    target = os.path.join(folder, "job.tspl")
    with open(target, "wb") as f:
        f.write(OLD_JOB)
    env = dict(os.environ, LC_ALL="C.UTF-8")
    run = subprocess.Popen(command(args, ["job"] + BIG + ["--out", "job.tspl"]), cwd=folder, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    # Once the temporary holds some of the job, the run is in the middle of writing it.
    deadline = time.monotonic() + 120
    unnamed = False
    while time.monotonic() < deadline and run.poll() is None:
        unnamed = not args.emulator and any(size > 1000000 for size in unnamed_sizes(run.pid))
        if unnamed or any(os.path.getsize(os.path.join(folder, t)) > 1000000 for t in temporaries(folder)):
            break
        time.sleep(0.01)
    if run.poll() is not None:
        return ["the job ended before it could be interrupted"]
    os.killpg(run.pid, signal_number)
    run.wait()
    name = signal.Signals(signal_number).name
    failures = []
    with open(target, "rb") as f:
        if f.read() != OLD_JOB:
            failures.append(f"a job interrupted by {name} changed the file it was to replace")
    left = temporaries(folder)
    if left and (signal_number == signal.SIGINT or unnamed):
        failures.append(f"a job interrupted by {name} left {left}")
    code, _, err = oracle.run(args, ["job", "--csv", "rows.csv", "--rows", "0:1", "--out", "next.zpl"], cwd=folder)
    if code != 0:
        failures.append(f"the job after one interrupted by {name} failed: {err.decode(errors='replace')}")
    if temporaries(folder):
        failures.append(f"the job after one interrupted by {name} left {temporaries(folder)}")
    return failures


def check_concurrent(args, folder):
    """Both runs succeed; the file is one whole job, the one that finished last."""
    jobs = {reference(args, folder, BIG, "big.tspl"), reference(args, folder, OTHER, "other.dymo")}
    env = dict(os.environ, LC_ALL="C.UTF-8")
    runs = [subprocess.Popen(command(args, ["job"] + words + ["--out", "shared.bin"]), cwd=folder, env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) for words in (BIG, OTHER)]
    codes = [run.wait() for run in runs]
    failures = [] if codes == [0, 0] else [f"concurrent runs ended with {codes}"]
    with open(os.path.join(folder, "shared.bin"), "rb") as f:
        if f.read() not in jobs:
            failures.append("concurrent runs left a file that is neither job")
    if temporaries(folder):
        failures.append(f"concurrent runs left {temporaries(folder)}")
    return failures


def limit_file_size(emulator):
    """Natively the limit's signal keeps its default action, which ends a program that does not
    ignore it; Windows has no such signal, so Wine's process is spared it."""
    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (1 << 20, 1 << 20))
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN if emulator else signal.SIG_DFL)
    return limit


def check_failed_write(args, folder):
    target = os.path.join(folder, "job.tspl")
    with open(target, "wb") as f:
        f.write(OLD_JOB)
    done = subprocess.run(command(args, ["job"] + BIG + ["--out", "job.tspl"]), cwd=folder, capture_output=True,
                          env=dict(os.environ, LC_ALL="C.UTF-8"), preexec_fn=limit_file_size(args.emulator))
    err = done.stderr.decode(errors="replace").replace("\r\n", "\n")
    reason = r".+" if args.emulator else "File too large"
    failures = []
    if done.returncode != 2 or not re.fullmatch(f"tagmoor: cannot write job\\.tspl: {reason}\n", err):
        failures.append(f"a write past the size limit gave {done.returncode}: {err!r}")
    with open(target, "rb") as f:
        if f.read() != OLD_JOB:
            failures.append("a failed write changed the file it was to replace")
    if temporaries(folder):
        failures.append(f"a failed write left {temporaries(folder)}")
    return failures


def main():
    args = oracle.arguments(__doc__)
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "rows.csv"), "w") as f:
            f.write("Name,Price,Barcode\n" + "".join(f"Tea blend {i},$3.{i % 100:02d},TEA-{i:05d}\n" for i in range(600)))
        kills = [signal.SIGKILL] if args.emulator else [signal.SIGINT, signal.SIGKILL]
        failures = [f for kill in kills for f in check_interrupted(args, folder, kill)]
        failures += check_concurrent(args, folder) + check_failed_write(args, folder)
    oracle.finish(failures, len(kills) + 2)


if __name__ == "__main__":
    main()
