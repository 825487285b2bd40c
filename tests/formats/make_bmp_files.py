#!/usr/bin/python3
"""Writes the bitmap files that the tests store, refuse and show.

    make_bmp_files.py CONVERT OUTDIR

Every file is written by ImageMagick (CONVERT, the real `convert`) or by
Pillow, in every layout the two write that display.dll shows or refuses.
Neither tool writes top-down rows, a gap before the rows, a short colour table
or bit-field masks after a 40-byte header; those files are rewritten from a
tool's own file here, and decoded by that tool again. Beside each file to be
shown lies NAME.rgb: the writing tool's own decoding, 8-bit red, green, blue,
top row first. The header of every file is read back and checked against
what it is meant to be, so a tool that changes what it writes fails the build
instead of quietly thinning out the test.

OUTDIR/manifest.txt, one file a line:
    show NAME.bmp NAME.rgb WIDTH HEIGHT LABEL
    refuse NAME.bmp - WIDTH HEIGHT LABEL
"""
import os
import random
import struct
import subprocess
import sys

from PIL import Image

WIDTH, HEIGHT = 37, 23  # odd: every bit count gets padded rows


def header(data):
    """(info size, width, height, bits, compression, colours used, bfOffBits)."""
    assert data[:2] == b"BM"
    info = struct.unpack_from("<I", data, 14)[0]
    off = struct.unpack_from("<I", data, 10)[0]
    if info == 12:
        w, h, _, bits = struct.unpack_from("<HHHH", data, 18)
        return info, w, h, bits, 0, 0, off
    w, h, _, bits, comp = struct.unpack_from("<iiHHI", data, 18)
    used = struct.unpack_from("<I", data, 46)[0]
    return info, w, h, bits, comp, used, off


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def table_end(data):
    """Where the colour table (or the masks after a 40-byte header) ends."""
    info, _, _, bits, comp, used, _ = header(data)
    end = 14 + info + (12 if info == 40 and comp == 3 else 0)
    entries = used or (1 << bits if bits <= 8 else 0)
    return end + 4 * entries


def rows_of(data):
    info, w, h, bits, _, _, off = header(data)
    n = row_bytes(w, bits)
    return [data[off + i * n: off + (i + 1) * n] for i in range(abs(h))]


def top_down(data):
    """The same picture with negative biHeight and its rows in reverse."""
    _, w, h, bits, _, _, off = header(data)
    assert h > 0
    out = bytearray(data[:off]) + b"".join(reversed(rows_of(data)))
    struct.pack_into("<i", out, 22, -h)
    return bytes(out)


def with_gap(data, gap):
    """Rows moved `gap` bytes further, bfOffBits and bfSize following."""
    off = header(data)[6]
    out = bytearray(data[:off]) + bytes([0xA5]) * gap + data[off:]
    struct.pack_into("<I", out, 10, off + gap)
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def short_table(data, entries):
    """A 40-byte 8-bit file that lists only the colours its pixels use."""
    info, _, _, bits, comp, _, off = header(data)
    assert info == 40 and bits == 8 and comp == 0
    assert max(b for row in rows_of(data) for b in row[:WIDTH]) < entries
    out = bytearray(data[:54 + 4 * entries]) + data[off:]
    struct.pack_into("<I", out, 46, entries)
    struct.pack_into("<I", out, 50, entries)
    struct.pack_into("<I", out, 10, 54 + 4 * entries)
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def classic_bit_fields(data):
    """A 124-byte bit-field file rewritten with a 40-byte header and the
    three masks right after it."""
    info, _, _, _, comp, _, off = header(data)
    assert info in (108, 124) and comp == 3
    out = bytearray(data[:54]) + data[54:66] + data[off:]
    struct.pack_into("<I", out, 14, 40)
    struct.pack_into("<I", out, 10, 66)
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def pattern_rows(bits, colours):
    """Picture rows, bottom first, of colour indices that give a run-length
    coder every code to use: solid and two-colour alternating stretches,
    stretches of distinct colours, and stretches of index 0 inside and at the
    end of rows, two rows of 0 in the middle and three at the top."""
    rng = random.Random(bits)
    rows = []
    for y in range(HEIGHT):
        row = []
        while y not in (5, 6, 20, 21, 22) and len(row) < WIDTH:
            kind = rng.randrange(4)
            n = rng.randrange(3, 10)
            a, b = rng.randrange(1, colours), rng.randrange(1, colours)
            if kind == 0:
                row += [a] * n
            elif kind == 1:
                row += [a, b] * n
            elif kind == 2:
                row += [rng.randrange(1, colours) for _ in range(rng.randrange(1, 8))]
            else:
                row += [0] * rng.randrange(4, 7)
        row = (row + [0] * WIDTH)[:WIDTH]
        if y % 4 == 3:
            row[-5:] = [0] * 5
        rows.append(row)
    return rows


