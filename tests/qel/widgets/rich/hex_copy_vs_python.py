#!/usr/bin/env python3
"""The hex viewer's copies against Python: for seeded byte strings, everything selected, Ctrl+C
gives bytes.hex(' ').upper() and Ctrl+Shift+C the bytes with every one outside 0x20 to 0x7E
written as a dot."""
import os
import random
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    cases = [bytes([0x00, 0x41, 0x0A])]
    for _ in range(args.count):
        length = rng.choice([1, 2, 15, 16, 17, rng.randrange(1, 3000)])
        cases.append(bytes(rng.randrange(256) for _ in range(length)))
    with tempfile.TemporaryDirectory() as folder:
        records = os.path.join(folder, "bytes")
        with open(records, "wb") as f:
            for data in cases:
                f.write(b"%d\n" % len(data) + data)
        lines = oracle.run_tool(args, [records]).split(b"\n")
    failures = []
    for i, data in enumerate(cases):
        want_hex = data.hex(" ").upper().encode()
        want_text = bytes(b if 0x20 <= b <= 0x7E else 0x2E for b in data)
        got_hex, got_text = lines[2 * i], lines[2 * i + 1]
        if got_hex != want_hex:
            failures.append(f"case {i}: hex {got_hex[:40]!r} want {want_hex[:40]!r}")
        if got_text != want_text:
            failures.append(f"case {i}: text {got_text[:40]!r} want {want_text[:40]!r}")
    oracle.finish(failures, len(cases))


main()
