"""Whole-process timings of the console tool, start to exit, as a script or a user sees them:
`tagmoor version`, `tagmoor job` writing 5000 labels in each language (ZPL once as 5000 rows
of their own and once as 10 rows of 500 copies; Brother QL, DYMO, and TSPL at 203 and at 300
dpi, the last some 450 MB), and `tagmoor check` of 1,000,000 rows. Beside them, what writing
the TSPL job's bytes costs the machine alone: a file of the same length written in the same
pieces and put in place the same way, and dd writing as many in a process of its own. Each
run writes a new file, the last run's being removed and the system's pending writes done
first, untimed: a file system may write a file that replaces one at once, and may hold back a
writer while others' data goes to disk, which would time the disk rather than the tool. With
--before, a second build's tool (an older commit's, say) runs each case too, alternating with
the first, so that both see the same load. Prints the best and the median of each; the goals
are 0.3 s a job, the 450 MB one within 1.5 times its writing, and 2 s for the check.

    python3 bench/cli_process.py [--tool build/native/cli/tagmoor] [--before OLD] [--runs 20]"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time


def ean13(body):
    total = sum(int(d) * (3 if i % 2 == 0 else 1) for i, d in enumerate(reversed(body)))
    return body + str((10 - total % 10) % 10)


def write_rows(path, count):
    with open(path, "w") as f:
        f.write("Name,Price,Barcode\n")
        for i in range(count):
            f.write(f"Loose leaf tea blend no. {i},${3 + i % 40}.{i % 100:02d},{ean13('2%011d' % i)}\n")


def write_like_a_job(folder, length):
    """Writes `length` bytes in the job's pieces to a new file beside the target, which it then
    replaces, as a job file is written."""
    piece = bytes(256 * 1024)
    path = os.path.join(folder, ".raw.tmp")
    with open(path, "wb", buffering=0) as f:
        for _ in range(length // len(piece)):
            f.write(piece)
        f.write(piece[: length % len(piece)])
    os.replace(path, os.path.join(folder, "raw.bin"))


def timed(run):
    start = time.perf_counter()
    run()
    return (time.perf_counter() - start) * 1000


def tool_run(command, cwd):
    return lambda: subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)


def remove_output(words, cwd):
    """Removes the file a run writes (its --out) and lets the system write out what earlier runs
    left, before the run and untimed, so that no run pays for another's writing."""
    if "--out" in words:
        path = os.path.join(cwd, words[words.index("--out") + 1])
        if os.path.exists(path):
            os.remove(path)
    os.sync()


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tool", default=os.path.join(root, "build", "native", "cli", "tagmoor"))
    parser.add_argument("--before", help="another build's tool, timed alongside")
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()
    tools = [("", os.path.abspath(args.tool))]
    if args.before:
        tools.append(("before", os.path.abspath(args.before)))
    with tempfile.TemporaryDirectory() as folder:
        write_rows(os.path.join(folder, "rows.csv"), 5000)
        write_rows(os.path.join(folder, "ten.csv"), 10)
        write_rows(os.path.join(folder, "million.csv"), 1000000)
        barcode = ["--layout", "barcode", "--sym", "ean13"]
        cases = [
            ("version", ["version"]),
            ("job, 5000 rows, ZPL", ["job", "--csv", "rows.csv"] + barcode + ["--out", "rows.zpl"]),
            ("job, 10 rows x 500, ZPL", ["job", "--csv", "ten.csv"] + barcode + ["--copies", "500", "--out", "ten.zpl"]),
            ("job, 5000, Brother QL", ["job", "--csv", "rows.csv"] + barcode + ["--printer", "brother-ql-800", "--out",
                                                                                "rows.ql"]),
            ("job, 5000, DYMO", ["job", "--csv", "rows.csv"] + barcode + ["--printer", "dymo-lw-450", "--out", "rows.lw"]),
            ("job, 5000, TSPL 203", ["job", "--csv", "rows.csv"] + barcode + ["--printer", "tsc-da210", "--out",
                                                                              "rows203.tspl"]),
            ("job, 5000, TSPL 300", ["job", "--csv", "rows.csv"] + barcode + ["--printer", "tsc-da310", "--out",
                                                                              "rows300.tspl"]),
            ("check, 1,000,000 rows", ["check", "--csv", "million.csv"] + barcode),
        ]
        runs = {}
        for name, words in cases:
            for label, tool in tools:
                run = tool_run([tool] + words, folder)
                run()  # warms the caches
                runs[(name, label)] = (run, lambda words=words: remove_output(words, folder))
        tspl = os.path.getsize(os.path.join(folder, "rows300.tspl"))
        runs[("writing the TSPL 300 job's bytes alone", "")] = (
            lambda: write_like_a_job(folder, tspl), lambda: remove_output(["--out", "raw.bin"], folder))
        dd = ["dd", "if=/dev/zero", "of=dd.bin", "bs=256K", "iflag=count_bytes", f"count={tspl}", "status=none"]
        runs[("the same bytes by dd, a process of its own", "")] = (
            tool_run(dd, folder), lambda: remove_output(["--out", "dd.bin"], folder))
        spent = {key: [] for key in runs}
        # Slow cases get fewer runs; every case's runs are spread over the whole time, and the
        # order turns about each time, so that neither tool always runs after the same case.
        for i in range(args.runs):
            for key, (run, before) in (list(runs.items()) if i % 2 == 0 else reversed(list(runs.items()))):
                if i < max(3, args.runs // 4) or not any(word in key[0] for word in ("TSPL", "check", "dd")):
                    before()
                    spent[key].append(timed(run))
        for (name, label), times in spent.items():
            title = f"{name} ({label})" if label else name
            print(f"{title:48} best {min(times):8.1f} ms   median {statistics.median(times):8.1f} ms"
                  f"   ({len(times)} runs)")


if __name__ == "__main__":
    main()