def with_pattern(data, rows):
    """A 40-byte uncompressed 4- or 8-bit file with its pixels replaced."""
    info, _, _, bits, comp, _, off = header(data)
    assert info == 40 and bits in (4, 8) and comp == 0
    out = bytearray(data[:off])
    for row in rows:
        if bits == 4:
            row = [row[x] << 4 | (row[x + 1] if x + 1 < WIDTH else 0) for x in range(0, WIDTH, 2)]
        out += bytes(row) + bytes(row_bytes(WIDTH, bits) - len(row))
    return bytes(out)


def rle_stream(rows, bits, used):
    """RLE8 (8 bits) or RLE4 (4 bits) code of the rows, bottom first: runs of
    one colour (at 4 bits two alternating ones), absolute runs of 3 or more
    pixels padded to 16 bits, deltas over stretches of index 0, an early end
    of line where a row ends in 0, end of bitmap. Adds the kinds of code used
    to `used`."""
    out = bytearray()

    def alternating(row, x, end):
        n = 1
        while x + n < end and n < 255 and row[x + n] == row[x + (n % 2 if bits == 4 else 0)]:
            n += 1
        return n

    y = 0
    while y < HEIGHT:
        row = rows[y]
        if not any(row):
            n = 1
            while y + n < HEIGHT and not any(rows[y + n]):
                n += 1
            out += bytes([0, 2, 0, n])
            used.add("delta-up")
            y += n
            continue
        end = max(i for i in range(WIDTH) if row[i]) + 1
        if end < WIDTH:
            used.add("early-end-of-line")
        x = 0
        while x < end:
            zeros = 0
            while row[x + zeros] == 0:
                zeros += 1
            if zeros >= 4:
                out += bytes([0, 2, zeros, 0])
                used.add("delta-right")
                x += zeros
                continue
            n = alternating(row, x, end)
            if n >= 3 or end - x < 3:
                n = min(n, 2) if n < 3 else n
                pair = row[x] << 4 | (row[x + 1] if n > 1 else 0) if bits == 4 else row[x]
                out += bytes([n, pair])
                used.add("run")
                x += n
                continue
            m = 3
            while x + m < end and m < 255 and alternating(row, x + m, end) < 3 and \
                    row[x + m: x + m + 4] != [0] * 4:
                m += 1
            pixels = row[x:x + m]
            if bits == 4:
                pixels = [pixels[i] << 4 | (pixels[i + 1] if i + 1 < m else 0)
                          for i in range(0, m, 2)]
            out += bytes([0, m]) + bytes(pixels) + bytes(len(pixels) % 2)
            used.add("absolute-" + ("odd" if m % 2 else "even"))
            x += m
        out += b"\x00\x00"
        y += 1
    return bytes(out + b"\x00\x01")


def run_length(data, bits, rows):
    """The file of with_pattern(data, rows) with the rows run-length coded;
    checks that every kind of code occurs."""
    used = set()
    body = rle_stream(rows, bits, used)
    assert used == {"run", "absolute-odd", "absolute-even", "delta-right", "delta-up",
                    "early-end-of-line"}, used
    off = header(data)[6]
    out = bytearray(data[:off]) + body
    struct.pack_into("<I", out, 30, 1 if bits == 8 else 2)
    struct.pack_into("<I", out, 34, len(body))
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def set_compression(data, compression):
    out = bytearray(data)
    struct.pack_into("<I", out, 30, compression)
    return bytes(out)


