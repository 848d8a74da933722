"""Differential test: zbarimg, a barcode reader, decodes the PNG images we render. Symbols on
their own: Code 128 texts that take every code set switch, EAN-13 and UPC-A values with and
without their check digit (the reader checks it). Whole labels: a spreadsheet row on every
stock with the barcode template at 203, 300 and 600 dpi."""
import os
import random
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

CODE128, EAN13, UPCA = 0, 1, 2
READ_AS = {CODE128: "CODE-128", EAN13: "EAN-13", UPCA: "UPC-A"}
STOCKS = ["2x1", "2.25x1.25", "1x2", "1.25x2.25", "jewelry-tail", "a4-3x8"]
# Start C; start B; B to C to B; B to C and back twice; a long run in C; digits around letters.
SWITCHES = ["1234", "123", "12345", "AB1234CD", "x12345678y9876z", "12345678901234567890", "1234a", "a1234"]
ROWS = ["Jasmine Green Tea,$4.99,4006381333931", "Oolong,$12.00,TEA-0042-ab", "Sencha,$7.25,0123456789"]


def check_digit(digits):
    total = sum(int(d) * (3 if i % 2 == 0 else 1) for i, d in enumerate(reversed(digits)))
    return str((10 - total % 10) % 10)


def symbol_cases(rnd, count):
    cases = [(CODE128, text, text) for text in SWITCHES]
    for _ in range(count):
        text = "".join(rnd.choice("0123456789" * 3 + "abcXYZ-+ ./") for _ in range(rnd.randint(1, 24)))
        cases.append((CODE128, text, text))
        ean = str(rnd.randint(1, 9)) + "".join(rnd.choice("0123456789") for _ in range(11))
        cases.append((EAN13, ean, ean + check_digit(ean)))
        cases.append((EAN13, ean + check_digit(ean), ean + check_digit(ean)))
        upc = "".join(rnd.choice("0123456789") for _ in range(11))
        cases.append((UPCA, upc, upc + check_digit(upc)))
    return cases


def decode(paths):
    """{path: [(type, data)]} as zbarimg reads them."""
    found = {}
    for start in range(0, len(paths), 100):
        done = subprocess.run(["zbarimg", "--xml", "-q", "-Supca.enable"] + paths[start:start + 100],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
        for source in ET.fromstring(done.stdout).iter("{http://zbar.sourceforge.net/2008/barcode}source"):
            symbols = source.iter("{http://zbar.sourceforge.net/2008/barcode}symbol")
            found[source.get("href")] = [(s.get("type"), s.findtext("*")) for s in symbols]
    return found


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    with tempfile.TemporaryDirectory() as folder:
        csv = os.path.join(folder, "rows.csv")
        with open(csv, "w") as f:
            f.write("Name,Price,Barcode\n" + "\n".join(ROWS) + "\n")
        jobs, expected = [], []
        for i, (kind, text, value) in enumerate(symbol_cases(rnd, args.count // 10)):
            path = os.path.join(folder, f"s{i}.png")
            jobs.append(f"barcode {kind} {text.encode().hex()} {rnd.choice([203, 300])} {path}\n")
            expected.append((path, READ_AS[kind], value))
        for stock in STOCKS:
            for dpi in (203, 300, 600):
                for row, line in enumerate(ROWS):
                    path = os.path.join(folder, f"l-{stock}-{dpi}-{row}.png")
                    jobs.append(f"label {stock} barcode {dpi} {csv} {row} {path}\n")
                    expected.append((path, "CODE-128", line.split(",")[2]))
        job_file = os.path.join(folder, "jobs.txt")
        with open(job_file, "w") as f:
            f.writelines(jobs)
        results = oracle.run_tool(args, [job_file]).decode().split()
        found = decode([path for path, _, _ in expected if os.path.exists(path)])
    failures = []
    for (path, kind, value), result in zip(expected, results):
        name = os.path.basename(path)
        if result != "0":
            failures.append(f"{name} ({value!r}): render error {result}")
        elif found.get(path) != [(kind, value)]:
            failures.append(f"{name}: expected {kind} {value!r}, read {found.get(path)}")
    if len(results) != len(expected):
        failures.append(f"{len(results)} results for {len(expected)} images")
    oracle.finish(failures, len(expected))


if __name__ == "__main__":
    main()
