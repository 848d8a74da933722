"""PNG pictures as rows of RGBA bytes, for drivers that compare what a program drew: 8-bit
greyscale, RGB and RGBA without interlacing, which is what our encoder and the reference pictures
use, and a comparison within a tolerance per channel."""
import struct
import zlib

CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}


def _unfilter(raw, width, height, step):
    stride = width * step
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return rows


def read(path):
    """(width, height, RGBA bytes row by row)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path} is no PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, color, _, _, interlace = header
    if depth != 8 or color not in CHANNELS or interlace:
        raise ValueError(f"{path}: a kind of PNG this reader does not take")
    step = CHANNELS[color]
    rgba = bytearray()
    for line in _unfilter(zlib.decompress(idat), width, height, step):
        for x in range(width):
            px = line[x * step:(x + 1) * step]
            if step == 1:
                rgba += bytes((px[0], px[0], px[0], 255))
            elif step == 2:
                rgba += bytes((px[0], px[0], px[0], px[1]))
            elif step == 3:
                rgba += px + b"\xff"
            else:
                rgba += px
    return width, height, bytes(rgba)


def differences(a, b, tolerance):
    """How many pixels of two equally sized pictures differ by more than the tolerance in some
    channel; None when their sizes differ."""
    (wa, ha, pa), (wb, hb, pb) = a, b
    if (wa, ha) != (wb, hb):
        return None
    count = 0
    for i in range(0, len(pa), 4):
        if any(abs(pa[i + c] - pb[i + c]) > tolerance for c in range(4)):
            count += 1
    return count
