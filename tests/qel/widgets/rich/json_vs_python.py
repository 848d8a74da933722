#!/usr/bin/env python3
"""Our JSON parser against Python's json module. Random documents are written with random blanks
between their tokens; for each the verdicts agree and, node by node in document order, the kinds,
parents, child counts, depths and links agree, and every key and value slice read back with
Python equals the value Python parsed there. Damaged copies of the documents (a byte deleted,
inserted or replaced) then have to get the same verdict, as long as their numbers and escapes are
well formed: the parser leaves those unchecked on purpose."""
import json
import os
import random
import re
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

NUMBER = re.compile(rb"-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?\Z")
NUMBER_BYTES = b"0123456789+-.eE"
ESCAPES = b'"\\/bfnrt'
HEX = b"0123456789abcdefABCDEF"
BLANKS = ["", "", " ", "\n", "\t", "\r\n", "  "]
WORDS = ["tea", "Sencha", "", "a\"q", "back\\slash", "tab\there", "line\nfeed", "caf\u00e9", "\u65e5\u672c",
         "\U0001F375", "\u0001", "/"]


def blank(rng):
    return rng.choice(BLANKS)


def random_number(rng):
    kind = rng.randrange(4)
    if kind == 0:
        return str(rng.randint(-10**6, 10**6))
    if kind == 1:
        return repr(rng.uniform(-1e6, 1e6))
    if kind == 2:
        return f"{rng.randint(-9, 9)}e{rng.choice(['', '+', '-'])}{rng.randint(0, 30)}"
    return rng.choice(["0", "-0", "0.5", "1E3", "-1.25e-7"])


def write(rng, value):
    if isinstance(value, list):
        inner = ("," + blank(rng)).join(write(rng, v) + blank(rng) for v in value)
        return "[" + blank(rng) + inner + "]"
    if isinstance(value, dict):
        members = [json.dumps(k, ensure_ascii=rng.random() < 0.5) + blank(rng) + ":" + blank(rng) + write(rng, v)
                   + blank(rng) for k, v in value.items()]
        return "{" + blank(rng) + ("," + blank(rng)).join(members) + "}"
    if isinstance(value, str):
        return json.dumps(value, ensure_ascii=rng.random() < 0.5)
    if isinstance(value, float):
        return value.text
    return json.dumps(value)


class Number(float):
    """A number with the text it was written as."""


def random_value(rng, depth, budget):
    if depth >= 60 or budget[0] <= 0:
        kind = rng.randrange(4)
    else:
        kind = rng.randrange(7)
    budget[0] -= 1
    if kind == 0:
        return rng.choice([None, True, False])
    if kind == 1:
        text = random_number(rng)
        n = Number(float(text))
        n.text = text
        return n
    if kind in (2, 3):
        return "".join(rng.choice(WORDS) for _ in range(rng.randrange(3)))
    if kind == 4 and rng.random() < 0.15:  # a deep chain
        return random_value(rng, depth + 1, budget) if depth > 55 else [random_value(rng, depth + 1, budget)]
    count = rng.randrange(5)
    if kind in (4, 5):
        return [random_value(rng, depth + 1, budget) for _ in range(count)]
    return {f"k{i}{rng.choice(WORDS)}": random_value(rng, depth + 1, budget) for i in range(count)}


def loads(text):
    def refuse(name):
        raise ValueError(name)
    return json.loads(text, parse_constant=refuse)


def well_formed(data):
    """Numbers and escapes are as JSON has them, scanning strings and number runs as our parser does."""
    i = 0
    while i < len(data):
        c = data[i]
        if c == ord('"'):
            i += 1
            while i < len(data) and data[i] != ord('"'):
                if data[i] == ord("\\"):
                    e = data[i + 1:i + 2]
                    if e == b"u":
                        if len(data) < i + 6 or any(b not in HEX for b in data[i + 2:i + 6]):
                            return False
                    elif not e or e[0] not in ESCAPES:
                        return False
                    i += 1
                i += 1
            i += 1
        elif c in b"-0123456789":
            j = i + 1
            while j < len(data) and data[j] in NUMBER_BYTES:
                j += 1
            if not NUMBER.match(data[i:j]):
                return False
            i = j
        else:
            i += 1
    return True


