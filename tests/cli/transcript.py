"""Transcripts of the console tool: each case runs one command line in a folder of spreadsheets
and compares the standard output, the error stream and the exit code with what they must be,
and the files the command leaves with those it must write (none after a failure)."""
import os
import re
import shlex
import shutil
import struct
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import oracle  # noqa: E402

SAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "samples")

USAGE = """tagmoor - labels from a spreadsheet, printed in the printer's own language

  tagmoor preview  --csv FILE [--out FILE.png] [--row N]
  tagmoor job      --csv FILE --out FILE [--rows FIRST:COUNT]
  tagmoor print    --csv FILE --queue NAME [--rows FIRST:COUNT] [--dry-run FILE]
  tagmoor check    --csv FILE
  tagmoor barcode  --sym code128|ean13|upca VALUE [--out FILE.png]
  tagmoor sizes | printers | layouts
  tagmoor version

Shared options
  --size ID        the label stock, default 2x1               (tagmoor sizes)
  --layout ID      what goes on the label, default price      (tagmoor layouts)
  --printer ID     sets dpi and protocol                      (tagmoor printers)
  --proto ID       zpl | tspl | brother-ql, overrides the printer
  --dpi N          print resolution, overrides the printer
  --module MM      barcode narrow bar width, default from the layout
  --media WxL      Brother media in mm, L=0 for continuous tape
  --quantity-column NAME
                   print each row as many times as this column says
  --copies N       print every row N times (ignored with --quantity-column)
  --sym ID         code128 | ean13 | upca; overrides the layout's choice
  --queue NAME     CUPS queue (macOS, Linux) or Windows printer name
  --dry-run FILE   write the job bytes instead of printing

Exit codes: 0 ok, 2 bad arguments, 3 the data cannot make a valid label.
"""

VERSION = "tagmoor 0.9.0-beta.3 (2026-11-10, b6c6179)\n"

SIZES = """2x1            2 \u00d7 1 in, landscape price tag 50.80 x 25.40 mm
2.25x1.25      2.25 \u00d7 1.25 in, landscape price tag 57.15 x 31.75 mm
1x2            1 \u00d7 2 in, portrait (address) 25.40 x 50.80 mm
1.25x2.25      1.25 \u00d7 2.25 in, portrait (address) 31.75 x 57.15 mm
jewelry-tail   Jewelry tail, 0.5 \u00d7 2 in, portrait 12.70 x 50.80 mm
a4-3x8         A4 sheet, 3 \u00d7 8 grid (63.5 \u00d7 38.1 mm each) 63.50 x 38.10 mm
"""

LAYOUTS = """price      Price
barcode    Barcode
name       Name only
plain      Name and price, one line
"""

PRINTERS = """zebra-zd230          Zebra ZD230 (203 dpi, ZPL)         203 dpi, zpl, up to 104 mm
zebra-zd421-300      Zebra ZD421 (300 dpi, ZPL)         300 dpi, zpl, up to 108 mm
tsc-da210            TSC DA210 (203 dpi, TSPL)          203 dpi, tspl, up to 104 mm
tsc-da310            TSC DA310 (300 dpi, TSPL)          300 dpi, tspl, up to 104 mm
brother-ql-800       Brother QL-800 (300 dpi)           300 dpi, brother-ql, up to 62 mm
brother-ql-820nwb    Brother QL-820NWB (300 dpi)        300 dpi, brother-ql, up to 62 mm
brother-ql-1100      Brother QL-1100 (300 dpi, 4 in)    300 dpi, brother-ql, up to 103 mm
dymo-lw-450          DYMO LabelWriter 450 (300 dpi)     300 dpi, dymo-lw, up to 57 mm
dymo-lw-450-turbo    DYMO LabelWriter 450 Turbo (300 dpi) 300 dpi, dymo-lw, up to 57 mm
dymo-lw-4xl          DYMO LabelWriter 4XL (300 dpi, 4 in) 300 dpi, dymo-lw, up to 106 mm
"""

