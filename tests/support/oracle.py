"""Helpers for tests whose oracle is a program of the host: run one of our tools (under the
cross build's emulator when there is one) and report differences."""
import argparse
import os
import subprocess
import sys
import tempfile


def arguments(description, *extra):
    """The driver's options: the tool, its emulator, a seed and a count, and the extra ones
    named, each taking a value."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", required=True, help="our program under test")
    parser.add_argument("--emulator", help="runs the tool when it is a cross build")
    parser.add_argument("--seed", type=int, default=20261210)
    parser.add_argument("--count", type=int, default=400)
    for name in extra:
        parser.add_argument(name)
    return parser.parse_args()


def run(args, tool_args, cwd=None, env=None):
    """Runs our tool, with env added to the environment, and gives its exit code, standard
    output and error stream as bytes."""
    command = ([args.emulator] if args.emulator else []) + [args.tool] + list(tool_args)
    # Wine reads the words of the command line in the locale's character set.
    env = dict(os.environ, LC_ALL="C.UTF-8", **(env or {}))
    # Files, not pipes: a wineserver that a run starts would hold pipes open until it exits.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, stdout=out, stderr=err, cwd=cwd, env=env, check=False)
        texts = []
        for f in (out, err):
            f.seek(0)
            # A Windows program's text output ends its lines with CR LF.
            texts.append(f.read().replace(b"\r\n", b"\n"))
    return done.returncode, texts[0], texts[1]


def run_tool(args, tool_args):
    code, out, err = run(args, tool_args)
    if code != 0:
        sys.exit(f"{args.tool} {' '.join(tool_args)} failed ({code}): {err.decode(errors='replace')}")
    return out


def run_tool_on_lines(args, lines, before=()):
    """Our tool's output, as text, for a file of the given lines, named after the words `before`."""
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".txt", delete=False) as f:
        f.write("".join(line + "\n" for line in lines))
    try:
        return run_tool(args, [*before, f.name]).decode()
    finally:
        os.unlink(f.name)


def finish(failures, checked):
    for failure in failures[:10]:
        print(failure)
    if failures:
        sys.exit(f"{len(failures)} of {checked} cases differ")
    print(f"{checked} cases agree")
