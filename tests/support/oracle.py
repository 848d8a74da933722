"""Helpers for tests whose oracle is a program of the host: run one of our tools (under the
cross build's emulator when there is one) and report differences."""
import argparse
import subprocess
import sys


def arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", required=True, help="our program under test")
    parser.add_argument("--emulator", help="runs the tool when it is a cross build")
    parser.add_argument("--seed", type=int, default=20261210)
    parser.add_argument("--count", type=int, default=400)
    return parser.parse_args()


def run_tool(args, tool_args):
    command = ([args.emulator] if args.emulator else []) + [args.tool] + list(tool_args)
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    # A Windows program's text output ends its lines with CR LF.
    return done.stdout.replace(b"\r\n", b"\n")


def finish(failures, checked):
    for failure in failures[:10]:
        print(failure)
    if failures:
        sys.exit(f"{len(failures)} of {checked} cases differ")
    print(f"{checked} cases agree")
