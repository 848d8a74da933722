"""The console tool end to end on the committed samples. Previews: zbarimg reads each row's
barcode back from the PNG, and the ink the tool reports is the black in the image as netpbm's
pngtopnm decodes it. Jobs: every printer language's job file equals the dry run of print.
Printing: through the real queues of a private CUPS scheduler (the rig of the engine's
print-queue test), each job arrives byte for byte; a dry run, a job without labels and a job
with a row that cannot print send nothing; printers lists the queues; a missing queue, one that
turns jobs away and a paused one are each told in their own words."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(__file__)
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "engine"))
import oracle  # noqa: E402
from barcode_vs_zbarimg import decode  # noqa: E402
from png_vs_pngtopnm import netpbm_fields  # noqa: E402
import print_through_cups as rig  # noqa: E402

SAMPLES = os.path.join(HERE, "..", "..", "samples")
PREVIEW = re.compile(r".*: (\d+)x(\d+) dots at \d+ dpi \(.*\), (\d+) ticks of ink -> (.*)\n")
JOB = re.compile(r"(\S+) job: (\d+) labels, (\d+) bytes -> (.*)\n")
# A printer model for each language, with the options its jobs are tried with.
LANGUAGES = [
    ["--printer", "zebra-zd230"],
    ["--printer", "tsc-da310", "--layout", "barcode"],
    ["--printer", "brother-ql-1100", "--media", "103x0", "--size", "a4-3x8"],
    ["--printer", "dymo-lw-4xl", "--layout", "barcode", "--sym", "ean13"],
]


class Runner:
    def __init__(self, args, folder):
        self.args, self.folder, self.failures, self.env = args, folder, [], {}

    def run(self, words, code=0):
        """The tool's standard output; a difference in exit code is a failure."""
        got, out, err = oracle.run(self.args, words, cwd=self.folder, env=self.env)
        if got != code:
            self.failures.append(f"tagmoor {' '.join(words)}: exit {got}, expected {code}: {err.decode(errors='replace')}")
        return out.decode(errors="replace"), err.decode(errors="replace")

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()


def black_pixels(png_path):
    pgm = subprocess.run(["pngtopnm", png_path], stdout=subprocess.PIPE, check=True).stdout
    (magic, width, height, _), pixels = netpbm_fields(pgm, 4)
    assert magic == b"P5", magic
    return int(width), int(height), pixels.count(0)


def check_previews(t):
    """Every sample row as the barcode template on a landscape and a portrait stock."""
    expected = {}
    for stock, dpi in [("2x1", "203"), ("1x2", "300")]:
        for row in range(12):
            name = f"preview-{stock}-{row}.png"
            out, _ = t.run(["preview", "--csv", "shop.csv", "--layout", "barcode", "--sym", "ean13", "--size", stock,
                            "--dpi", dpi, "--row", str(row), "--out", name])
            shown = PREVIEW.fullmatch(out)
            if not shown:
                t.failures.append(f"preview {name}: {out!r}")
                continue
            width, height, ink = (int(v) for v in shown.groups()[:3])
            scale = 2 if width < 400 else 1
            path = os.path.join(t.folder, name)
            image = black_pixels(path)
            if image != (width * scale, height * scale, ink * scale * scale):
                t.failures.append(f"{name}: image {image}, tool said {width}x{height} dots, {ink} ink, scale {scale}")
            expected[path] = t.read("shop.csv").decode().splitlines()[row + 1].split(",")[2]
    found = decode(list(expected))
    for path, value in expected.items():
        if found.get(path) != [("EAN-13", value)]:
            t.failures.append(f"{os.path.basename(path)}: read {found.get(path)}, expected {value}")
    return len(expected)


def job_and_dry_run(t, options, name):
    """Writes the job both ways; its bytes, language and label count, after checking that they
    agree."""
    job_out, _ = t.run(["job"] + options + ["--out", name])
    dry_out, _ = t.run(["print"] + options + ["--queue", "ignored", "--dry-run", "dry-" + name])
    job, dry = JOB.fullmatch(job_out), JOB.fullmatch(dry_out.replace(" (dry run, nothing sent to a printer)", ""))
    data = t.read(name)
    if not job or not dry or job.groups()[:3] != dry.groups()[:3] or data != t.read("dry-" + name):
        t.failures.append(f"job and dry run differ for {options}: {job_out!r} {dry_out!r}")
    elif int(job.group(3)) != len(data):
        t.failures.append(f"{name}: {len(data)} bytes, the tool said {job.group(3)}")
    return data, job.group(1) if job else "", int(job.group(2)) if job else -1