TAG = "2 \u00d7 1 in, landscape price tag"


def png(width, height):
    """The start of a PNG file of that size in pixels."""
    return b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR" + struct.pack(">II", width, height)


def pbm(width, height):
    return b"P4\n%d %d\n" % (width, height)


def err(line):
    return "tagmoor: " + line + "\n"


# The folder every command runs in: shop.csv and qty.csv are the committed samples, bad.csv has
# a row the font cannot show and one that EAN-13 cannot carry, with a quantity of 2.5; ctl.csv
# has a header with a line feed and a terminal's colour command, and a quantity that clears the
# screen.
FIXTURES = {
    "bad.csv": "Name,Price,Barcode,Quantity\nCaf\u00e9 Cr\u00e8me,$3.00,5901234120111,2\nTea,$1.00,12345,2.5\n".encode(),
    "empty.csv": b"",
    "binary.bin": bytes(range(256)) * 4,
    "utf16.txt": "\ufeffName\tPrice\tBarcode\r\nSencha\t4.50\t4006381333931\r\n".encode("utf-16-le"),
    "nocode.csv": b"Item,Cost\nGreen tea,4.50\n",
    "long.csv": b"Name,Barcode\nTea,ABCDEFGHIJKLM\n",
    "ctl.csv": b'Name,Price,"Code\n\x1b[31m",Qty\nTea,4.50,123,"2\x1b[2J"\n',
    os.path.join("donn\u00e9es", "prix.csv"): None,  # a copy of the sample
}