def python_nodes(value, parent, depth, key, out):
    index = len(out)
    out.append((value, parent, depth, key))
    if isinstance(value, list):
        for v in value:
            python_nodes(v, index, depth + 1, None, out)
    elif isinstance(value, dict):
        for k, v in value.items():
            python_nodes(v, index, depth + 1, k, out)


def kind_of(value):
    if value is None:
        return 0
    if isinstance(value, bool):
        return 1
    if isinstance(value, (int, float)):
        return 2
    if isinstance(value, str):
        return 3
    return 4 if isinstance(value, list) else 5


def compare_tree(data, value, ours):
    expected = []
    python_nodes(value, -1, 0, None, expected)
    if len(ours) != len(expected):
        return f"{len(ours)} nodes, Python {len(expected)}"
    for i, ((v, parent, depth, key), n) in enumerate(zip(expected, ours)):
        kind, n_parent, first, next_sibling, count, n_depth, key_start, key_length, start, length = n
        if (kind, n_parent, n_depth) != (kind_of(v), parent, depth):
            return f"node {i}: kind, parent, depth {(kind, n_parent, n_depth)}"
        children = [j for j, e in enumerate(expected) if e[1] == i]
        if count != len(children) or first != (children[0] if children else -1):
            return f"node {i}: {count} children from {first}, Python {children}"
        siblings = [j for j, e in enumerate(expected) if e[1] == parent and parent >= 0]
        after = siblings[siblings.index(i) + 1] if i in siblings and siblings.index(i) + 1 < len(siblings) else -1
        if next_sibling != after:
            return f"node {i}: next sibling {next_sibling}, Python {after}"
        if key is None:
            if key_length != -1:
                return f"node {i}: a key where there is none"
        elif loads(b'"' + data[key_start:key_start + key_length] + b'"') != key:
            return f"node {i}: key {data[key_start:key_start + key_length]!r}"
        if kind < 4 and loads(data[start:start + length]) != v:
            return f"node {i}: value {data[start:start + length]!r}"
    return None


def damaged(rng, data):
    at = rng.randrange(len(data) + 1)
    what = rng.randrange(3)
    byte = bytes([rng.choice(b'{}[],:"\\ \ntfnul0-1.x\x01')])
    if what == 0 and at < len(data):
        return data[:at] + data[at + 1:]
    if what == 1:
        return data[:at] + byte + data[at:]
    return data[:at] + byte + data[at + 1:]


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    cases = []
    for _ in range(args.count):
        data = write(rng, random_value(rng, 0, [rng.randrange(1, 300)])).encode()
        cases.append(data)
        for _ in range(3):
            bad = damaged(rng, data)
            try:
                bad.decode("utf-8")
            except UnicodeDecodeError:
                continue
            if well_formed(bad):
                cases.append(bad)
    with tempfile.NamedTemporaryFile(delete=False) as f:
        for data in cases:
            f.write(b"%d\n" % len(data) + data)
    try:
        lines = oracle.run_tool(args, [f.name]).decode().split("\n")
    finally:
        os.unlink(f.name)
    failures, valid = [], 0
    at = 0
    for data in cases:
        head = lines[at].split(" ", 2)
        at += 1
        try:
            value = loads(data.decode())
            python_valid = True
        except ValueError:
            python_valid = False
        ours_valid = head[0] == "ok"
        if ours_valid != python_valid:
            failures.append(f"{data[:120]!r}: ours {' '.join(head)}, Python {'valid' if python_valid else 'invalid'}")
        if not ours_valid:
            continue
        nodes = [tuple(int(x) for x in lines[at + k].split()) for k in range(int(head[1]))]
        at += len(nodes)
        if python_valid:
            valid += 1
            problem = compare_tree(data, value, nodes)
            if problem:
                failures.append(f"{data[:120]!r}: {problem}")
    if valid < len(cases) // 4:
        failures.append(f"only {valid} valid cases")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
