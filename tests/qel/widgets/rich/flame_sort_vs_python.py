"""Seeded span arrays (repeated depths, starts and ends, zero-length spans) sorted by the flame
graph's sort and by Python's sorted with the key (depth, start, -end): the keys come out in the
same sequence."""
import os
import random
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402


def random_spans(rng):
    spans = []
    for _ in range(rng.choice([0, 1, 2, 7, 50, 400])):
        start = rng.choice([rng.randrange(20), round(rng.uniform(-5, 5), 6)])
        end = start + rng.choice([0, 1, 2, round(rng.uniform(0, 3), 6)])
        spans.append((rng.randrange(-2, 6), float(start), float(end)))
    return spans


def run_case(args, rng, case):
    spans = random_spans(rng)
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write("".join(f"{d} {s!r} {e!r}\n" for d, s, e in spans))
    try:
        out = oracle.run_tool(args, ["sort", f.name]).decode().split()
    finally:
        os.unlink(f.name)
    got = [(int(out[i]), float(out[i + 1]), float(out[i + 2])) for i in range(0, len(out), 3)]
    want = sorted(spans, key=lambda s: (s[0], s[1], -s[2]))
    if got == want:
        return []
    first = next(i for i in range(len(want)) if i >= len(got) or got[i] != want[i])
    return [f"case {case}: at {first} {got[first:first + 3]} instead of {want[first:first + 3]}"]


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    failures = []
    for case in range(args.count):
        failures += run_case(args, rng, case)
    oracle.finish(failures, args.count)


main()