def check_jobs(t):
    count = 0
    for options in LANGUAGES:
        for source in [["--csv", "shop.csv", "--copies", "2"], ["--csv", "qty.csv", "--quantity-column", "Quantity"]]:
            job_and_dry_run(t, source + options, "job.bin")
            count += 1
    return count


def check_printing(t, backend):
    root = tempfile.mkdtemp(prefix="print-rig-", dir=t.folder)
    scheduler = rig.Scheduler(root, backend)
    t.env = {"CUPS_SERVER": scheduler.socket}
    try:
        scheduler.start()
        listed, _ = t.run(["printers"])
        queues = listed.split("\nqueues on this machine:\n")[-1].splitlines()
        names = list(rig.QUEUES) + [rig.PAUSED_QUEUE, rig.REJECTING_QUEUE]
        if sorted(queues) != sorted("  " + name for name in names):
            t.failures.append(f"printers listed {queues}")
        for (queue, file), options in zip(rig.QUEUES.items(), [LANGUAGES[0], LANGUAGES[2]]):
            # Runs that send nothing first: were anything sent, it would be the first to arrive.
            t.run(["print", "--csv", "shop.csv", "--queue", queue, "--dry-run", "dry.bin"])
            out, _ = t.run(["print", "--csv", "shop.csv", "--queue", queue, "--rows", "0:0"] + options)
            if out != f"no labels to print: nothing sent to {queue}\n":
                t.failures.append(f"printing no labels to {queue!r} said {out!r}")
            # A row that cannot print (12345 is no EAN-13) fails the job before anything reaches
            # the queue.
            t.run(["print", "--csv", "bad.csv", "--queue", queue, "--layout", "barcode", "--sym", "ean13"] + options,
                  code=3)
            words = ["--csv", "qty.csv", "--quantity-column", "Quantity"] + options
            data, language, labels = job_and_dry_run(t, words, "job.bin")
            out, _ = t.run(["print"] + words + ["--queue", queue])
            if out != f"sent {labels} labels ({len(data)} bytes of {language}) to {queue}\n":
                t.failures.append(f"printing to {queue!r} said {out!r}")
            elif scheduler.take_output(file) != data:
                t.failures.append(f"the job printed to {queue!r} differs from the job file")
        return len(rig.QUEUES) * 3 + 1 + check_refusals(t)
    finally:
        scheduler.stop()


def check_refusals(t):
    """Each cause of a failed print in its own words; a paused queue takes the job and says it
    waits (Wine shows a paused CUPS queue as any other)."""
    cases = [
        (rig.MISSING_QUEUE, 2, "", "tagmoor: print failed: there is no print queue named " + rig.MISSING_QUEUE + "\n"),
        (rig.REJECTING_QUEUE, 2, "", re.compile(r"tagmoor: print failed: the queue " + rig.REJECTING_QUEUE
                                                + r" does not accept jobs: .+\n")),
        (rig.PAUSED_QUEUE, 0, f"sent 12 labels (2310 bytes of zpl) to {rig.PAUSED_QUEUE}\n",
         "" if t.args.emulator else f"note: {rig.PAUSED_QUEUE} is paused: the job waits there until the queue is "
                                    "resumed\n"),
    ]
    for queue, code, want_out, want_err in cases:
        out, err = t.run(["print", "--csv", "shop.csv", "--queue", queue], code=code)
        same_err = want_err.fullmatch(err) if isinstance(want_err, re.Pattern) else err == want_err
        if out != want_out or not same_err:
            t.failures.append(f"printing to {queue!r}: {out!r} {err!r}")
    return len(cases)


def main():
    args = oracle.arguments(__doc__, "--backend")
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(os.path.join(SAMPLES, "tea-shop.csv"), os.path.join(folder, "shop.csv"))
        shutil.copy(os.path.join(SAMPLES, "tea-shop-quantities.csv"), os.path.join(folder, "qty.csv"))
        with open(os.path.join(folder, "bad.csv"), "w") as f:
            f.write("Name,Price,Barcode\nSencha,4.50,4006381333931\nOolong,3.00,12345\n")
        t = Runner(args, folder)
        checked = check_previews(t) + check_jobs(t) + check_printing(t, args.backend)
    oracle.finish(t.failures, checked)


if __name__ == "__main__":
    main()
