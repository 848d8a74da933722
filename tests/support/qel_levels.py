#!/usr/bin/env python3
"""Fails when an include in the toolkit points up a level.

A file's level is its folder under qel/src; a public header's is the one the index at the top of
qel/include/qel/qel.h gives it. Each level may include its own headers and those of the levels
listed for it below. The families may use the public headers of the foundation widgets, editing
and overlays, but none of their internal ones. Usage:

    qel_levels.py ROOT          check the tree at ROOT (the repository's top folder)
    qel_levels.py --self-test   show that a planted upward include fails the check
"""
import os
import re
import shutil
import sys
import tempfile

BASE = ["core", "text", "layout"]
KIT = BASE + ["kit"]
WIDGET_LEVELS = ["foundation", "editing", "overlays"]


def family(*built_on):
    return {"internal": KIT + list(built_on), "public": KIT + WIDGET_LEVELS + list(built_on)}


def level(*below):
    return {"internal": list(below), "public": list(below)}


LEVELS = {
    "core": level(),
    "text": level("core"),
    "layout": level("core", "text"),
    "kit": level(*BASE),
    "foundation": level(*KIT),
    "editing": level(*KIT, "foundation"),
    "overlays": level(*KIT, "foundation", "editing"),
    "basic": family(),
    "pickers": family("basic"),
    "charts": family("basic", "pickers"),
    "editors": family("basic", "pickers", "charts"),
    "rich": family("basic", "pickers", "charts", "editors"),
    "render": level("core"),
    "platform": level(*KIT, *WIDGET_LEVELS, "basic", "pickers", "charts", "editors", "rich", "render", "toolkit"),
    "toolkit": level(*KIT, *WIDGET_LEVELS, "basic", "pickers", "charts", "editors", "rich"),
}

# The context holds the records of the base levels by value, its life and frame cycle run the
# text and layout passes, and the interaction works on the layout's nodes, hit rectangles and
# scroll state: of the levels above it, the core sees these headers and nothing else.
CONTEXT_RECORDS = {"text/font_state.h", "text/text_fields.h", "layout/layout_tree.h", "qel/layout.h"}

INDEX_LINE = re.compile(r"^// (\w+)\s+(qel/\w+\.h)\s")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def public_levels(root):
    """{'qel/x.h': level} from the index of qel.h."""
    levels = {}
    with open(os.path.join(root, "qel/include/qel/qel.h")) as f:
        for line in f:
            if not line.startswith("//"):
                break
            m = INDEX_LINE.match(line)
            if m:
                levels[m.group(2)] = m.group(1)
    return levels


def source_level(relative):
    """The level of a file under qel/src from its folder."""
    parts = relative.split("/")
    return parts[1] if parts[0] == "widgets" else parts[0]


def check(root):
    """The problems found, one line each."""
    problems = []
    public = public_levels(root)
    include_dir = os.path.join(root, "qel/include")
    for name in sorted(os.listdir(os.path.join(include_dir, "qel"))):
        if "qel/" + name not in public:
            problems.append(f"qel/include/qel/{name}: not in the index of qel.h")
    for header, lvl in sorted(public.items()):
        if lvl not in LEVELS:
            problems.append(f"qel/include/qel/qel.h: {header} has the unknown level {lvl}")
        if not os.path.exists(os.path.join(include_dir, header)):
            problems.append(f"qel/include/qel/qel.h: the index names {header}, which does not exist")

    src = os.path.join(root, "qel/src")
    files = []
    for folder, _, names in os.walk(src):
        for name in names:
            if name.endswith((".h", ".cpp")):
                relative = os.path.relpath(os.path.join(folder, name), src)
                if "/" not in relative:
                    problems.append(f"qel/src/{relative}: every file lives in a level's folder")
                    continue
                files.append((os.path.join(folder, name), "qel/src/" + relative, source_level(relative)))
    for header, lvl in public.items():
        files.append((os.path.join(include_dir, header), "qel/include/" + header, lvl))

    for path, shown, lvl in files:
        rules = LEVELS.get(lvl)
        if rules is None:
            problems.append(f"{shown}: {lvl} is not a level")
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for line, target in ((text.count("\n", 0, m.start()) + 1, m.group(1)) for m in INCLUDE.finditer(text)):
            if target.startswith("qel/"):
                target_level, kind = public.get(target), "public"
                if target_level is None:
                    continue  # a header of no level (a missing one fails the build)
            elif os.path.exists(os.path.join(src, target)):
                target_level, kind = source_level(target), "internal"
            elif os.path.exists(os.path.join(os.path.dirname(path), target)):
                target_level, kind = lvl, "internal"
            else:
                continue  # not the toolkit's: the files library, a dependency, the system
            if target_level == lvl or target_level in rules[kind]:
                continue
            if lvl == "core" and target in CONTEXT_RECORDS:
                continue
            problems.append(f"{shown}:{line}: {lvl} includes {target} ({kind}, {target_level})")
    return problems


def self_test():
    """The real tree passes; a copy with an upward include planted in each of two places fails,
    naming both."""
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    clean = check(root)
    if clean:
        print("qel_levels: the tree itself fails:\n" + "\n".join(clean))
        return 1
    plants = {
        "qel/src/core/context.cpp": '#include "kit/widget_nodes.h"\n',
        "qel/src/widgets/basic/lists.cpp": '#include "editing/text_field.h"\n',
    }
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copytree(os.path.join(root, "qel"), os.path.join(tmp, "qel"))
        for file, include in plants.items():
            with open(os.path.join(tmp, file), "a") as f:
                f.write(include)
        found = check(tmp)
    missed = [file for file in plants if not any(p.startswith(file + ":") for p in found)]
    if missed or len(found) != len(plants):
        print("qel_levels: the planted includes were not found as they should be:\n" + "\n".join(found or ["(none)"]))
        return 1
    print("qel_levels: both planted upward includes fail the check:\n" + "\n".join(found))
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
