#!/usr/bin/env python3
"""Our Markdown inline parser against cmark and markdown-it (its CommonMark preset) on seeded
one-line texts of words, escapes, code spans, runs of "*" and "_", links and images. Each
renderer's text is compared character by character: the character, its strong, emphasis and
code flags and the URL of the link or image it lies in. Where the two oracles agree, ours must
agree with them. Left out of the texts, as our parser has its own rules there: raw HTML,
entities, bare URLs, tildes and line feeds. Our URLs are the destination's bytes as written, so
they are compared with their backslash escapes resolved, as the oracles' are. Texts the oracles read as anything but one paragraph are
skipped, and so are those where markdown-it's memo of backtick runs ends a code span search
early, as cmark's does (see checked_backticks)."""
import os
import random
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from markdown_it import MarkdownIt
from markdown_it.rules_inline import backtick

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

WORDS = ["a", "b", "tea", "foo", "x1", "caf\u00e9", "\u65e5\u672c", ".", ",", "!", "?", "'", '"', "-", ":", "(", ")",
         "a.", "b,", "(c)", "d!"]
ESCAPES = ["\\*", "\\_", "\\`", "\\[", "\\]", "\\\\", "\\!", "\\(", "\\)", "\\a", "\\"]
CODES = ["`a`", "``a ` b``", "` a `", "`", "``", "` `", "`*a*`", "`[a](u)`", "``` x ```", "`_`"]
FRAGMENTS = ["[", "]", "![", "](u)", "](", "(", ")", "]()"]
DESTINATIONS = ["u", "u/v.png", "a(b)c", "", "<1 2>", "<./p q>", "<>", "e.x/p?q=1", "#f", "u*v*", "u_v_", "u`v",
                "(u)", "u]", "<1<2>", "u<v", "u\\)v", "\\(u", "<a\\>b>"]
TITLES = ["", "", ' "t"', " 't'", " (t)", ' "a*b"', ' "x\\"y"', ' "t']
SPACE = 0.4


def run_of(rng):
    return rng.choice("*_") * rng.choice([1, 1, 1, 2, 2, 3, 4, 5])


def link(rng, depth):
    text = pieces(rng, rng.randrange(4), depth + 1)
    head = rng.choice(["[", "[", "!["])
    blank = rng.choice(["", "", " "])
    return f"{head}{text}]({blank}{rng.choice(DESTINATIONS)}{rng.choice(TITLES)}{blank})"


def piece(rng, depth):
    kind = rng.randrange(10)
    if kind < 3:
        return rng.choice(WORDS)
    if kind < 5:
        return run_of(rng)
    if kind == 5:
        return rng.choice(ESCAPES)
    if kind == 6:
        return rng.choice(CODES)
    if kind == 7:
        return rng.choice(FRAGMENTS)
    return link(rng, depth) if depth < 3 else rng.choice(WORDS)


def pieces(rng, count, depth):
    out = ""
    for _ in range(count):
        out += piece(rng, depth)
        if rng.random() < SPACE:
            out += " "
    return out


class Skip(Exception):
    """The text is not one paragraph of inline syntax we compare."""


def cmark_chars(text):
    xml = subprocess.run(["cmark", "-t", "xml"], input=text.encode(), stdout=subprocess.PIPE, check=True).stdout
    document = ET.fromstring(xml)
    blocks = list(document)
    if len(blocks) != 1 or not blocks[0].tag.endswith("}paragraph"):
        raise Skip()
    out = []

    def walk(node, strong, emph, url):
        for child in node:
            tag = child.tag.split("}")[1]
            if tag in ("text", "code"):
                out.extend((c, strong, emph, tag == "code", url) for c in child.text or "")
            elif tag in ("softbreak", "linebreak"):
                out.append(("\n", False, False, False, None))
            elif tag in ("emph", "strong"):
                walk(child, strong or tag == "strong", emph or tag == "emph", url)
            elif tag in ("link", "image"):
                walk(child, strong, emph, child.get("destination"))
            else:
                raise Skip()

    walk(blocks[0], False, False, None)
    return out


class Quirk(Exception):
    """A code span search that the oracles' memo ends early."""


