"""Differential test: random 1-bit images turned by our raster blit and by netpbm's pamflip."""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

# Our rotations turn clockwise.
PAMFLIP = {0: ["-null"], 90: ["-cw"], 180: ["-r180"], 270: ["-ccw"]}


def pbm(width, height, rnd):
    stride = (width + 7) // 8
    rows = bytearray()
    for _ in range(height):
        row = bytearray(rnd.getrandbits(8) for _ in range(stride))
        row[-1] &= (0xFF << (stride * 8 - width)) & 0xFF  # padding stays clear
        rows += row
    return b"P4\n%d %d\n" % (width, height) + bytes(rows)


def parse_pbm(data):
    fields = data.split(maxsplit=3)
    return int(fields[1]), int(fields[2]), fields[3] if len(fields) > 3 else b""


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    with tempfile.TemporaryDirectory() as folder:
        jobs, cases = [], []
        for i in range(args.count // 4):
            source = os.path.join(folder, f"s{i}.pbm")
            with open(source, "wb") as f:
                f.write(pbm(rnd.randint(1, 70), rnd.randint(1, 40), rnd))
            for rotation, flags in PAMFLIP.items():
                ours = os.path.join(folder, f"o{i}-{rotation}.pbm")
                expected = subprocess.run(["pamflip"] + flags + [source], stdout=subprocess.PIPE, check=True).stdout
                jobs.append(f"{source} {rotation} {ours}\n")
                cases.append((source, rotation, ours, expected))
        job_file = os.path.join(folder, "jobs.txt")
        with open(job_file, "w") as f:
            f.writelines(jobs)
        oracle.run_tool(args, [job_file])
        failures = []
        for source, rotation, ours, expected in cases:
            with open(ours, "rb") as f:
                if parse_pbm(f.read()) != parse_pbm(expected):
                    failures.append(f"{os.path.basename(source)} turned {rotation} differs from pamflip")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
