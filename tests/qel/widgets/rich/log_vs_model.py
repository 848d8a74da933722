"""Seeded runs of appends, formatted appends (over and under 512 bytes) and clears on small rings,
each step checked against a list of everything appended: the held lines are exactly the newest
ones, cleaned as documented, with their levels, times, per-level counts and the running total."""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402


def cleaned(data, capacity):
    data = data[:capacity - 1]
    while data and data[-1] in (10, 13):
        data = data[:-1]
    return bytes(32 if b < 32 or b == 127 else b for b in data)


def stored(level):
    return level if 0 <= level <= 4 else 2


def random_text(rng, formatted):
    length = rng.choice([0, 1, 5, 20, 60, 300, 511, 512, 513, 700])
    alphabet = list(range(1 if formatted else 0, 256))
    common = [ord(c) for c in "abc xyz\t\r\n"] + [0xc3, 0xa9, 0x7f]
    data = bytes(rng.choice(common) if rng.random() < 0.6 else rng.choice(alphabet) for _ in range(length))
    if rng.random() < 0.3:
        data += rng.choice([b"\n", b"\r\n", b"\n\n"])
    return data


def run_case(args, rng, case):
    entries, capacity = rng.choice([1, 2, 3, 5, 8, 40]), rng.choice([1, 2, 16, 64, 200, 700, 4096])
    commands = [f"init {entries} {capacity}"]
    for _ in range(60):
        roll = rng.random()
        level = rng.choice([0, 1, 2, 3, 4, 4, 7, -3])
        if roll < 0.07:
            commands.append("clear")
        elif roll < 0.45:
            commands.append(f"now {round(rng.uniform(0, 90000), 3)!r}")
            commands.append(f"printf {level} {random_text(rng, True).hex()}")
        else:
            commands.append(f"append {level} {round(rng.uniform(0, 90000), 3)!r} {random_text(rng, False).hex()}")
    out = oracle.run_tool_on_lines(args, commands).split("\n")
    return check(out, model_steps(commands, capacity), entries, capacity, case)


def model_steps(commands, capacity):
    """The model after each command: total and the lines appended since the last clear."""
    steps, lines, total, now = [], [], 0, 0.0
    for c in commands:
        word, *rest = c.split(" ")
        if word == "clear":
            lines = []
        elif word == "now":
            now = float(rest[0])
        elif word == "append":
            level = int(rest[0])
            lines.append((stored(level), float(rest[1]), cleaned(bytes.fromhex(rest[2]), capacity)))
            total += 1
        elif word == "printf":
            level = int(rest[0])
            lines.append((stored(level), now, cleaned(bytes.fromhex(rest[1]), capacity)))
            total += 1
        steps.append((c, total, list(lines)))
    return steps


def check(out, steps, entries, capacity, case):
    pos = 0
    for command, total, lines in steps:
        head = out[pos].split()
        pos += 1
        got_total, count, counts = int(head[0]), int(head[1]), [int(x) for x in head[2:7]]
        held = []
        while out[pos] != "end":
            level, time, *hexes = out[pos].split(" ")
            held.append((int(level), float(time), bytes.fromhex(hexes[0] if hexes else "")))
            pos += 1
        pos += 1
        where = f"case {case}, after {command[:40]!r}"
        if got_total != total:
            return f"{where}: total {got_total}, expected {total}"
        if count != len(held) or count > entries or sum(len(t) + 1 for _, _, t in held) > max(capacity, 1):
            return f"{where}: {count} lines held do not fit the rings"
        if (command.startswith("append") or command.startswith("printf")) and count < 1:
            return f"{where}: the newest line is missing"
        if held != lines[len(lines) - count:len(lines)]:
            return f"{where}: held {held[:3]}..., expected the newest of {lines[-3:]}"
        if counts != [sum(1 for lv, _, _ in held if lv == k) for k in range(5)]:
            return f"{where}: level counts {counts}"
    return None


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    failures = [f for f in (run_case(args, rng, case) for case in range(args.count)) if f]
    oracle.finish(failures, args.count)


if __name__ == "__main__":
    main()