# (words, exit code, standard output, error stream, files written with how they begin);
# an expected text may be a pattern that the whole output must match.
CASES = [
    # The command line.
    ("", 2, "", USAGE),
    ("--help", 0, USAGE, ""),
    ("-h", 0, USAGE, ""),
    ("version", 0, VERSION, ""),
    ("--version", 0, VERSION, ""),
    ("-V extra words", 0, VERSION, ""),
    ("job --help", 2, "", USAGE),
    ("frobnicate", 2, "", USAGE),
    ("--csv shop.csv", 2, "", USAGE),
    ("preview --csv shop.csv --out", 2, "", USAGE),
    ("preview -x 1 --csv shop.csv", 2, "", USAGE),
    ("preview --out --csv", 2, "", err("--csv is required")),
    ("job --csv shop.csv --rows 5", 2, "", USAGE),
    ("job --csv shop.csv --rows 5:", 2, "", USAGE),
    ("job --csv shop.csv --rows :5", 2, "", USAGE),
    ("sizes a b c d", 0, SIZES, ""),
    ("sizes a b c d e", 2, "", USAGE),
    ("sizes", 0, SIZES, ""),
    ("layouts", 0, LAYOUTS, ""),
    ("printers", 0, PRINTERS + "\nqueues on this machine:\n  (none)\n", ""),

    # preview: images, their scale and format, rows and the model's options.
    ("preview --csv shop.csv", 0,
     TAG + ": 406x203 dots at 203 dpi (50.8 x 25.4 mm), 3250 ticks of ink -> label.png\n", "",
     {"label.png": png(406, 203)}),
    ("preview --csv shop.csv --size 1x2 --dpi 399 --out n.png --row 11", 0,
     re.compile(r"1 \u00d7 2 in, portrait \(address\): 399x798 dots at 399 dpi \(25\.4 x 50\.8 mm\), \d+ ticks of ink "
                r"-> n\.png\n"), "", {"n.png": png(798, 1596)}),
    ("preview --csv shop.csv --layout barcode --out a.pbm --row 11", 0,
     re.compile(TAG + r": 406x203 dots at 203 dpi \(50\.8 x 25\.4 mm\), \d+ ticks of ink -> a\.pbm\n"), "",
     {"a.pbm": pbm(406, 203)}),
    ("preview --csv shop.csv --out a.PBM", 0, re.compile(r".* -> a\.PBM\n"), "", {"a.PBM": png(406, 203)}),
    ("preview --csv shop.csv --out .pbm", 0, re.compile(r".* -> \.pbm\n"), "", {".pbm": png(406, 203)}),
    ("preview --csv donn\u00e9es/prix.csv --out \u00e9tiquette.png", 0,
     TAG + ": 406x203 dots at 203 dpi (50.8 x 25.4 mm), 3250 ticks of ink -> \u00e9tiquette.png\n", "",
     {"\u00e9tiquette.png": png(406, 203)}),
    ("preview --csv shop.csv --printer zebra-zd421-300 --dpi abc --out p.png", 0,
     re.compile(TAG + r": 600x300 dots at 300 dpi .* -> p\.png\n"), "", {"p.png": png(600, 300)}),
    ("preview --csv shop.csv --printer dymo-lw-4xl --proto zpl --size a4-3x8 --out d.png", 0,
     re.compile(r"A4 sheet, .*: 750x450 dots at 300 dpi \(63\.5 x 38\.1 mm\), .*\n"), "", {"d.png": png(750, 450)}),
    ("preview --csv shop.csv --printer dymo-lw-450 --size a4-3x8", 2, "",
     err("63.5 mm label is wider than the 57 mm this printer takes")),
    ("preview --csv shop.csv --row 12", 2, "", err("row 12 is outside the 12 data rows")),
    ("preview --csv shop.csv --row -1", 2, "", err("row -1 is outside the 12 data rows")),
    ("preview --csv shop.csv --row 99999999999999999999", 2, "", err("row 2147483647 is outside the 12 data rows")),
    ("preview --csv empty.csv", 2, "", err("row 0 is outside the 0 data rows")),
    ("preview --csv bad.csv", 3, "", err("cannot render this row: the built-in font has no glyph for this text")),
    ("preview --csv bad.csv --row 1 --layout barcode --sym ean13", 3, "", err("cannot render this row: invalid input")),
    ("preview --csv shop.csv --dpi 99999999999", 3, "", err("cannot render this row: out of range")),
    ("preview --csv shop.csv --layout barcode --module 1e999", 3, "", err("cannot render this row: out of range")),
    ("preview --csv shop.csv --out nofolder/x.png", 2, "", err("cannot write nofolder/x.png: No such file or directory")),

    # Resolving the model, in its order.
    ("preview --csv shop.csv --size 2X1", 2, "", err("unknown size 2X1 (see: tagmoor sizes)")),
    ("preview --csv shop.csv --printer zebra", 2, "", err("unknown printer zebra (see: tagmoor printers)")),
    ("preview --csv shop.csv --size 2X1 --printer zebra", 2, "", err("unknown size 2X1 (see: tagmoor sizes)")),
    ("preview --csv shop.csv --proto Brother", 2, "", err("unknown protocol Brother")),
    ("preview --csv shop.csv --printer brother-ql-800 --size a4-3x8", 2, "",
     err("63.5 mm label is wider than the 62 mm this printer takes")),
    ("preview --csv shop.csv --layout Price", 2, "", err("unknown layout Price (see: tagmoor layouts)")),
    ("preview --csv shop.csv --layout barcode --sym foo", 2, "", err("unknown symbology foo")),
    ("preview --csv shop.csv --layout plain --sym foo --out q.png", 0, re.compile(r".* -> q\.png\n"), "",
     {"q.png": png(406, 203)}),

    # Spreadsheets that cannot be read.
    ("preview", 2, "", err("--csv is required")),
    ("check --csv nothere.csv", 2, "", err("nothere.csv: cannot open nothere.csv")),
    ("check --csv huge.csv", 2, "", err("huge.csv: unusable file size")),
    ("check --csv folder.csv", 2, "", err("folder.csv: folder.csv is a folder, not a file")),
    ("check --csv /dev/zero", 2, "", err("/dev/zero: /dev/zero is a device or a pipe, not a file")),
    # A pipe that nobody writes to is refused, not waited on.
    ("check --csv pipe.csv", 2, "", err("pipe.csv: pipe.csv is a device or a pipe, not a file")),
    ("check --csv binary.bin", 2, "", err("binary.bin: holds NUL bytes, so it is not UTF-8 text")),
    ("check --csv utf16.txt", 2, "", err("utf16.txt: UTF-16 text; save the spreadsheet as UTF-8 CSV")),
    ("job --csv utf16.txt --out u.zpl", 2, "", err("utf16.txt: UTF-16 text; save the spreadsheet as UTF-8 CSV")),

    # check.
    ("check --csv shop.csv", 0,
     "shop.csv: 3 columns, 12 rows\n  text     <- column Name\n  text     <- column Price\nall 12 rows render\n", ""),
    ("check --csv bad.csv --layout barcode --sym ean13", 3,
     "bad.csv: 4 columns, 2 rows\n  text     <- column Name\n  barcode  <- column Barcode\n"
     "  row 0: the built-in font has no glyph for this text\n  row 1: invalid input\n"
     "2 of 2 rows cannot print as laid out\n", ""),
    ("check --csv empty.csv", 0,
     "empty.csv: 1 columns, 0 rows\n  text     literal \"{Name}\"\n  text     literal \"{Price}\"\nall 0 rows render\n", ""),

    ("check --csv qty.csv --quantity-column Quantity", 0,
     "qty.csv: 4 columns, 12 rows\n  text     <- column Name\n  text     <- column Price\n"
     "  quantity: 46 labels from 12 rows, 1 skipped, 2 printed once\nall 12 rows render\n", ""),
    ("check --csv bad.csv --layout barcode --sym ean13 --quantity-column Quantity", 3,
     "bad.csv: 4 columns, 2 rows\n  text     <- column Name\n  barcode  <- column Barcode\n"
     "  row 0: the built-in font has no glyph for this text\n  row 1: invalid input\n"
     "  quantity: data row 2: quantity \"2.5\" is not a whole number\n3 of 2 rows cannot print as laid out\n", ""),

    # job and print: the four languages, runs of rows, quantities and limits.
    ("job --csv shop.csv", 2, "", err("--out is required")),
    ("job --csv nothere.csv", 2, "", err("nothere.csv: cannot open nothere.csv")),
    ("job --csv shop.csv --out a.zpl", 0, "zpl job: 12 labels, 2310 bytes -> a.zpl\n", "", {"a.zpl": b"^XA"}),
    ("job --csv shop.csv --printer tsc-da210 --out \u00e9tiquettes.tspl", 0,
     re.compile(r"tspl job: 12 labels, \d+ bytes -> \u00e9tiquettes\.tspl\n"), "", {"\u00e9tiquettes.tspl": b"SIZE "}),
    ("job --csv shop.csv --printer brother-ql-800 --media 62 --out b.bin", 0,
     re.compile(r"brother-ql job: 12 labels, \d+ bytes -> b\.bin\n"), "", {"b.bin": b"\x1b@"}),
    ("job --csv shop.csv --printer dymo-lw-450 --out d.bin", 0,
     re.compile(r"dymo-lw job: 12 labels, \d+ bytes -> d\.bin\n"), "", {"d.bin": b"\x1b"}),
    ("job --csv shop.csv --rows 0:0 --out e.zpl", 0, "zpl job: 0 labels, 0 bytes -> e.zpl\n", "", {"e.zpl": b""}),
    ("job --csv shop.csv --rows 5:0 --proto tspl --out e.tspl", 0, "tspl job: 0 labels, 0 bytes -> e.tspl\n", "",
     {"e.tspl": b""}),
    ("job --csv shop.csv --rows 10:5 --out t.zpl", 0, re.compile(r"zpl job: 2 labels, \d+ bytes -> t\.zpl\n"), "",
     {"t.zpl": b"^XA"}),
    ("job --csv shop.csv --rows -1:3 --out n.zpl", 3, "", err("--rows -1:3: FIRST and COUNT must be 0 or more")),
    ("job --csv qty.csv --quantity-column Quantity --out q.zpl", 0, "zpl job: 46 labels, 2160 bytes -> q.zpl\n",
     "note: 1 row skipped (quantity 0)\nnote: 2 rows printed once (no quantity)\n", {"q.zpl": b"^XA"}),
    ("job --csv qty.csv --quantity-column Quantity --rows 2:2 --out q.zpl", 0,
     re.compile(r"zpl job: 1 labels, \d+ bytes -> q\.zpl\n"),
     "note: 1 row skipped (quantity 0)\nnote: 1 row printed once (no quantity)\n", {"q.zpl": b"^XA"}),
    ("job --csv qty.csv --quantity-column Qty --out q.zpl", 3, "", err("no column is named \"Qty\"")),
    ("job --csv bad.csv --quantity-column Quantity --layout name --out q.zpl", 3, "",
     err("data row 2: quantity \"2.5\" is not a whole number")),
    ("job --csv shop.csv --copies 500 --out big.zpl", 3, "",
     err("this job would print 6000 labels; 5000 is the limit - split it with --rows FIRST:COUNT")),
    ("job --csv shop.csv --copies 500 --rows 2:10 --out big.zpl", 0,
     re.compile(r"zpl job: 5000 labels, \d+ bytes -> big\.zpl\n"), "", {"big.zpl": b"^XA"}),
    ("job --csv shop.csv --copies 99999999999 --out c.zpl", 3, "", err("2147483647 copies is more than 500 of one label")),
    ("job --csv bad.csv --rows 0:1 --printer dymo-lw-450 --out x.bin", 3, "",
     err("dymo-lw: the built-in font has no glyph for this text")),
    ("job --csv bad.csv --rows 1:1 --layout barcode --sym ean13 --printer brother-ql-800 --out x.bin", 3, "",
     err("brother-ql: invalid input")),
    ("job --csv shop.csv --out nofolder/x.zpl", 2, "", err("cannot write nofolder/x.zpl: No such file or directory")),
    ("print --csv shop.csv", 2, "", err("--queue is required unless you pass --dry-run")),
    ("print --csv shop.csv --out p.zpl", 2, "", err("--queue is required unless you pass --dry-run")),
    ("print --csv shop.csv --queue Q --dry-run p.zpl", 0,
     "zpl job: 12 labels, 2310 bytes -> p.zpl (dry run, nothing sent to a printer)\n", "", {"p.zpl": b"^XA"}),
    ("print --csv shop.csv --dry-run nofolder/p.zpl", 2, "", err("cannot write nofolder/p.zpl: No such file or directory")),
    ("print --csv shop.csv --copies 501 --queue nope", 3, "", err("501 copies is more than 500 of one label")),
    # No scheduler natively; Wine then lists no queues at all.
    ("print --csv shop.csv --queue nope", 2, "",
     re.compile(r"tagmoor: print failed: (the print system cannot be reached at .*no-scheduler\.sock: .+"
                r"|there is no print queue named nope)\n")),
    # A job without labels is not sent, on every system alike.
    ("print --csv shop.csv --queue nope --rows 0:0", 0, "no labels to print: nothing sent to nope\n", ""),
    ("print --csv qty.csv --quantity-column Quantity --rows 3:1 --queue nope", 0,
     "no labels to print: nothing sent to nope\n", "note: 1 row skipped (quantity 0)\n"),

    # Output that would overwrite the spreadsheet, however it is named.
    ("job --csv shop.csv --out shop.csv", 2, "", err("shop.csv is the spreadsheet being read; write to another file")),
    ("job --csv shop.csv --out ./shop.csv", 2, "", err("./shop.csv is the spreadsheet being read; write to another file")),
    ("print --csv donn\u00e9es/prix.csv --dry-run donn\u00e9es/../donn\u00e9es/prix.csv", 2, "",
     err("donn\u00e9es/../donn\u00e9es/prix.csv is the spreadsheet being read; write to another file")),
    ("preview --csv shop.csv --out shop.csv", 2, "", err("shop.csv is the spreadsheet being read; write to another file")),
    # Devices are written directly.
    ("job --csv shop.csv --out /dev/null", 0, "zpl job: 12 labels, 2310 bytes -> /dev/null\n", ""),

    # A column the template prints that no header names: the job would print its placeholder.
    ("job --csv nocode.csv --layout barcode --out n.zpl", 3, "",
     err("no column of nocode.csv holds the barcode; its headers are \"Item\", \"Cost\"")),
    ("print --csv nocode.csv --dry-run n.zpl", 3, "",
     err("no column of nocode.csv holds the price; its headers are \"Item\", \"Cost\"")),
    ("check --csv nocode.csv --layout barcode", 0,
     "nocode.csv: 2 columns, 1 rows\n  text     <- column Item\n  barcode  literal \"{Barcode}\"\nall 1 rows render\n", ""),

    # What the printer refuses before any row, with the limit and what changes it.
    ("check --csv shop.csv --printer brother-ql-1100 --size a4-3x8", 3,
     "shop.csv: 3 columns, 12 rows\n  text     <- column Name\n  text     <- column Price\n"
     "  brother-ql: the label is 750 dots wide, more than the 720 of a 90-byte raster line; --media with a width "
     "above 102 mm gives 162-byte lines\n1 of 12 rows cannot print as laid out\n", ""),
    ("job --csv shop.csv --printer brother-ql-1100 --size a4-3x8 --out b.bin", 3, "",
     err("brother-ql: the label is 750 dots wide, more than the 720 of a 90-byte raster line; --media with a width "
         "above 102 mm gives 162-byte lines")),
    ("job --csv shop.csv --printer brother-ql-1100 --size a4-3x8 --media 103 --out b.bin", 0,
     re.compile(r"brother-ql job: 12 labels, \d+ bytes -> b\.bin\n"), "", {"b.bin": b"\x1b@"}),
    ("job --csv shop.csv --printer brother-ql-800 --media 300x300 --out b.bin", 2, "",
     err("--media 300x300: width and length are 0 to 255 mm")),
    ("job --csv shop.csv --printer brother-ql-800 --media 256x0 --out b.bin", 2, "",
     err("--media 256x0: width and length are 0 to 255 mm")),
    ("job --csv shop.csv --printer brother-ql-800 --media 62x-1 --out b.bin", 2, "",
     err("--media 62x-1: width and length are 0 to 255 mm")),

    # ZPL refuses what the other languages refuse.
    ("job --csv bad.csv --rows 0:1 --out z.zpl", 3, "", err("zpl: the built-in font has no glyph for this text")),
    ("job --csv shop.csv --layout barcode --module 0.1 --dpi 96 --out z.zpl", 3, "", err("zpl: out of range")),
    ("job --csv shop.csv --dpi 99999999999 --out z.zpl", 3, "",
     err("zpl: a 50.8 x 25.4 mm label at 2147483647 dpi is 1073741824 x 1073741824 dots; a label takes 1 x 1 to "
         "32768 x 65535")),
    # A symbol that fits the label's length but would run off its end from where it is placed.
    ("job --csv long.csv --size 1x2 --printer zebra-zd421-300 --layout barcode --out z.zpl", 3, "",
     err("zpl: out of range")),
    ("preview --csv long.csv --size 1x2 --printer zebra-zd421-300 --layout barcode --out z.png", 3, "",
     err("cannot render this row: out of range")),

    # Spreadsheet text in messages keeps them on their lines and away from the terminal.
    ("job --csv ctl.csv --layout barcode --out c.zpl", 3, "",
     err(r'no column of ctl.csv holds the barcode; its headers are "Name", "Price", "Code\n\x1b[31m", "Qty"')),
    ("job --csv ctl.csv --quantity-column Qty --out q.zpl", 3, "",
     err(r'data row 1: quantity "2\x1b[2J" is not a number')),
    ("check --csv ctl.csv --layout barcode --quantity-column Qty", 3,
     "ctl.csv: 4 columns, 1 rows\n  text     <- column Name\n  barcode  literal \"{Barcode}\"\n"
     + r'  quantity: data row 1: quantity "2\x1b[2J" is not a number' + "\n1 of 1 rows cannot print as laid out\n", ""),

    # barcode.
    ("barcode", 2, "", err("barcode needs a value")),
    ("barcode --sym qr 1", 2, "", err("--sym code128|ean13|upca")),
    ("barcode --sym upca 12345", 3, "", err("UPC-A cannot encode \"12345\": invalid input")),
    ("barcode Hello-123", 0, "Code128 Hello-123: 154 modules, human readable \"Hello-123\"\n", ""),
    ("barcode --sym ean13 590123412011 --out b.png", 0,
     "EAN-13 5901234120111: 113 modules, human readable \"5901234120111\"\nwrote b.png\n", "",
     {"b.png": png(2 * 274, 2 * 160)}),
    ("barcode --sym upca 03600029145 --dpi 300 --out u.png", 0,
     "UPC-A 036000291452: 113 modules, human readable \"036000291452\"\nwrote u.png\n", "",
     {"u.png": png(2 * 405, 2 * 236)}),
    ("barcode --dpi 50 ABC --out c.png", 3, "Code128 ABC: 88 modules, human readable \"ABC\"\n",
     err("cannot draw this barcode: out of range")),
    ("barcode ABC --out nofolder/c.png", 2, "Code128 ABC: 88 modules, human readable \"ABC\"\n",
     err("cannot write nofolder/c.png: No such file or directory")),
]


