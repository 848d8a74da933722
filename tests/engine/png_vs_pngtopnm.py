"""Differential test: random rasters written by our PNG writer at random scales, decoded by
netpbm's pngtopnm, against the same rasters written as PBM, enlarged dot by dot."""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402


def netpbm_fields(data, count):
    """The first `count` header fields of a netpbm image and the bytes after them."""
    fields, at = [], 0
    while len(fields) < count:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    return fields, data[at + 1:]


def expected_grey(pbm, scale):
    (magic, width, height), rows = netpbm_fields(pbm, 3)
    assert magic == b"P4", magic
    width, height = int(width), int(height)
    stride = (width + 7) // 8
    out = bytearray()
    for y in range(height * scale):
        row = rows[(y // scale) * stride:(y // scale + 1) * stride]
        for x in range(width * scale):
            dot = (row[(x // scale) >> 3] >> (7 - (x // scale) % 8)) & 1
            out.append(0 if dot else 255)
    return width * scale, height * scale, bytes(out)


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    with tempfile.TemporaryDirectory() as folder:
        cases = []
        for i in range(args.count // 4):
            base = os.path.join(folder, f"i{i}")
            cases.append((base, rnd.randrange(1 << 30), rnd.randint(1, 70), rnd.randint(1, 40), rnd.randint(1, 4)))
        jobs = os.path.join(folder, "jobs.txt")
        with open(jobs, "w") as f:
            f.writelines(f"image {seed} {w} {h} {scale} {base}\n" for base, seed, w, h, scale in cases)
        lines = oracle.run_tool(args, [jobs]).decode().splitlines()
        failures = []
        for (base, _, w, h, scale), line in zip(cases, lines):
            if line != "0 0":
                failures.append(f"{w}x{h} at scale {scale}: results {line}")
                continue
            with open(base + ".pbm", "rb") as f:
                want = expected_grey(f.read(), scale)
            decoded = subprocess.run(["pngtopnm", base + ".png"], stdout=subprocess.PIPE, check=True).stdout
            (magic, gw, gh, maxval), pixels = netpbm_fields(decoded, 4)
            got = (int(gw), int(gh), pixels)
            if magic != b"P5" or maxval != b"255" or got != want:
                failures.append(f"{w}x{h} at scale {scale}: the PNG is not the raster enlarged")
    if len(lines) != len(cases):
        failures.append(f"{len(lines)} results for {len(cases)} cases")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
