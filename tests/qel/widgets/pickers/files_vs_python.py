"""Differential test of the folder listing, wildcards and paths against Python: a real folder
listed by os.scandir, patterns by fnmatch.fnmatchcase, joins by ntpath and posixpath, parents
by pathlib's pure paths."""
import fnmatch
import ntpath
import os
import pathlib
import posixpath
import random
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

JOIN_CAPACITY = 48  # the tool's path buffer
FAR_FUTURE = 13569465600  # 2400-01-01
BEFORE_1970 = -315619200  # 1960-01-01


# --- Listing ---

def make_tree(root, raw_names):
    """A folder of files and folders: non-ASCII names, dot names, and times of 0, before 1970
    and far in the future."""
    files = {"a.txt": 0, "big.bin": 70000, "\u00e9t\u00e9 \u20ac.txt": 5, "\U0001F600.md": 1,
             ".hidden": 2, "epoch": 3, "old": 4, "future": 6, "MiXeD.Case": 7}
    for name, size in files.items():
        with open(os.path.join(root, name), "wb") as f:
            f.write(b"x" * size)
    for name in ("sub", "\u00fcber", ".dotdir", "timeless"):
        os.mkdir(os.path.join(root, name))
        with open(os.path.join(root, name, "inside"), "wb") as f:
            f.write(b"y")
    if raw_names:
        with open(os.path.join(os.fsencode(root), b"raw\xff\xfe"), "wb") as f:
            f.write(b"z")
    for name, when in (("epoch", 0), ("old", BEFORE_1970), ("future", FAR_FUTURE),
                       ("timeless", 0), ("sub", BEFORE_1970), ("\u00fcber", FAR_FUTURE)):
        os.utime(os.path.join(root, name), (when, when))


def expected_listing(root, show_hidden):
    rows = []
    with os.scandir(os.fsencode(root)) as items:
        for item in items:
            if not show_hidden and item.name.startswith(b"."):
                continue
            st = item.stat()
            is_dir = item.is_dir()
            rows.append(("d" if is_dir else "f", 0 if is_dir else st.st_size, st.st_mtime_ns // 10**9, item.name.hex()))
    return sorted(rows)


def our_listing(args, folder, show_hidden):
    out = oracle.run_tool(args, ["list", folder, "1" if show_hidden else "0"]).decode()
    rows = []
    for line in out.splitlines():
        kind, size, mtime, name = line.split("\t")
        rows.append((kind, int(size), int(mtime), name))
    return sorted(rows)


def check_listing(args, failures):
    with tempfile.TemporaryDirectory() as root:
        make_tree(root, raw_names=not args.emulator)
        # Under Wine the folder is reached by its Unix path and by its drive form as well.
        forms = [root] + (["Z:" + root.replace("/", "\\") + "\\"] if args.emulator else [])
        checked = 0
        for show_hidden in (False, True):
            theirs = expected_listing(root, show_hidden)
            for form in forms:
                ours = our_listing(args, form, show_hidden)
                checked += 1
                if ours != theirs:
                    failures.append(f"listing {form} hidden={show_hidden}\n  ours   {ours}\n  python {theirs}")
        return checked


# --- Wildcards, joins and parents ---

def ascii_lower(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def expected_match(pattern, name):
    # '[' is a plain character to us; a trailing run of two or more stars needs one more character.
    stripped = pattern.rstrip("*")
    if len(pattern) - len(stripped) >= 2:
        pattern = stripped + "?*"
    pattern = ascii_lower(pattern).replace("[", "[[]")
    return fnmatch.fnmatchcase(ascii_lower(name), pattern)


def random_text(rnd, alphabet, longest):
    return "".join(rnd.choice(alphabet) for _ in range(rnd.randint(0, longest)))


def match_cases(rnd, count):
    cases = [("*.png", "photo.PNG"), ("a**", "a"), ("**", ""), ("*", ""), ("", ""), ("?", "\u00e9")]
    for _ in range(count):
        pattern = random_text(rnd, "aAbB.x*?*?[]\u00e9\u00c9", 7)
        name = random_text(rnd, "aAbBx.[]\u00e9\u00c9", 8)
        if rnd.random() < 0.3:  # names that the pattern's letters could meet
            name = "".join(rnd.choice("ab") if c in "*?" else c for c in pattern)
        cases.append((pattern, name))
    return [(("match", p, n), "1" if expected_match(p, n) else "0") for p, n in cases]


COMPONENTS = ["a", "Users", "me", "d\u00e9j\u00e0", "\u20ac", "x.txt", "long-folder-name-" * 2]


def windows_path(rnd, drive_relative):
    drive = rnd.choice(["", "C:", "d:"])
    root = "\\" if not drive_relative or rnd.random() < 0.5 else ""
    parts = [rnd.choice(COMPONENTS) for _ in range(rnd.randint(0, 3))]
    path = drive + (root if (drive or parts) else "") + "\\".join(parts)
    return path + ("\\" if parts and rnd.random() < 0.3 else "")


def posix_path(rnd):
    parts = [rnd.choice(COMPONENTS) for _ in range(rnd.randint(1, 3))]
    path = rnd.choice(["", "/"]) + "/".join(parts)
    return path + ("/" if rnd.random() < 0.3 else "")


def expected_join(folder, name):
    joined = (posixpath if "/" in folder else ntpath).join(folder, name)
    return joined if len(joined.encode()) < JOIN_CAPACITY else None


def join_cases(rnd, count):
    cases = [("C:\\", "a.txt"), ("/home/u", "a"), ("", "a"), ("C:", "a"), ("C:", "")]
    for _ in range(count):
        folder = windows_path(rnd, True) if rnd.random() < 0.5 else posix_path(rnd)
        if "/" in folder or "\\" in folder or rnd.random() < 0.2:
            cases.append((folder, rnd.choice(COMPONENTS)))
    return [(("join", d, n), expected_join(d, n)) for d, n in cases]


def expected_parent(path):
    pure = (pathlib.PurePosixPath if "/" in path else pathlib.PureWindowsPath)(path)
    parent = str(pure.parent)
    return None if parent in (".", str(pure)) else parent


def parent_cases(rnd, count):
    paths = ["C:\\Users", "C:\\", "C:", "/home", "/", "a", "\\x"]
    for _ in range(count):
        paths.append(windows_path(rnd, False) if rnd.random() < 0.5 else posix_path(rnd))
    return [(("parent", p), expected_parent(p)) for p in paths]


def field(text):
    return "x" + text.encode().hex()


def check_cases(args, rnd, failures):
    cases = match_cases(rnd, args.count * 4) + join_cases(rnd, args.count) + parent_cases(rnd, args.count)
    answers = oracle.run_tool_on_lines(args, ["\t".join([op] + [field(t) for t in texts]) for (op, *texts), _ in cases],
                                       before=["cases"]).splitlines()
    if len(answers) != len(cases):
        failures.append(f"{len(answers)} answers to {len(cases)} cases")
        return len(cases)
    for (question, expected), answer in zip(cases, answers):
        if question[0] != "match":
            expected = "-" if expected is None else expected.encode().hex()
        if answer != expected:
            failures.append(f"{question!r}: ours {answer!r}, python {expected!r}")
    return len(cases)


def main():
    args = oracle.arguments(__doc__)
    rnd = random.Random(args.seed)
    failures = []
    checked = check_listing(args, failures)
    checked += check_cases(args, rnd, failures)
    oracle.finish(failures, checked)


if __name__ == "__main__":
    main()
