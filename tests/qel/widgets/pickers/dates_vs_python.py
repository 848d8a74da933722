"""Differential test of the civil date arithmetic against Python's datetime: the date of every
day from 0001-01-01 to 9999-12-31, whose day number is toordinal() - 719163."""
import datetime
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

EPOCH_ORDINAL = 719163  # datetime.date(1970, 1, 1).toordinal()


def main():
    args = oracle.arguments(__doc__)
    first = datetime.date.min.toordinal() - EPOCH_ORDINAL
    last = datetime.date.max.toordinal() - EPOCH_ORDINAL
    ours = oracle.run_tool(args, [str(first), str(last)]).decode().splitlines()
    theirs = [datetime.date.fromordinal(day + EPOCH_ORDINAL).isoformat() for day in range(first, last + 1)]
    failures = []
    if len(ours) != len(theirs):
        failures.append(f"{len(ours)} dates for {len(theirs)} days")
    if ours != theirs:
        failures += [f"day {first + i}: ours {a}, python {b}" for i, (a, b) in enumerate(zip(ours, theirs)) if a != b]
    oracle.finish(failures, last - first + 1)


if __name__ == "__main__":
    main()
