"""Whole-process timings of the console tool, start to exit, as a script or a user sees them:
`tagmoor version`, `tagmoor job` writing 5000 ZPL labels, once as 5000 rows of their own and
once as 10 rows of 500 copies, and 5000 TSPL labels at 300 dpi (some 450 MB, streamed to the
file; the goal is under a second). Prints the best and the median of each.

    python3 bench/cli_process.py [--tool build/native/cli/tagmoor] [--runs 50]"""
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
            f.write(f"Loose leaf tea blend no. {i},${3 + i % 40}.{i % 100:02d},{ean13('5901234%05d' % i)}\n")


def timings(command, runs, cwd):
    """Wall-clock milliseconds of each run, after one run to warm the caches."""
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    spent = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        spent.append((time.perf_counter() - start) * 1000)
    return spent


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tool", default=os.path.join(root, "build", "native", "cli", "tagmoor"))
    parser.add_argument("--runs", type=int, default=50)
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)
    with tempfile.TemporaryDirectory() as folder:
        write_rows(os.path.join(folder, "rows.csv"), 5000)
        write_rows(os.path.join(folder, "ten.csv"), 10)
        cases = [
            ("version", [tool, "version"]),
            ("job, 5000 rows, ZPL", [tool, "job", "--csv", "rows.csv", "--layout", "barcode", "--sym", "ean13",
                                     "--out", "rows.zpl"]),
            ("job, 10 rows x 500, ZPL", [tool, "job", "--csv", "ten.csv", "--layout", "barcode", "--sym", "ean13",
                                         "--copies", "500", "--out", "ten.zpl"]),
            ("job, 5000 rows, TSPL 300", [tool, "job", "--csv", "rows.csv", "--layout", "barcode", "--sym", "ean13",
                                          "--printer", "tsc-da310", "--out", "rows.tspl"]),
        ]
        for name, command in cases:
            # The TSPL job writes some 450 MB a run: fewer runs of it.
            spent = timings(command, args.runs if "TSPL" not in name else max(3, args.runs // 10), folder)
            print(f"{name:26} best {min(spent):7.2f} ms   median {statistics.median(spent):7.2f} ms   ({args.runs} runs)")


if __name__ == "__main__":
    main()
