"""The printer writers' output, byte for byte: job_digests builds a job for every language and
resolution of the catalog, stock, template, symbology and turn, and its lines must equal those
kept in tests/data/engine/job_digests.txt. That file was written by the same tool built on the
writers as they stood before they were made faster (commit 64b666e); a change that alters a
job's bytes on purpose writes it anew and says why."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

KEPT = os.path.join(os.path.dirname(__file__), "..", "data", "engine", "job_digests.txt")


def main():
    args = oracle.arguments(__doc__)
    with open(KEPT, encoding="utf-8") as f:
        kept = f.read().splitlines()
    made = oracle.run_tool(args, []).decode("utf-8").splitlines()
    failures = [f"kept:  {k}\nmade:  {m}" for k, m in zip(kept, made) if k != m]
    if len(kept) != len(made):
        failures.append(f"{len(kept)} jobs kept, {len(made)} made")
    oracle.finish(failures, len(kept))


if __name__ == "__main__":
    main()
