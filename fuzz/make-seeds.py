#!/usr/bin/env python3
"""Writes small seed inputs for the fuzz targets, one folder per target:
bitmap files in the layouts other programs write (run-length coded and
core-header ones too), MMP files, raw images with their settings in front,
and Y4M files.

    make-seeds.py OUTPUT_DIR
"""
import os
import struct
import sys


def bitmap(width, height, bits, info=40, top_down=False, compression=0, colours=0, gap=0):
    row = (width * bits + 31) // 32 * 4
    entries = colours or (1 << bits if bits <= 8 else 0)
    masks = b""
    if compression == 3:
        masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F) if bits == 16 else \
            struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)
    extra = masks if info == 40 else b""
    off = 14 + info + len(extra) + 4 * entries + gap
    header = struct.pack("<IiiHHIIiiII", info, width, -height if top_down else height, 1, bits,
                         compression, row * height, 2835, 2835, colours, 0)
    if info > 40:
        header += (masks if compression == 3 else bytes(12)) + bytes(info - 52)
    table = bytes((i * 37) & 0xFF for i in range(4 * entries))
    pixels = bytes((i * 13 + 7) & 0xFF for i in range(row * height))
    body = header + extra + table + bytes(gap) + pixels
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, off) + body


def rle(width, height, bits, stream):
    """A 40-byte run-length file (RLE8 at 8 bits, RLE4 at 4) of `stream`."""
    entries = 1 << bits
    off = 14 + 40 + 4 * entries
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 1 if bits == 8 else 2,
                         len(stream), 2835, 2835, 0, 0)
    table = bytes((i * 37) & 0xFF for i in range(4 * entries))
    body = header + table + bytes(stream)
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, off) + body


def core(width, height, bits):
    """A file with the 12-byte core header and 3-byte colour-table entries."""
    row = (width * bits + 31) // 32 * 4
    entries = 1 << bits if bits <= 8 else 0
    off = 14 + 12 + 3 * entries
    body = struct.pack("<IHHHH", 12, width, height, 1, bits) + \
        bytes((i * 37) & 0xFF for i in range(3 * entries)) + \
        bytes((i * 13 + 7) & 0xFF for i in range(row * height))
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, off) + body


def mmp(width, height):
    groups = (width + 3) // 4
    return bytes(12) + struct.pack("<HH", width, height) + \
        bytes((i * 29 + 3) & 0xFF for i in range(6 * groups * height))


def raw(type_index, width, height, header, frame_bytes):
    settings = bytes([type_index, width & 0xFF, width >> 8, height & 0xFF, height >> 8, header])
    return settings + bytes(header) + bytes((i * 7) & 0xFF for i in range(frame_bytes))


def y4m(header, lines, frame_bytes, cut=0):
    """A Y4M file: the header's tags, then a frame behind each line."""
    out = b"YUV4MPEG2 " + header + b"\n"
    for n, line in enumerate(lines):
        out += line + bytes((n * 16 + i) & 0xFF for i in range(frame_bytes))
    return out[:len(out) - cut]


def main():
    out = sys.argv[1]
    seeds = {
        "bmp": {
            "classic24": bitmap(8, 4, 24),
            "classic8": bitmap(7, 3, 8),
            "classic1": bitmap(17, 2, 1),
            "classic4": bitmap(9, 2, 4, colours=5),
            "v4_24": bitmap(5, 3, 24, info=108),
            "v5_32_bitfields": bitmap(4, 4, 32, info=124, compression=3),
            "bitfields16": bitmap(6, 3, 16, compression=3),
            "top_down8": bitmap(5, 5, 8, top_down=True),
            "gap24": bitmap(4, 2, 24, gap=10),
            # Every code: runs, absolute runs (padded), delta, end of line,
            # end of bitmap.
            "rle8": rle(6, 4, 8, [3, 7, 0, 3, 1, 2, 3, 0, 2, 9, 0, 0, 0, 2, 2, 1, 1, 5, 0, 1]),
            "rle4": rle(5, 3, 4, [3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0,
                                  0, 0, 1, 0xDE, 0, 2, 2, 0, 2, 0xF1, 0, 1]),
            "core8": core(5, 3, 8),
            "core4": core(7, 2, 4),
            "core24": core(3, 3, 24),
        },
        "mmp": {"4x1": mmp(4, 1), "6x3": mmp(6, 3), "16x4": mmp(16, 4), "2x2": mmp(2, 2)},
        "raw": {
            "gray": raw(0, 8, 4, 3, 32),
            "yuv444": raw(1, 4, 2, 0, 24),
            "yuv422": raw(2, 8, 2, 1, 32),
            "yuv411": raw(3, 8, 3, 0, 36),
            "yuv420": raw(4, 8, 5, 2, 60),
            "rgb": raw(5, 4, 3, 0, 36),
            "bgr": raw(6, 12, 1, 4, 36),
            # Sequence frames of the extended layouts: 7 + their place in the
            # Sequence Option list.
            "yuv420p10": raw(7, 8, 4, 0, 96),
            "gray16": raw(7 + 11, 8, 2, 1, 32),
            "nv21": raw(7 + 13, 8, 4, 0, 48),
            "p010": raw(7 + 14, 8, 4, 2, 96),
            "uyvy": raw(7 + 16, 8, 3, 0, 48),
        },
        "y4m": {
            "plain420": y4m(b"W4 H2 F30000:1001 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED", [b"FRAME\n"] * 3, 12),
            "mono16_parameters": y4m(b"W4 H2 Cmono16", [b"FRAME Ip\n", b"FRAME\n", b"FRAME XA=1\n"], 16),
            "alpha_cut": y4m(b"C444alpha H2 W2  F25:1", [b"FRAME\n"] * 3, 16, cut=5),
            "411_damaged": y4m(b"W8 H2 C411", [b"FRAME\n", b"FRAMX\n", b"FRAME\n"], 24),
            "422p10": y4m(b"W2 H2 C422p10 X" + b"x" * 40, [b"FRAME\n"] * 2, 16),
        },
    }
    for target, files in seeds.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
