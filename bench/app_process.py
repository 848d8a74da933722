#!/usr/bin/env python3
"""Whole-process clocks of the windowed program under Wine on a virtual display: start to first
frame with the automatic and the software renderer (medians of many runs), and the frame rate of
a change to every pixel each frame with the program held to one processor. Run within a Wine
session of the Windows build:

    build/windows/wine-session start
    build/windows/wine-session run python3 bench/app_process.py --emulator build/windows/wine-run \\
        --clock build/windows/bench/app_window_clock.exe [--runs 21] [--cpu 3]
    build/windows/wine-session stop"""
import argparse
import os
import re
import statistics
import subprocess

START = re.compile(r"first frame ([\d.]+) ms after creation, ([\d.]+) ms after main, (\w+); (\w+) after")
CHANGE = re.compile(r"([\d.]+) frames a second, ([\d.]+) processor seconds a second, (\w+)")


def run(args, mode, env=None, prefix=()):
    done = subprocess.run([*prefix, args.emulator, args.clock, mode], capture_output=True, text=True,
                          env=dict(os.environ, **(env or {})), check=True)
    return done.stdout


def start_clock(args, renderer):
    env = {"QEL_RENDERER": renderer} if renderer else {}
    creation, main, shown = [], [], set()
    run(args, "start", env)  # the prefix's caches warm
    for _ in range(args.runs):
        found = START.search(run(args, "start", env))
        creation.append(float(found[1]))
        main.append(float(found[2]))
        shown.add(f"{found[3]} first, {found[4]} later")
    print(f"start to first frame, {renderer or 'automatic'} renderer: median {statistics.median(creation):.0f} ms "
          f"after the process was made (best {min(creation):.0f}), {statistics.median(main):.0f} ms after main; "
          f"{', '.join(sorted(shown))}")


def change_clock(args):
    rates = []
    for _ in range(3):
        found = CHANGE.search(run(args, "change", prefix=("taskset", "-c", str(args.cpu))))
        rates.append((float(found[1]), float(found[2]), found[3]))
    for fps, cores, renderer in rates:
        print(f"full-window change on one processor: {fps:.1f} frames a second, {cores:.2f} processors busy "
              f"({renderer})")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--clock", required=True)
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--cpu", type=int, default=0, help="the processor the frame-rate run is held to")
    args = parser.parse_args()
    start_clock(args, None)
    start_clock(args, "software")
    change_clock(args)


if __name__ == "__main__":
    main()
