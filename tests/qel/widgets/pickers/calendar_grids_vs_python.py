"""Differential test of the event calendar's month grids against Python's datetime and calendar:
for every month of the years 1601 to 2400 and every first weekday, the grid's first date (the
first weekday on or before the 1st), its week rows and the month's length."""
import calendar
import datetime
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

FIRST, LAST = 1601, 2400


def expected():
    for year in range(FIRST, LAST + 1):
        for month in range(1, 13):
            first = datetime.date(year, month, 1)
            days = calendar.monthrange(year, month)[1]
            for weekday in range(7):
                offset = (first.weekday() - weekday) % 7
                start = first - datetime.timedelta(days=offset)
                rows = -(-(offset + days) // 7)
                yield f"{year:04d}-{month:02d} {weekday} {start.isoformat()} {rows} {days}"


def main():
    args = oracle.arguments(__doc__)
    ours = oracle.run_tool(args, [str(FIRST), str(LAST)]).decode().splitlines()
    theirs = list(expected())
    failures = []
    if len(ours) != len(theirs):
        failures.append(f"{len(ours)} grids for {len(theirs)} months")
    failures += [f"ours {a}, python {b}" for a, b in zip(ours, theirs) if a != b]
    oracle.finish(failures, len(theirs))


if __name__ == "__main__":
    main()