def checked_backticks(original):
    """markdown-it's code span rule, noting in env where its memo of backtick runs declares a
    run unclosed that a fresh search closes. The memo keeps the last run of each length seen,
    and a later search overwrites it with an earlier one; cmark's memo does the same. Our search
    finds the next run of the same length, as code spans are defined."""
    def rule(state, silent):
        start, pending = state.pos, state.pending
        memo = dict(state.backticks), state.backticksScanned
        state.backticks, state.backticksScanned = {}, False
        original(state, True)
        fresh_end = state.pos
        state.pos, state.pending = start, pending
        state.backticks, state.backticksScanned = memo
        result = original(state, silent)
        if result and state.pos != fresh_end:
            state.env["early"] = True
        return result
    return rule


def markdown_it_parser():
    md = MarkdownIt("commonmark")
    # URLs as the destination says, neither encoded nor refused, as cmark's tree has them.
    md.normalizeLink = lambda url: url
    md.validateLink = lambda url: True
    md.inline.ruler.at("backticks", checked_backticks(backtick))
    return md


def markdown_it_chars(md, text):
    env = {}
    tokens = md.parse(text, env)
    if env.get("early"):
        raise Quirk()
    if [t.type for t in tokens] != ["paragraph_open", "inline", "paragraph_close"]:
        raise Skip()
    out = []
    depth = {"strong": 0, "em": 0}
    urls = []

    def walk(children):
        for t in children:
            url = urls[-1] if urls else None
            flags = (depth["strong"] > 0, depth["em"] > 0)
            if t.type in ("text", "text_special", "code_inline"):
                out.extend((c,) + flags + (t.type == "code_inline", url) for c in t.content)
            elif t.type in ("softbreak", "hardbreak"):
                out.append(("\n", False, False, False, None))
            elif t.type in ("strong_open", "em_open"):
                depth[t.type[:-5]] += 1
            elif t.type in ("strong_close", "em_close"):
                depth[t.type[:-6]] -= 1
            elif t.type == "link_open":
                urls.append(t.attrs["href"])
            elif t.type == "link_close":
                urls.pop()
            elif t.type == "image":
                urls.append(t.attrs["src"])
                walk(t.children or [])
                urls.pop()
            else:
                raise Skip()

    walk(tokens[1].children)
    return out


ESCAPED = re.compile(r"\\([!-/:-@[-`{-~])")


def our_chars(lines, at):
    out = []
    count = int(lines[at])
    for line in lines[at + 1:at + 1 + count]:
        style, text, url = line.split(" ")
        style = int(style)
        if style & 16:
            out.append(("\n", False, False, False, None))
            continue
        text = "" if text == "." else bytes.fromhex(text).decode()
        if url not in ("-", "?"):
            url = ESCAPED.sub(r"\1", "" if url == "." else bytes.fromhex(url).decode())
        url = None if url == "-" else url
        out.extend((c, bool(style & 1), bool(style & 2), bool(style & 8), url) for c in text)
    return out, at + 1 + count


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return f"character {i}: ours {x}, cmark {y}"
    return f"ours {len(a)} characters, cmark {len(b)}"


def main():
    args = oracle.arguments(__doc__, "--require")
    rng = random.Random(args.seed)
    texts = []
    while len(texts) < args.count:
        text = pieces(rng, rng.randrange(1, 12), 0).strip(" ")
        if text:
            texts.append(text)
    with tempfile.NamedTemporaryFile(delete=False) as f:
        for text in texts:
            data = text.encode()
            f.write(b"%d\n" % len(data) + data)
    try:
        lines = oracle.run_tool(args, [f.name]).decode().split("\n")
    finally:
        os.unlink(f.name)
    md = markdown_it_parser()
    failures, compared, oracles_differ, quirks, at = [], 0, 0, 0, 0
    for text in texts:
        ours, at = our_chars(lines, at)
        try:
            expected = cmark_chars(text)
            if markdown_it_chars(md, text) != expected:
                oracles_differ += 1
                continue
        except Skip:
            continue
        except Quirk:
            quirks += 1
            continue
        compared += 1
        if ours != expected:
            failures.append(f"{text!r}: {first_difference(ours, expected)}")
    print(f"{compared} texts compared; {oracles_differ} where the oracles differ, {quirks} where their code span"
          " searches end early")
    if compared < int(args.require or 0):
        failures.append(f"only {compared} texts compared")
    oracle.finish(failures, len(texts))


if __name__ == "__main__":
    main()
