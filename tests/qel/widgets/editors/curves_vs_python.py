"""Differential test of the curve and gradient evaluation and of moving a key, against an
evaluator written here from their description: random sorted key arrays of every mode (equal x,
handles longer than their segment, queries on the keys), random gradients (unsorted, ties) with
every channel compared exactly, and key moves with NaN targets and tight ranges."""
import math
import os
import random
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

FREE, LINEAR, STEP = 1, 2, 3


def f32(v):
    return struct.unpack("<f", struct.pack("<f", v))[0]


def bits(v):
    return format(struct.unpack("<I", struct.pack("<f", v))[0], "x")


def from_bits(text):
    return struct.unpack("<f", struct.pack("<I", int(text, 16)))[0]


def finite0(v):
    return v if math.isfinite(v) else 0.0


def slope(k, i):
    if i <= 0 or i >= len(k) - 1:
        return 0.0
    d0, d1 = k[i][0] - k[i - 1][0], k[i + 1][0] - k[i][0]
    if not (d0 > 0) or not (d1 > 0):
        return 0.0
    s0, s1 = (k[i][1] - k[i - 1][1]) / d0, (k[i + 1][1] - k[i][1]) / d1
    if not (s0 * s1 > 0):
        return 0.0
    m = (k[i + 1][1] - k[i - 1][1]) / (d0 + d1)
    limit = 3 * min(abs(s0), abs(s1))
    return math.copysign(limit, m) if abs(m) > limit else m


def handles(k, i):
    dx = k[i + 1][0] - k[i][0]
    if k[i][6] == FREE:
        hx, hy = max(finite0(k[i][4]), 0.0), finite0(k[i][5])
        if hx > dx:
            hy, hx = hy * dx / hx, dx
    else:
        hx, hy = dx / 3, slope(k, i) * dx / 3
    if k[i + 1][6] == FREE:
        a, ihy = max(-finite0(k[i + 1][2]), 0.0), finite0(k[i + 1][3])
        ihx = -a
        if a > dx:
            ihy, ihx = ihy * dx / a, -dx
    else:
        ihx, ihy = -dx / 3, -slope(k, i + 1) * dx / 3
    return hx, hy, ihx, ihy


def bernstein(t, p0, p1, p2, p3):
    s = 1 - t
    return s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3


def evaluate(k, x):
    if not (x > k[0][0]):
        return k[0][1]
    if x >= k[-1][0]:
        return k[-1][1]
    i = 0
    while i < len(k) - 2 and x >= k[i + 1][0]:
        i += 1
    dx = k[i + 1][0] - k[i][0]
    if not (dx > 0):
        return k[i + 1][1]
    if k[i][6] == STEP:
        return k[i][1]
    u = x - k[i][0]
    if k[i][6] == LINEAR:
        return k[i][1] + (k[i + 1][1] - k[i][1]) * u / dx
    ohx, ohy, ihx, ihy = handles(k, i)
    p1, p2 = ohx, dx + ihx
    t, lo, hi = u / dx, 0.0, 1.0
    for _ in range(40):
        f = bernstein(t, 0, p1, p2, dx) - u
        if abs(f) <= 1e-6 * dx:
            break
        if f > 0:
            hi = t
        else:
            lo = t
        s = 1 - t
        d = 3 * (s * s * p1 + 2 * s * t * (p2 - p1) + t * t * (dx - p2))
        c = t - f / d if d > 1e-12 else -1
        t = c if lo < c < hi else (lo + hi) / 2
    return bernstein(t, k[i][1], k[i][1] + ohy, k[i + 1][1] + ihy, k[i + 1][1])


def random_keys(rng):
    n = rng.randint(1, 9)
    x = rng.uniform(-5, 5)
    keys = []
    for _ in range(n):
        x = f32(x + (0 if rng.random() < 0.15 else rng.uniform(0.01, 3)))
        span = 3.0
        key = [x, f32(rng.uniform(-10, 10)), f32(-rng.uniform(-0.2, 2) * span), f32(rng.uniform(-5, 5)),
               f32(rng.uniform(-0.2, 2) * span), f32(rng.uniform(-5, 5)), rng.choice([0, 0, 1, 1, 2, 3, 7])]
        keys.append(key)
    return keys


def queries(rng, keys):
    xs = [k[0] for k in keys] + [f32(rng.uniform(keys[0][0] - 1, keys[-1][0] + 1)) for _ in range(12)]
    return xs


def key_fields(keys):
    return " ".join(" ".join([bits(v) for v in k[:6]] + [str(k[6])]) for k in keys)


