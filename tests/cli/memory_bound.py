"""A spreadsheet's table costs its file and one pointer a cell, no more: the console tool reads
files of the shapes that cost most (a header of the widest spreadsheet over many short rows, a
megabyte of header commas, 16 MiB of empty cells, 120,000 columns of short cells, 64 MiB of
delimiters or line ends, one huge cell), and its peak resident memory above that of reading a
small file stays within the file plus 8 bytes a cell of the table and a mebibyte. A table past
the reader's stated limit is refused without cells. Time is the benchmark's to measure."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

MiB = 1 << 20


def peak_kib(args, words, cwd):
    """Exit code, error stream and the peak resident memory in KiB of one run of the tool, as
    /usr/bin/time sees it (a child forked from this script would count the script's memory)."""
    command = ([args.emulator] if args.emulator else []) + [args.tool] + words
    with tempfile.NamedTemporaryFile(mode="r") as peak:
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak.name] + command, cwd=cwd,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL="C.UTF-8"))
        kib = int(peak.read().split()[-1])
    return done.returncode, done.stderr.decode(errors="replace").replace("\r\n", "\n"), kib


def shapes(folder):
    """(file, its bytes, the cells of its table (none when it is refused), the exit code, the
    error's start)."""
    def write(name, parts):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            for part in parts:
                f.write(part)
        return name, os.path.getsize(path)

    limit = "more than the 16777216 cells a table may hold"
    wide = ",".join(f"c{i}" for i in range(16384)).encode() + b"\n"
    widest = ",".join(f"c{i}" for i in range(120000)).encode() + b"\n"
    cases = [
        (write("wide.csv", [wide, b"Tea,1.00,42\n" * 5000]), 0, 2, "tagmoor: wide.csv: 5000 rows of 16384"),
        (write("commas.csv", [b"," * MiB + b"\n", b"Tea,1.00,42\n" * 3]), (MiB + 1) * 4, 0, ""),
        (write("empty-cells.csv", [b"\n" * (16 * MiB)]), 16 * MiB - 1, 0, ""),
        (write("short-cells.csv", [widest, (b"1," * 119999 + b"1\n") * 138]), 120000 * 139, 0, ""),
        (write("all-commas.csv", [b"," * (64 * MiB)]), 0, 2, "tagmoor: all-commas.csv: 67108865 columns are " + limit),
        (write("lines.csv", [b"1\n" * (32 * MiB)]), 0, 2, "tagmoor: lines.csv: 33554431 rows of 1 columns"),
        (write("blank.csv", [b"\n" * (64 * MiB)]), 0, 2, "tagmoor: blank.csv: 67108862 rows of 1 columns"),
        (write("one-cell.csv", [b"Name,Price\nTea,", b"9" * (64 * MiB - 15)]), 4, 0, ""),
    ]
    return cases


def main():
    args = oracle.arguments(__doc__)
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "small.csv"), "w") as f:
            f.write("Name,Price\nTea,1.00\n")
        _, _, baseline = peak_kib(args, ["check", "--csv", "small.csv"], folder)
        cases = shapes(folder)
        for (name, size), cells, code, error in cases:
            got, err, peak = peak_kib(args, ["check", "--csv", name], folder)
            bound = (size + 8 * cells) // 1024 + 1024
            print(f"{name}: {size // 1024} KiB, {cells} cells: {peak - baseline} KiB above the baseline, bound {bound}")
            if got != code or not err.startswith(error):
                failures.append(f"{name}: exit {got}, {err!r}; expected {code}, {error!r}")
            if peak - baseline > bound:
                failures.append(f"{name}: {peak - baseline} KiB above the baseline, more than {bound}")
            os.remove(os.path.join(folder, name))
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
