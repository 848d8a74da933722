#!/usr/bin/env python3
"""Writes the small image files that the toolkit's image-loading tests read, into
tests/data/qel/images/, through netpbm's converters (Debian's netpbm):

  gradient16.png  a 13 x 9 picture with alpha at 16 bits a channel (pixel() below)
  gradient.jpg    its top 8 bits as a JPEG, with gradient.jpg.ppm: what libjpeg decodes from it
  tiny.bmp, tiny.gif, tiny.tga  a 4 x 4 two-colour picture the loader must refuse

The tests compute pixel() themselves; the PPM is libjpeg's reading, an oracle apart from the
decoder under test. Run from the repository's root; the output is committed."""
import os
import subprocess
import sys

W, H = 13, 9
OUT = "tests/data/qel/images"


def pixel(x, y):
    """Red, green, blue and alpha at 16 bits; the tests hold the same formula."""
    return (x * 5041, y * 8191, (x * y * 997 + 4000) % 65536, 65535 - x * y * 500)


def run(command, data):
    return subprocess.run(command, input=data, stdout=subprocess.PIPE, check=True).stdout


def main():
    os.makedirs(OUT, exist_ok=True)
    rows = b"".join(b"".join(v.to_bytes(2, "big") for v in pixel(x, y)) for y in range(H) for x in range(W))
    pam = f"P7\nWIDTH {W}\nHEIGHT {H}\nDEPTH 4\nMAXVAL 65535\nTUPLTYPE RGB_ALPHA\nENDHDR\n".encode() + rows
    with open(f"{OUT}/gradient16.png", "wb") as f:
        f.write(run(["pamtopng"], pam))

    rgb = bytes(v >> 8 for y in range(H) for x in range(W) for v in pixel(x, y)[:3])
    ppm = f"P6\n{W} {H}\n255\n".encode() + rgb
    jpeg = run(["pnmtojpeg", "-quality=95", "-sample=1x1"], ppm)
    with open(f"{OUT}/gradient.jpg", "wb") as f:
        f.write(jpeg)
    with open(f"{OUT}/gradient.jpg.ppm", "wb") as f:
        f.write(run(["jpegtopnm"], jpeg))

    tiny = b"P6\n4 4\n255\n" + b"".join(b"\xff\x00\x00" if (x + y) % 2 else b"\x00\x00\xff" for y in range(4) for x in range(4))
    for name, command in (("tiny.bmp", ["ppmtobmp"]), ("tiny.gif", ["pamtogif"]), ("tiny.tga", ["pamtotga"])):
        with open(f"{OUT}/{name}", "wb") as f:
            f.write(run(command, tiny))
    return 0


if __name__ == "__main__":
    sys.exit(main())
