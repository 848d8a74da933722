"""Differential test: random spreadsheets parsed by our reader and by Python's csv module.
Python splits records and fields; the table rules (delimiter detection, byte-order mark,
dropping a blank last line, padding and cutting rows to the header) are applied here."""
import csv
import io
import json
import os
import random
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

PLAIN = ["a", "b", "Z", "7", " ", "\u00e9", "\u20ac", "\u8336", "x y", "-", "."]
LINE_ENDS = ["\n", "\r\n", "\r"]


def random_field(rnd, delimiter):
    kind = rnd.random()
    if kind < 0.15:
        return ""
    if kind < 0.55:
        text = "".join(rnd.choice(PLAIN + [",", ";", "\t"]) for _ in range(rnd.randint(1, 6)))
        text = text.replace(delimiter, "")
        return "x" + text if text.startswith('"') else text
    inner = "".join(rnd.choice(PLAIN + [delimiter, '""', "\n", "\r\n", "\r", ",;"]) for _ in range(rnd.randint(0, 6)))
    tail = rnd.choice(["", "", "", "q", "zz"])  # bytes after the closing quote
    return '"' + inner + '"' + tail


def random_text(rnd):
    while True:
        delimiter = rnd.choice([",", "\t", ";"])
        text = random_records(rnd, delimiter)
        # Keep inputs whose detected delimiter is the one they were written with.
        if detect(text.split("\n", 1)[0]) == delimiter:
            return text


def random_records(rnd, delimiter):
    width = rnd.randint(1, 5)
    records = []
    for _ in range(rnd.randint(1, 8)):
        n = rnd.choice([width, width, width, rnd.randint(1, 7)])
        records.append(delimiter.join(random_field(rnd, delimiter) for _ in range(n)))
    text = ""
    for record in records:
        text += record + rnd.choice(LINE_ENDS)
    if rnd.random() < 0.3:
        text = text[: -rnd.randint(1, 2)] if len(text) > 2 else text  # no final line end
    if rnd.random() < 0.2:
        text += rnd.choice(LINE_ENDS)  # a blank last line
    if rnd.random() < 0.1:
        text += '"unterminated' + delimiter
    if rnd.random() < 0.2:
        text = "\ufeff" + text
    return text


def detect(first_line):
    counts = {",": 0, "\t": 0, ";": 0}
    quoted = False
    for ch in first_line:
        if ch == '"':
            quoted = not quoted
        elif not quoted and ch in counts:
            counts[ch] += 1
    best = ","
    for candidate in (",", "\t", ";"):
        if counts[candidate] > counts[best]:
            best = candidate
    return best


def expected_table(data):
    if len(data) >= 3 and data[:3] == b"\xef\xbb\xbf":
        data = data[3:]
    text = data.decode("utf-8")
    delimiter = detect(text.split("\n", 1)[0])
    reader = csv.reader(io.StringIO(text, newline=""), delimiter=delimiter, strict=False)
    records = [record if record else [""] for record in reader]
    if not records:
        records = [[""]]
    if len(records) > 1 and records[-1] == [""]:
        records.pop()
    header = records[0]
    rows = [(r + [""] * len(header))[: len(header)] for r in records[1:]]
    return {"header": header, "rows": rows}


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    with tempfile.TemporaryDirectory() as folder:
        paths, inputs = [], []
        for i in range(args.count):
            data = random_text(rnd).encode("utf-8")
            path = os.path.join(folder, f"t{i}.csv")
            with open(path, "wb") as f:
                f.write(data)
            paths.append(path)
            inputs.append(data)
        lines = oracle.run_tool(args, paths).decode("utf-8").splitlines()
    failures = []
    for data, line in zip(inputs, lines):
        ours, theirs = json.loads(line), expected_table(data)
        if ours != theirs:
            failures.append(f"input {data!r}\n  ours   {ours}\n  python {theirs}")
    if len(lines) != len(inputs):
        failures.append(f"{len(lines)} tables for {len(inputs)} files")
    oracle.finish(failures, len(inputs))


if __name__ == "__main__":
    main()
