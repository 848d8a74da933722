"""Differential test: our EAN-13, UPC-A and Code 128 module patterns against zint's --dump, bar
for bar. Code 128 is compared on texts without digits, which both encode in code set B, chosen so
that every check value 0..102 occurs."""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

EAN13, UPCA, CODE128 = 0, 1, 2
ZINT = {EAN13: "EANX", UPCA: "UPCA", CODE128: "CODE128"}
SYMBOLOGY = {EAN13: 1, UPCA: 2, CODE128: 0}
NON_DIGITS = [chr(c) for c in range(32, 127) if not chr(c).isdigit()]


def code128_cases():
    texts = list(NON_DIGITS)
    for check in range(103):
        for a in NON_DIGITS:
            b = [c for c in NON_DIGITS if (104 + ord(a) - 32 + 2 * (ord(c) - 32)) % 103 == check]
            if b:
                texts.append(a + b[0])
                break
    return texts


def zint_bits(kind, text):
    done = subprocess.run(["zint", "-b", ZINT[kind], "-d", text, "--dump"], stdout=subprocess.PIPE, check=True)
    return "".join(format(int(n, 16), "0%db" % (4 * len(n))) for n in done.stdout.decode().split())


def without_quiet_zones(bits):
    first, last = bits.index("1"), bits.rindex("1")
    return bits[first:last + 1]


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    cases = []
    for _ in range(args.count // 4):
        digits = "".join(rnd.choice("0123456789") for _ in range(12))
        cases.append((EAN13, digits))
        cases.append((UPCA, digits[:11]))
    cases += [(CODE128, text) for text in code128_cases()]
    with tempfile.TemporaryDirectory() as folder:
        jobs = os.path.join(folder, "jobs.txt")
        with open(jobs, "w") as f:
            for kind, text in cases:
                f.write(f"modules {SYMBOLOGY[kind]} {text.encode().hex()}\n")
        lines = oracle.run_tool(args, [jobs]).decode().splitlines()
    failures = []
    for (kind, text), line in zip(cases, lines):
        fields = line.split()
        if fields[0] != "0":
            failures.append(f"{ZINT[kind]} {text!r}: error {fields[0]}")
            continue
        ours = without_quiet_zones(fields[1])
        theirs = zint_bits(kind, text)
        # zint pads its last hexadecimal digit with zeros.
        if theirs[: len(ours)] != ours or "1" in theirs[len(ours):]:
            failures.append(f"{ZINT[kind]} {text!r}\n  ours {ours}\n  zint {theirs}")
    if len(lines) != len(cases):
        failures.append(f"{len(lines)} results for {len(cases)} cases")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
