"""Differential test of the knob's value mapping and the meter's ballistics against models
written here from their description: random linear and logarithmic ranges (empty, reversed,
huge, with NaN values), random steps (tiny to coarse), and level sequences with random frame
steps, holds and fall rates, including silence, clipping, NaN and negative amplitudes."""
import math
import os
import random
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402


def f32(v):
    return struct.unpack("<f", struct.pack("<f", v))[0]


def bits32(v):
    return format(struct.unpack("<I", struct.pack("<f", v))[0], "x")


def bits64(v):
    return format(struct.unpack("<Q", struct.pack("<d", v))[0], "x")


def from32(text):
    return struct.unpack("<f", struct.pack("<I", int(text, 16)))[0]


def from64(text):
    return struct.unpack("<d", struct.pack("<Q", int(text, 16)))[0]


def unit(t):
    return min(t, 1.0) if t > 0 else 0.0


def norm(v, lo, hi, log):
    if not hi > lo:
        return 0.0
    if log and lo > 0:
        return unit(math.log(max(v, lo) / lo) / math.log(hi / lo)) if not math.isnan(v) else 0.0
    return unit((v - lo) / (hi - lo))


def denorm(p, lo, hi, step, log):
    p = unit(p)
    v = lo * (hi / lo) ** p if log and lo > 0 and hi > lo else lo + p * (hi - lo)
    if step > 0:
        v = lo + round_half_away((v - lo) / step) * step
    return f32(min(max(v, lo), hi))


def round_half_away(x):
    return math.floor(x + 0.5) if x >= 0 else -math.floor(-x + 0.5)


def meter(floor, ceil, hold, fall_rate, frames):
    """The ballistics in 32-bit floats, rounded after every operation as the widget computes."""
    n = len(frames[0][1])
    states = [[f32(floor - 1), f32(floor - 1), 0.0, 0] for _ in range(n)]
    out = []
    for dt, levels in frames:
        dt = min(dt, f32(0.1)) if dt > 0 else 0.0
        fall = f32(fall_rate * dt)
        moving = False
        for s, x in zip(states, levels):
            t = min(ceil, f32(floor - 1))
            if x > 0:
                t = min(max(f32(20 * f32(math.log10(x))), f32(floor - 1)), ceil)
                if x >= 1:
                    s[3] = 1
            s[0] = max(t, f32(s[0] - fall))
            if t >= s[1]:
                s[1], s[2] = t, 0.0
            else:
                s[2] = f32(s[2] + dt)
                if s[2] > hold:
                    s[1] = max(s[0], f32(s[1] - fall))
            moving = moving or s[0] > f32(t + f32(0.01)) or s[1] > f32(s[0] + f32(0.01))
        out.append((moving, [list(s) for s in states]))
    return out


def random_range(rng):
    kind = rng.random()
    if kind < 0.1:
        lo = rng.uniform(-100, 100)
        return lo, lo if rng.random() < 0.5 else lo - rng.uniform(0, 10)
    if kind < 0.5:
        lo = 10 ** rng.uniform(-3, 3)
        return lo, lo * 10 ** rng.uniform(0.01, 5)
    lo = rng.uniform(-1000, 1000)
    return lo, lo + 10 ** rng.uniform(-2, 4)


def value_in(rng, lo, hi):
    r = rng.random()
    if r < 0.05:
        return float("nan")
    if r < 0.15:
        return rng.choice([lo, hi, lo - 1, hi + 1])
    return rng.uniform(lo - (hi - lo) * 0.2, hi + (hi - lo) * 0.2)


def amplitude(rng):
    r = rng.random()
    if r < 0.05:
        return float("nan")
    if r < 0.1:
        return -rng.random()
    if r < 0.25:
        return 0.0
    if r < 0.35:
        return rng.uniform(1, 2)
    return 10 ** rng.uniform(-5, 0)


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    lines, expected = [], []
    for _ in range(args.count * 5):
        lo, hi = random_range(rng)
        log = rng.random() < 0.5
        v = value_in(rng, lo, hi)
        lines.append(f"norm {bits64(v)} {bits64(lo)} {bits64(hi)} {int(log)}")
        expected.append(("norm", (v, lo, hi, log), norm(v, lo, hi, log)))
        p = rng.choice([rng.random(), rng.uniform(-0.5, 1.5), 0.0, 1.0])
        step = rng.choice([0.0, 0.0, 10 ** rng.uniform(-4, 1) * (hi - lo if hi > lo else 1), 1e-30])
        lines.append(f"denorm {bits64(p)} {bits64(lo)} {bits64(hi)} {bits64(step)} {int(log)}")
        expected.append(("denorm", (p, lo, hi, step, log), denorm(p, lo, hi, step, log)))
    for _ in range(args.count):
        floor = f32(rng.choice([-60.0, rng.uniform(-96, -1)]))
        ceil = f32(rng.choice([6.0, rng.uniform(floor + 1, 12)]))
        hold = f32(rng.choice([1.5, -1.0, rng.uniform(0.01, 3)]))
        fall = f32(rng.choice([20.0, rng.uniform(1, 200)]))
        n = rng.randint(1, 8)
        frames = []
        for _ in range(rng.randint(1, 120)):
            dt = f32(rng.choice([1 / 60, 1 / 120, 0.25, 1.0, 0.0, rng.uniform(0, 0.2)]))
            frames.append((dt, [f32(amplitude(rng)) if rng.random() < 0.3 else 0.0 for _ in range(n)]))
        body = " ".join(f"{bits32(dt)} " + " ".join(bits32(x) for x in ls) for dt, ls in frames)
        lines.append(f"meter {bits32(floor)} {bits32(ceil)} {bits32(hold)} {bits32(fall)} {n} {len(frames)} {body}")
        expected.append(("meter", (floor, ceil, hold, fall, n), meter(floor, ceil, hold, fall, frames)))

    ours = oracle.run_tool_on_lines(args, lines).splitlines()
    failures = []
    if len(ours) != len(expected):
        failures.append(f"{len(ours)} answers for {len(expected)} cases")
    for line, (kind, case, theirs) in zip(ours, expected):
        words = line.split()
        if kind == "norm":
            got = from64(words[0])
            if not abs(got - theirs) <= 1e-12:
                failures.append(f"norm {case}: ours {got}, python {theirs}")
        elif kind == "denorm":
            got = from32(words[0])
            span = abs(case[2] - case[1]) + abs(case[1])
            if not abs(got - theirs) <= 1e-6 * span:
                failures.append(f"denorm {case}: ours {got}, python {theirs}")
        else:
            n = case[4]
            for f, (moving, states) in enumerate(theirs):
                chunk = words[f * (1 + 4 * n):(f + 1) * (1 + 4 * n)]
                if int(chunk[0]) != int(moving):
                    failures.append(f"meter {case} frame {f}: moving ours {chunk[0]}, python {moving}")
                    break
                for c, s in enumerate(states):
                    got = [from32(w) for w in chunk[1 + 4 * c:4 + 4 * c]] + [int(chunk[4 + 4 * c])]
                    if any(abs(a - b) > 2e-3 for a, b in zip(got[:3], s[:3])) or got[3] != s[3]:
                        failures.append(f"meter {case} frame {f} channel {c}: ours {got}, python {s}")
                        break
    oracle.finish(failures, len(expected))


if __name__ == "__main__":
    main()
