#!/usr/bin/env python3
"""Writes the player's icon: a strip of film around a play triangle, drawn
here in code at 16 x 16 and 32 x 32 pixels (32-bit with alpha).

    make-icon.py OUTPUT.ico
"""
import struct
import sys


def draw(size):
    """Rows of (b, g, r, a) tuples, top row first."""
    s = size / 32.0
    film = (40, 40, 48, 255)
    hole = (235, 235, 235, 255)
    frame = (150, 95, 30, 255)      # blue-ish picture area (BGR order)
    play = (40, 200, 250, 255)      # warm yellow triangle
    clear = (0, 0, 0, 0)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s  # position on the 32 x 32 design
            if not (1 <= fx < 31 and 3 <= fy < 29):
                row.append(clear)
                continue
            if fy < 8 or fy >= 24:
                # Perforated edges of the strip.
                on_hole = (int(fx) % 6) in (2, 3, 4) and (4.5 <= fy < 6.5 or 25.5 <= fy < 27.5)
                row.append(hole if on_hole else film)
                continue
            # The picture, with a play triangle pointing right.
            tx, ty = fx - 11, fy - 16
            if 0 <= tx <= 11 and abs(ty) <= 6 - tx * 6 / 11:
                row.append(play)
            else:
                row.append(frame)
        rows.append(row)
    return rows


def image_data(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(p) for row in reversed(rows) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha decides; the AND mask stays clear
    return header + pixels + mask


def main():
    sizes = (32, 16)
    images = [image_data(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
