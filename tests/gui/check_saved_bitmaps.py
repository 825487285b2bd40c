#!/usr/bin/python3
"""Reads back the bitmaps the GUI tests saved, with two decoders that share
nothing with the player: Pillow and ImageMagick. Each file listed in
saved-bitmaps.txt (saved name, expected pixels, width, height; tab-separated)
must decode to exactly the expected top-down red-green-blue bytes.

    check_saved_bitmaps.py WORK_FOLDER
"""
import os
import subprocess
import sys

from PIL import Image

CONVERT = "/usr/bin/convert"  # the real ImageMagick, not a stand-in on PATH


def check(folder, saved, expected_name, width, height):
    path = os.path.join(folder, saved)
    with open(os.path.join(folder, expected_name), "rb") as f:
        expected = f.read()
    problems = []
    with open(path, "rb") as f:
        if f.read(2) != b"BM":
            problems.append("does not start with BM")
    with Image.open(path) as image:
        if image.format != "BMP" or image.size != (width, height):
            problems.append(f"Pillow reads {image.format} {image.size}")
        elif image.convert("RGB").tobytes() != expected:
            problems.append("Pillow's pixels differ")
    magick = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], capture_output=True, check=False)
    if magick.returncode != 0 or magick.stdout != expected:
        problems.append("ImageMagick's pixels differ")
    return problems


def main():
    folder = sys.argv[1]
    with open(os.path.join(folder, "saved-bitmaps.txt"), encoding="utf-8") as f:
        entries = [line.rstrip("\n").split("\t") for line in f if line.strip()]
    failed = 0
    for saved, expected, width, height in entries:
        problems = check(folder, saved, expected, int(width), int(height))
        print(f"{'FAILED' if problems else 'ok'}: {saved} {'; '.join(problems)}")
        failed += bool(problems)
    print(f"{len(entries) - failed} passed, {failed} failed")
    return 1 if failed or not entries else 0


if __name__ == "__main__":
    sys.exit(main())