def header64(data):
    """A 40-byte file given the 64-byte header of the second OS/2 version."""
    info, _, _, _, _, _, off = header(data)
    assert info == 40
    out = bytearray(data[:54]) + bytes(24) + data[54:]
    struct.pack_into("<I", out, 14, 64)
    struct.pack_into("<I", out, 10, off + 24)
    struct.pack_into("<I", out, 2, len(out))
    return bytes(out)


def negate_height(data):
    out = bytearray(data)
    struct.pack_into("<i", out, 22, -header(data)[2])
    return bytes(out)


class Writer:
    def __init__(self, convert, outdir):
        self.convert = convert
        self.outdir = outdir
        self.lines = []

    def path(self, name):
        return os.path.join(self.outdir, name)

    def decode(self, tool, name):
        if tool == "magick":
            rgb = subprocess.run([self.convert, self.path(name), "-depth", "8", "rgb:-"],
                                 check=True, stdout=subprocess.PIPE).stdout
        else:
            with Image.open(self.path(name)) as im:
                rgb = im.convert("RGB").tobytes()
        assert len(rgb) == 3 * WIDTH * HEIGHT, (name, len(rgb))
        return rgb

    def check(self, name, expect):
        """Reads the header the tool really wrote; `expect` is
        (info size, bits, compression, top-down)."""
        with open(self.path(name), "rb") as f:
            data = f.read()
        info, w, h, bits, comp, _, _ = header(data)
        got = (info, bits, comp, h < 0)
        assert got == expect and (w, abs(h)) == (WIDTH, HEIGHT), (name, got, expect)
        return data

    def show(self, tool, name, expect, same_as=None, widen4=False):
        self.check(name, expect)
        rgb = self.decode(tool, name)
        if widen4:
            # ImageMagick widens a 4-bit channel v to v << 4; the platform,
            # as for 5- and 6-bit channels, repeats the bits: v << 4 | v.
            assert all(c & 0x0F == 0 for c in rgb), name
            rgb = bytes(c | c >> 4 for c in rgb)
        if same_as is not None:
            # A rewritten file shows the picture of the file it came from.
            assert rgb == self.decode(tool, same_as), name
        stem = name[:-4]
        with open(self.path(stem + ".rgb"), "wb") as f:
            f.write(rgb)
        label = "%s:%d-byte-header,%d-bit,%s%s" % (
            tool, expect[0], expect[1], ("BI_RGB", "RLE8", "RLE4", "BI_BITFIELDS")[expect[2]],
            ",top-down" if expect[3] else "")
        self.lines.append("show %s %s.rgb %d %d %s" % (name, stem, WIDTH, HEIGHT, label))

    def refuse(self, tool, name, expect, what):
        self.check(name, expect)
        self.lines.append("refuse %s - %d %d %s:%s" % (name, WIDTH, HEIGHT, tool, what))

    def magick(self, name, *options, prefix="", source="picture.ppm"):
        subprocess.run([self.convert, self.path(source), *options, prefix + self.path(name)],
                       check=True)
        return name

    def rewrite(self, source, name, change):
        with open(self.path(source), "rb") as f:
            data = change(f.read())
        with open(self.path(name), "wb") as f:
            f.write(data)
        return name