def move(k, index, x_min, x_max, y_min, y_max, x, y):
    lo, hi = x_min, x_max
    if index > 0 and k[index - 1][0] > lo:
        lo = k[index - 1][0]
    if index < len(k) - 1 and k[index + 1][0] < hi:
        hi = k[index + 1][0]
    nx, ny = k[index][0], k[index][1]
    if hi >= lo and not math.isnan(x):
        nx = lo if x < lo else min(hi, x)
    if not math.isnan(y):
        ny = y_min if y < y_min else (y_max if y_max < y else y)
    if math.isnan(ny):
        ny = k[index][1]
    moved = not (nx == k[index][0] and ny == k[index][1])
    return int(moved), nx, ny


def maybe_nan(rng, v):
    return math.nan if rng.random() < 0.1 else v


def gradient(rng):
    n = rng.randint(1, 6)
    stops = [(f32(rng.choice([0.0, 0.25, 0.5, 1.0, rng.uniform(-0.2, 1.2)])), rng.getrandbits(32)) for _ in range(n)]
    ts = [s[0] for s in stops] + [f32(rng.uniform(-0.3, 1.3)) for _ in range(8)]
    return stops, ts


def eval_stops(stops, t):
    lower = upper = None
    for p, c in stops:
        if p <= t and (lower is None or p > lower[0]):
            lower = (p, c)
        if p >= t and (upper is None or p < upper[0]):
            upper = (p, c)
    if lower is None:
        return (upper or stops[0])[1]
    if upper is None or not (upper[0] - lower[0] > 0):
        return lower[1]
    f = (t - lower[0]) / (upper[0] - lower[0])
    out = 0
    for shift in range(0, 32, 8):
        lo, hi = lower[1] >> shift & 255, upper[1] >> shift & 255
        c = lo + (hi - lo) * f + 0.5
        out |= (0 if not (c > 0) else 255 if c >= 255 else int(c)) << shift
    return out


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    lines, expected = [], []
    for _ in range(args.count * 5):
        keys = random_keys(rng)
        xs = queries(rng, keys)
        lines.append(f"curve {len(keys)} {key_fields(keys)} {len(xs)} {' '.join(bits(x) for x in xs)}")
        expected.append(("curve", keys, xs, [evaluate(keys, x) for x in xs]))
    for _ in range(args.count * 5):
        keys = random_keys(rng)
        index = rng.randrange(len(keys))
        a, b = sorted(f32(rng.uniform(-8, 8)) for _ in range(2))
        c, d = sorted(f32(rng.uniform(-12, 12)) for _ in range(2))
        x, y = maybe_nan(rng, f32(rng.uniform(-9, 9))), maybe_nan(rng, f32(rng.uniform(-13, 13)))
        if rng.random() < 0.2:
            x, y = keys[index][0], keys[index][1]
        lines.append(f"move {len(keys)} {key_fields(keys)} {index} {' '.join(bits(v) for v in (a, b, c, d, x, y))}")
        expected.append(("move", keys, (index, a, b, c, d, x, y), move(keys, index, a, b, c, d, x, y)))
    for _ in range(args.count * 5):
        stops, ts = gradient(rng)
        fields = " ".join(f"{bits(p)} {c}" for p, c in stops)
        lines.append(f"gradient {len(stops)} {fields} {len(ts)} {' '.join(bits(t) for t in ts)}")
        expected.append(("gradient", stops, ts, [eval_stops(stops, t) for t in ts]))

    ours = oracle.run_tool_on_lines(args, lines).splitlines()
    failures = []
    if len(ours) != len(expected):
        failures.append(f"{len(ours)} answers for {len(expected)} cases")
    for line, (kind, data, query, theirs) in zip(ours, expected):
        words = line.split()
        if kind == "curve":
            scale = 1 + max(abs(k[1]) + abs(k[3]) + abs(k[5]) for k in data)
            for x, a, b in zip(query, words, theirs):
                if not abs(from_bits(a) - b) <= 2e-6 * scale:
                    failures.append(f"curve {data} at {x}: ours {from_bits(a)}, python {b}")
        elif kind == "move":
            got = (int(words[0]), from_bits(words[1]), from_bits(words[2]))
            if got != theirs:
                failures.append(f"move {data} {query}: ours {got}, python {theirs}")
        elif [int(w) for w in words] != theirs:
            failures.append(f"gradient {data} at {query}: ours {words}, python {theirs}")
    oracle.finish(failures, len(expected))


if __name__ == "__main__":
    main()
