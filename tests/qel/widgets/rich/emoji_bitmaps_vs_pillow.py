"""Differential test of the emoji font's bitmap reduction against Pillow (Debian's python3-pil,
whose box filter also weights colours by alpha): single emoji of a CBDT font drawn at each of
--sizes pixels must match the glyph's PNG fitted into the square (aspect kept, centred) by
Pillow's box resize, within 2 per channel once colours are weighted by alpha (Pillow keeps them
so, in 8 bits, and its faint edge pixels carry no finer colour than that). Pillow's box weighs whole source pixels by where their centres
fall, not by their overlap, so the sizes must divide the pictures evenly (136 x 128 in Noto
Color Emoji: 68 and 34)."""
import io
import os
import sys

try:
    from fontTools.ttLib import TTFont
    from PIL import Image
except ImportError:
    # Debian's packages live with Debian's python, which another python on the path may hide.
    if sys.executable == "/usr/bin/python3":
        raise
    os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "support"))
import oracle  # noqa: E402

EMOJI = [0x1F600, 0x1F44D, 0x1F34E, 0x1F308, 0x1F680, 0x1F98A, 0x2764, 0x1F3C1]


def pillow_square(png, p):
    picture = Image.open(io.BytesIO(png)).convert("RGBA")
    w, h = picture.size
    longer = max(w, h)
    tw, th = max(1, p * w // longer), max(1, p * h // longer)
    square = Image.new("RGBA", (p, p), (0, 0, 0, 0))
    square.paste(picture.resize((tw, th), Image.BOX), ((p - tw) // 2, (p - th) // 2))
    return square.tobytes()


def main():
    args = oracle.arguments(__doc__.splitlines()[0], "--font", "--sizes")
    font = TTFont(args.font)
    cmap, strike = font.getBestCmap(), font["CBDT"].strikeData[0]
    failures = []
    cases = [(int(size), cp) for size in args.sizes.split(",") for cp in EMOJI]
    for p, cp in cases:
        png = strike[cmap[cp]].imageData
        want = pillow_square(png, p)
        rows = oracle.run_tool(args, [args.font, "--raster", str(p), f"{cp:X}"]).decode().split()
        got = bytes.fromhex("".join(rows))
        worst = 0
        for i in range(0, len(want), 4):
            a, b = want[i + 3], got[i + 3]
            worst = max([worst, abs(a - b)] + [abs(want[i + k] * a - got[i + k] * b) / 255 for k in range(3)])
        if len(got) != len(want) or worst > 2:
            failures.append(f"U+{cp:04X} at {p}: differs by up to {worst:.1f}")
    oracle.finish(failures, len(cases))


if __name__ == "__main__":
    main()