def main():
    convert, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    w = Writer(convert, outdir)

    # A picture of random colours, and one with random transparency.
    rng = random.Random(5)
    rgb = bytes(rng.randrange(256) for _ in range(3 * WIDTH * HEIGHT))
    alpha = bytes(rng.randrange(256) for _ in range(WIDTH * HEIGHT))
    with open(w.path("picture.ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + rgb)
    rgba = b"".join(rgb[3 * i:3 * i + 3] + alpha[i:i + 1] for i in range(WIDTH * HEIGHT))
    with open(w.path("picture.pam"), "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                % (WIDTH, HEIGHT) + rgba)

    # ImageMagick. Its default header is the 124-byte one; without a rendering
    # intent it writes 108 bytes, and BMP3: the 40-byte header. Palette
    # pictures of more than 16 colours are RLE8 unless told otherwise.
    palette8 = ("-type", "palette", "-compress", "None")
    palette4 = ("-colors", "16", "-type", "palette")
    mono = ("-monochrome",)
    v4 = ("-intent", "Undefined")
    v5 = ("-intent", "Perceptual")
    alpha_pic = {"source": "picture.pam"}
    m = w.magick
    w.show("magick", m("im_default.bmp"), (124, 24, 0, False))
    w.show("magick", m("im_v4_24.bmp", *v4), (108, 24, 0, False))
    w.show("magick", m("im_v3_24.bmp", prefix="BMP3:"), (40, 24, 0, False))
    w.show("magick", m("im_v3_8.bmp", *palette8, prefix="BMP3:"), (40, 8, 0, False))
    w.show("magick", m("im_v4_8.bmp", *palette8, *v4), (108, 8, 0, False))
    w.show("magick", m("im_v5_8.bmp", *palette8), (124, 8, 0, False))
    w.show("magick", m("im_v3_4.bmp", *palette4, prefix="BMP3:"), (40, 4, 0, False))
    w.show("magick", m("im_v4_4.bmp", *palette4, *v4), (108, 4, 0, False))
    w.show("magick", m("im_v5_4.bmp", *palette4), (124, 4, 0, False))
    w.show("magick", m("im_v3_1.bmp", *mono, prefix="BMP3:"), (40, 1, 0, False))
    w.show("magick", m("im_v4_1.bmp", *mono), (108, 1, 0, False))
    w.show("magick", m("im_v5_1.bmp", *mono, *v5), (124, 1, 0, False))
    w.show("magick", m("im_v5_565.bmp", "-define", "bmp:subtype=RGB565"), (124, 16, 3, False))
    w.show("magick", m("im_v4_565.bmp", *v4, "-define", "bmp:subtype=RGB565"),
           (108, 16, 3, False))
    w.show("magick", m("im_v5_555.bmp", "-define", "bmp:subtype=RGB555"), (124, 16, 3, False))
    w.show("magick", m("im_v5_1555.bmp", "-define", "bmp:subtype=ARGB1555", **alpha_pic),
           (124, 16, 3, False))
    w.show("magick", m("im_v5_4444.bmp", "-define", "bmp:subtype=ARGB4444", **alpha_pic),
           (124, 16, 3, False), widen4=True)
    w.show("magick", m("im_v5_32.bmp", **alpha_pic), (124, 32, 3, False))
    w.show("magick", m("im_v4_32.bmp", *v4, **alpha_pic), (108, 32, 3, False))
    r = w.rewrite
    w.show("magick", r("im_default.bmp", "im_v5_24_top.bmp", top_down), (124, 24, 0, True),
           "im_default.bmp")
    w.show("magick", r("im_v3_8.bmp", "im_v3_8_top.bmp", top_down), (40, 8, 0, True),
           "im_v3_8.bmp")
    w.show("magick", r("im_v4_4.bmp", "im_v4_4_top.bmp", top_down), (108, 4, 0, True),
           "im_v4_4.bmp")
    w.show("magick", r("im_v5_1.bmp", "im_v5_1_top.bmp", top_down), (124, 1, 0, True),
           "im_v5_1.bmp")
    w.show("magick", r("im_v5_565.bmp", "im_v5_565_top.bmp", top_down), (124, 16, 3, True),
           "im_v5_565.bmp")
    w.show("magick", r("im_v4_32.bmp", "im_v4_32_top.bmp", top_down), (108, 32, 3, True),
           "im_v4_32.bmp")
    w.show("magick", r("im_v5_565.bmp", "im_v3_565.bmp", classic_bit_fields),
           (40, 16, 3, False), "im_v5_565.bmp")
    w.show("magick", r("im_v5_32.bmp", "im_v3_32.bmp", classic_bit_fields), (40, 32, 3, False),
           "im_v5_32.bmp")
    w.show("magick", r("im_v3_565.bmp", "im_v3_565_top.bmp", top_down), (40, 16, 3, True),
           "im_v5_565.bmp")
    w.show("magick", r("im_v3_8.bmp", "im_v3_8_gap.bmp", lambda d: with_gap(d, 6)),
           (40, 8, 0, False), "im_v3_8.bmp")
    w.show("magick", r("im_v3_24.bmp", "im_v3_24_gap.bmp", lambda d: with_gap(d, 20)),
           (40, 24, 0, False), "im_v3_24.bmp")
    m("im_v3_8_40.bmp", "-colors", "40", *palette8, prefix="BMP3:")
    w.show("magick", r("im_v3_8_40.bmp", "im_v3_8_short.bmp", lambda d: short_table(d, 40)),
           (40, 8, 0, False), "im_v3_8_40.bmp")

    # Run-length coded rows: ImageMagick writes RLE8 (one run a pixel here,
    # whole padded rows); the hand-made RLE8 and RLE4 files use every code,
    # and ImageMagick decodes each to the picture of the plain file it came
    # from.
    w.show("magick", m("im_v3_rle8.bmp", "-type", "palette", prefix="BMP3:"), (40, 8, 1, False))
    w.show("magick", m("im_v5_rle8.bmp", "-type", "palette"), (124, 8, 1, False))
    for bits, source in ((8, "im_v3_8.bmp"), (4, "im_v3_4.bmp")):
        with open(w.path(source), "rb") as f:
            rows = pattern_rows(bits, header(f.read())[5] or 1 << bits)
        plain = r(source, "made_%d.bmp" % bits, lambda d: with_pattern(d, rows))
        w.show("magick", r(plain, "made_rle%d.bmp" % bits, lambda d: run_length(d, bits, rows)),
               (40, bits, 1 if bits == 8 else 2, False), plain)
    # The 12-byte core header.
    w.show("magick", m("im_os2_24.bmp", prefix="BMP2:"), (12, 24, 0, False))
    w.show("magick", m("im_os2_8.bmp", "-type", "palette", prefix="BMP2:"), (12, 8, 0, False))
    w.show("magick", m("im_os2_4.bmp", *palette4, prefix="BMP2:"), (12, 4, 0, False))
    w.show("magick", m("im_os2_1.bmp", *mono, prefix="BMP2:"), (12, 1, 0, False))

    w.refuse("magick", r("im_v3_rle8.bmp", "im_v3_rle8_top.bmp", negate_height), (40, 8, 1, True),
             "top-down-RLE8")
    w.refuse("magick", r("im_v3_8.bmp", "im_v3_8_bitfields.bmp", lambda d: set_compression(d, 3)),
             (40, 8, 3, False), "bit-fields-at-8-bits")
    w.refuse("magick", r("im_v3_8.bmp", "im_v3_8_h64.bmp", header64), (64, 8, 0, False),
             "64-byte-header")

    # Pillow: 40-byte headers only; 1, 8 (gray or palette), 24 and 32 bits.
    def pil(name, mode):
        im = Image.frombytes("RGBA", (WIDTH, HEIGHT), rgba)
        if mode == "P":
            im = im.convert("RGB").quantize(60)
        elif mode != "RGBA":
            im = im.convert(mode)
        im.save(w.path(name), format="BMP")
        return name

    w.show("pillow", pil("pil_24.bmp", "RGB"), (40, 24, 0, False))
    w.show("pillow", pil("pil_32.bmp", "RGBA"), (40, 32, 0, False))
    w.show("pillow", pil("pil_8_gray.bmp", "L"), (40, 8, 0, False))
    w.show("pillow", pil("pil_8.bmp", "P"), (40, 8, 0, False))
    w.show("pillow", pil("pil_1.bmp", "1"), (40, 1, 0, False))
    for name, bits in (("pil_24", 24), ("pil_32", 32), ("pil_8", 8), ("pil_1", 1)):
        w.show("pillow", r(name + ".bmp", name + "_top.bmp", top_down), (40, bits, 0, True),
               name + ".bmp")

    with open(w.path("manifest.txt"), "w") as f:
        f.write("\n".join(w.lines) + "\n")


if __name__ == "__main__":
    main()