def make_folder(folder):
    for name, data in FIXTURES.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if data is None:
            shutil.copy(os.path.join(SAMPLES, "tea-shop.csv"), path)
        else:
            with open(path, "wb") as f:
                f.write(data)
    shutil.copy(os.path.join(SAMPLES, "tea-shop.csv"), os.path.join(folder, "shop.csv"))
    shutil.copy(os.path.join(SAMPLES, "tea-shop-quantities.csv"), os.path.join(folder, "qty.csv"))
    with open(os.path.join(folder, "huge.csv"), "wb") as f:
        f.truncate(70 << 20)
    os.mkdir(os.path.join(folder, "folder.csv"))
    os.mkfifo(os.path.join(folder, "pipe.csv"))


def contents(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def differs(what, expected, actual):
    text = actual.decode(errors="replace")
    same = expected.fullmatch(text) if isinstance(expected, re.Pattern) else expected == text
    return None if same else f"{what}: expected {expected!r}\n    got {text!r}"


def run_case(args, folder, case):
    words, code, out, error = case[:4]
    files = case[4] if len(case) > 4 else {}
    before = set(os.listdir(folder))
    # No print queues: the scheduler named is not there.
    no_scheduler = {"CUPS_SERVER": os.path.join(folder, "no-scheduler.sock")}
    actual_code, actual_out, actual_err = oracle.run(args, shlex.split(words), cwd=folder, env=no_scheduler)
    problems = [p for p in (differs("standard output", out, actual_out), differs("error stream", error, actual_err))
                if p]
    if actual_code != code:
        problems.append(f"exit code {actual_code}, expected {code}")
    made = set(os.listdir(folder)) - before
    if made != set(files):
        problems.append(f"files written: {sorted(made)}, expected {sorted(files)}")
    for name in made:
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            start = f.read(64)
        if name in files and not start.startswith(files[name]):
            problems.append(f"{name} begins {start[:24]!r}, expected {files[name]!r}")
        os.remove(path)
    return [f"tagmoor {words}\n    " + p for p in problems]


def main():
    args = oracle.arguments(__doc__)
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        make_folder(folder)
        inputs = {name: contents(folder, name) for name in ("shop.csv", os.path.join("donn\u00e9es", "prix.csv"))}
        for case in CASES:
            failures += run_case(args, folder, case)
        # No command wrote over a spreadsheet it read.
        failures += [f"{name} changed" for name, data in inputs.items() if contents(folder, name) != data]
    oracle.finish(failures, len(CASES))


if __name__ == "__main__":
    main()
