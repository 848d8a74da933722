"""Printing from the windowed program's logic through real print queues (the private CUPS
scheduler of the engine's print-queue test): each job that arrives equals, byte for byte, the
job file of the console tool for the same spreadsheet, stock, template and printer, and the
status line names the labels, bytes, language and queue. The built-in sample is compared with
the console tool reading the sample's rows as written out here. A paused queue takes the job and
the status line warns, as a problem, that it waits there (natively: Wine does not tell a paused
queue from any other)."""
import csv
import io
import os
import re
import shutil
import sys
import tempfile
import types

HERE = os.path.dirname(__file__)
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "engine"))
import oracle  # noqa: E402
import print_through_cups as rig  # noqa: E402

SAMPLES = os.path.join(HERE, "..", "..", "samples")
JOB = re.compile(r"(\S+) job: (\d+) labels, (\d+) bytes -> .*\n")
SENT = r"Sent 20 labels \(\d+ bytes of zpl\) to " + re.escape(rig.PAUSED_QUEUE)
WAITS = ", but the queue is paused: the job waits there until it is resumed"

# The shop the program starts with.
SAMPLE_ROWS = [
    ("Earl Grey tea, 50 g", "12.50", "5901234123457"), ("Green tea sencha, 100 g", "9.00", "8712345000004"),
    ("Jasmine tea pearls, 100 g", "14.00", "8712345001377"), ("Darjeeling first flush", "18.50", "8712345002749"),
    ("Rooibos vanilla, 100 g", "7.50", "8712345004118"), ("Chamomile flowers, 40 g", "6.00", "8712345005481"),
    ("Peppermint leaves, 40 g", "6.00", "8712345006853"), ("Chai masala, 80 g", "8.50", "8712345008222"),
    ("Matcha ceremonial, 30 g", "24.00", "8712345009595"), ("Hojicha roasted, 80 g", "9.50", "8712345010966"),
    ("Enamel mug, 250 ml", "9.50", "8712345012335"), ("Stoneware teapot, 600 ml", "32.00", "8712345013707"),
    ("Glass teapot, 500 ml", "26.00", "8712345015077"), ("Tea strainer, steel", "4.50", "8712345016449"),
    ("Bamboo tea scoop", "3.50", "8712345017811"), ("Linen tea towel", "11.00", "8712345019181"),
    ("Candle, cedar and tea", "16.00", "8712345020552"), ("Gift box, small", "5.00", "8712345021924"),
    ("Gift box, large", "7.00", "8712345023294"), ("Honey, wildflower, 250 g", "8.00", "8712345024666"),
]

PLAIN, ACCENTED = list(rig.QUEUES)

# (queue, printer, the program's words, the console tool's words for the same job)
CASES = [
    (PLAIN, "zebra-zd230", [], ["--csv", "sample.csv"]),
    (ACCENTED, "zebra-zd421-300", ["--demo", "qty.csv", "--layout", "barcode"],
     ["--csv", "qty.csv", "--layout", "barcode", "--quantity-column", "Quantity"]),
    (PLAIN, "tsc-da310", ["--demo", "qty.csv", "--size", "1x2", "--layout", "barcode"],
     ["--csv", "qty.csv", "--size", "1x2", "--layout", "barcode", "--quantity-column", "Quantity"]),
    (ACCENTED, "brother-ql-1100", ["--size", "2.25x1.25", "--layout", "plain"],
     ["--csv", "sample.csv", "--size", "2.25x1.25", "--layout", "plain"]),
    (PLAIN, "dymo-lw-450", ["--one", "--name", "Tea", "--price", "4.50", "--barcode", "4006381333931",
                            "--layout", "barcode"],
     ["--csv", "one.csv", "--layout", "barcode"]),
]


def write_inputs(folder):
    text = io.StringIO(newline="")
    writer = csv.writer(text, lineterminator="\n")
    writer.writerow(["Name", "Retail", "Barcode"])
    writer.writerows(SAMPLE_ROWS)
    with open(os.path.join(folder, "sample.csv"), "w", encoding="utf-8", newline="") as f:
        f.write(text.getvalue())
    with open(os.path.join(folder, "one.csv"), "w", encoding="utf-8", newline="") as f:
        f.write("Name,Price,Barcode\nTea,4.50,4006381333931\n")
    shutil.copy(os.path.join(SAMPLES, "tea-shop-quantities.csv"), os.path.join(folder, "qty.csv"))


def main():
    args = oracle.arguments(__doc__, "--backend", "--cli")
    root = tempfile.mkdtemp(prefix="print-rig-", dir=os.getcwd())
    scheduler = rig.Scheduler(root, args.backend)
    env = {"CUPS_SERVER": scheduler.socket}
    failures = []
    write_inputs(root)
    cli = types.SimpleNamespace(tool=args.cli, emulator=args.emulator)
    try:
        scheduler.start()
        for queue, printer, app_words, cli_words in CASES:
            what = f"{printer} {' '.join(app_words)}"
            code, out, err = oracle.run(args, [printer, queue.encode("utf-8").hex()] + app_words, cwd=root, env=env)
            status = out.decode("utf-8", errors="replace")
            if code != 0:
                failures.append(f"{what}: exit {code}: {status!r} {err.decode(errors='replace')!r}")
                continue
            arrived = scheduler.take_output(rig.QUEUES[queue])
            code, job_line, err = oracle.run(cli, ["job"] + cli_words + ["--printer", printer, "--out", "job.bin"],
                                             cwd=root, env=env)
            shown = JOB.fullmatch(job_line.decode("utf-8", errors="replace"))
            if code != 0 or not shown:
                failures.append(f"tagmoor job {' '.join(cli_words)}: exit {code}: {job_line!r} {err!r}")
                continue
            with open(os.path.join(root, "job.bin"), "rb") as f:
                job = f.read()
            if arrived != job:
                failures.append(f"{what}: the job that arrived ({len(arrived)} bytes) differs from the console "
                                f"tool's ({len(job)} bytes)")
            language, labels, size = shown.groups()
            plural = "" if labels == "1" else "s"
            expected = f"Sent {labels} label{plural} ({size} bytes of {language}) to {queue}\n"
            if status != expected:
                failures.append(f"{what}: said {status!r}, expected {expected!r}")
        code, out, err = oracle.run(args, ["zebra-zd230", rig.PAUSED_QUEUE.encode("utf-8").hex()], cwd=root, env=env)
        said = out.decode("utf-8", errors="replace")
        expected = (0, SENT + "\n") if args.emulator else (1, SENT + re.escape(WAITS) + "\n")
        if code != expected[0] or not re.fullmatch(expected[1], said):
            failures.append(f"a paused queue: exit {code}, said {said!r} {err!r}")
    finally:
        scheduler.stop()
    oracle.finish(failures, len(CASES) + 1)
    shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
