"""The assistant widgets' text helpers against Python: the host of seeded URLs (schemes, a
leading "www.", paths, queries and fragments; no user, port or upper case) as
urllib.parse.urlsplit(url).hostname without "www.", and the elapsed text of every whole and
some fractional seconds from 0 to 7,200 as divmod gives its minutes and seconds."""
import os
import random
import sys
import tempfile
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402


def run_lines(args, command, lines):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write("".join(line + "\n" for line in lines))
    try:
        return oracle.run_tool(args, [command, f.name]).decode().split("\n")[:len(lines)]
    finally:
        os.unlink(f.name)


def random_url(rng):
    letters = "abcdefghijklmnopqrstuvwxyz0123456789-"
    labels = ["".join(rng.choice(letters) for _ in range(rng.randint(1, 8))) for _ in range(rng.randint(1, 3))]
    host = ".".join(labels + [rng.choice(["com", "org", "io", "co.uk"])])
    if rng.random() < 0.4:
        host = "www." + host
    url = rng.choice(["https://", "http://", "ftp://"]) + host
    for part in ("/", "?", "#"):
        if rng.random() < 0.5:
            url += part + "".join(rng.choice(letters + "/=&.") for _ in range(rng.randint(0, 10)))
    return url


def expected_host(url):
    host = urllib.parse.urlsplit(url).hostname or ""
    return host[4:] if host.startswith("www.") else host


def expected_elapsed(seconds):
    whole = int(seconds)
    if whole < 60:
        return f"{whole}s"
    minutes, rest = divmod(whole, 60)
    return f"{minutes}m {rest:02d}s"


def main():
    args = oracle.arguments(__doc__)
    rng = random.Random(args.seed)
    failures = []
    urls = [random_url(rng) for _ in range(args.count)]
    for url, got in zip(urls, run_lines(args, "host", urls)):
        if got != expected_host(url):
            failures.append(f"host of {url}: {got!r}, want {expected_host(url)!r}")
    # Quarter seconds are exact in single precision, so the tool reads what Python means.
    seconds = [s / 4 for s in range(0, 7201 * 4, 3)] + [59.9]
    for s, got in zip(seconds, run_lines(args, "elapsed", [repr(s) for s in seconds])):
        if got != expected_elapsed(s):
            failures.append(f"elapsed {s}: {got!r}, want {expected_elapsed(s)!r}")
    oracle.finish(failures, len(urls) + len(seconds))


main()
