#!/usr/bin/env python3
"""Our line diff against GNU diff --minimal (with --strip-trailing-cr when line endings are
ignored) on seeded pairs: edits, moved blocks, blank lines, CR LF, a missing final newline and
long texts. For each pair the hunks rebuild the new text from the old one, are ordered, non-empty
and apart, the summary adds up, and lines added plus removed equal GNU's count whenever no bound
was reached (never fewer when one was). A shuffled long pair has to reach a bound and still
rebuild."""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

WORDS = [b"int a = 0;", b"return a;", b"}", b"{", b"", b"  ", b"\t", b"// note", b"x++;", b"caf\xc3\xa9",
         b"if (a) {", b"else", b"a", b"b", b"c"]


def lines_of(text):
    """The text's lines with their terminators, as the engine splits them."""
    parts = text.split(b"\n")
    lines = [p + b"\n" for p in parts[:-1]]
    if parts[-1]:
        lines.append(parts[-1])
    return lines


def random_lines(rng, count):
    return [rng.choice(WORDS) + b"\n" for _ in range(count)]


def mutate(rng, lines):
    lines = list(lines)
    for _ in range(rng.randrange(1, 8)):
        kind = rng.randrange(5)
        at = rng.randrange(len(lines) + 1)
        if kind == 0 and lines:
            del lines[at:at + rng.randrange(1, 5)]
        elif kind == 1:
            lines[at:at] = random_lines(rng, rng.randrange(1, 5))
        elif kind == 2 and lines:
            lines[at:at + 1] = random_lines(rng, 1)
        elif kind == 3 and len(lines) > 4:
            start = rng.randrange(len(lines) - 3)
            block = lines[start:start + 3]
            del lines[start:start + 3]
            to = rng.randrange(len(lines) + 1)
            lines[to:to] = block
        else:
            lines[at:at] = [b"\n", b"paragraph\n", b"\n"]
    return lines


def crlf(rng, lines, share):
    return [line[:-1] + b"\r\n" if line.endswith(b"\n") and rng.random() < share else line for line in lines]


def make_pair(rng, index):
    if index % 50 == 49:
        old = [b"line %d\n" % rng.randrange(3000) for _ in range(10000)]
    else:
        old = random_lines(rng, rng.randrange(0, 60))
    new = mutate(rng, old) if rng.random() < 0.9 else random_lines(rng, rng.randrange(0, 30))
    ignore = rng.random() < 0.25
    if ignore or rng.random() < 0.3:
        old, new = crlf(rng, old, rng.random()), crlf(rng, new, rng.random())
    old_text, new_text = b"".join(old), b"".join(new)
    if not ignore and rng.random() < 0.2:
        old_text = old_text[:-1] if old_text.endswith(b"\n") and not old_text.endswith(b"\r\n") else old_text
    if not ignore and rng.random() < 0.2:
        new_text = new_text[:-1] if new_text.endswith(b"\n") and not new_text.endswith(b"\r\n") else new_text
    return ignore, old_text, new_text


def gnu_count(old_text, new_text, ignore, folder):
    paths = [os.path.join(folder, name) for name in ("old", "new")]
    for path, text in zip(paths, (old_text, new_text)):
        with open(path, "wb") as f:
            f.write(text)
    command = ["diff", "--minimal"] + (["--strip-trailing-cr"] if ignore else []) + paths
    out = subprocess.run(command, stdout=subprocess.PIPE, check=False).stdout
    return sum(1 for line in out.split(b"\n") if line[:2] in (b"< ", b"> "))


def bare(line):
    return line.rstrip(b"\n").rstrip(b"\r") if line.endswith(b"\n") else line


def check(case, ignore, old_text, new_text, result, gnu, want_limit):
    count, added, removed, old_lines, new_lines, limit = result[0]
    hunks = result[1:]
    old, new = lines_of(old_text), lines_of(new_text)
    problems = []
    if (old_lines, new_lines) != (len(old), len(new)):
        problems.append(f"line counts {old_lines} {new_lines}, want {len(old)} {len(new)}")
    if count != len(hunks) or added != sum(h[3] for h in hunks) or removed != sum(h[1] for h in hunks):
        problems.append("summary does not add up")
    rebuilt, old_pos, new_pos = [], 0, 0
    for os_, oc, ns, nc in hunks:
        if oc + nc == 0 or os_ < old_pos or (rebuilt and os_ == old_pos) or ns - new_pos != os_ - old_pos:
            problems.append(f"hunk {os_} {oc} {ns} {nc} out of order, empty or touching")
            break
        rebuilt += old[old_pos:os_] + new[ns:ns + nc]
        old_pos, new_pos = os_ + oc, ns + nc
    rebuilt += old[old_pos:]
    same = [bare(x) for x in rebuilt] == [bare(x) for x in new] if ignore else b"".join(rebuilt) == new_text
    if not same:
        problems.append("the hunks do not rebuild the new text")
    if (not limit and added + removed != gnu) or (limit and added + removed < gnu):
        problems.append(f"{added + removed} lines changed, GNU diff {gnu} (limit {limit})")
    if want_limit and not limit:
        problems.append("no bound reached")
    return [f"case {case}: {p}" for p in problems]


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    pairs = [make_pair(rng, i) for i in range(args.count)]
    shuffled = [b"row %d\n" % i for i in range(8000)]
    rng.shuffle(shuffled)
    pairs.append((False, b"".join(b"row %d\n" % i for i in range(8000)), b"".join(shuffled)))
    with tempfile.TemporaryDirectory() as folder:
        records = os.path.join(folder, "pairs")
        with open(records, "wb") as f:
            for ignore, old_text, new_text in pairs:
                f.write(b"%d %d %d\n" % (1 if ignore else 0, len(old_text), len(new_text)) + old_text + new_text)
        out = oracle.run_tool(args, [records]).decode().split("\n")
        failures, at = [], 0
        for case, (ignore, old_text, new_text) in enumerate(pairs):
            head = [int(v) for v in out[at].split()]
            result = [head] + [tuple(int(v) for v in out[at + 1 + i].split()) for i in range(head[0])]
            at += 1 + head[0]
            gnu = gnu_count(old_text, new_text, ignore, folder)
            failures += check(case, ignore, old_text, new_text, result, gnu, case == len(pairs) - 1)
    oracle.finish(failures, len(pairs))


main()
