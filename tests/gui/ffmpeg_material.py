#!/usr/bin/env python3
"""Writes what the GUI tests open of ffmpeg's own making: for each pixel
format its Y4M writer takes, two QCIF frames of its test pattern at
30000/1001 fps as FORMAT.y4m, and the same frames as raw samples as
FORMAT.raw, into the folder given.

    ffmpeg_material.py FOLDER
"""
import os
import shutil
import subprocess
import sys

# The formats, and whether the Y4M writer needs -strict -1 for them.
FORMATS = [("yuv420p", False), ("yuv422p", False), ("yuv444p", False), ("yuv411p", False), ("gray", False),
           ("yuv420p10le", True), ("yuv422p12le", True), ("yuv444p16le", True), ("gray16le", True),
           ("yuva444p", True)]


def main():
    folder = sys.argv[1]
    ffmpeg = shutil.which("ffmpeg")
    if not ffmpeg:
        print("ffmpeg is missing (tools/install-deps installs it)")
        return 1
    os.makedirs(folder, exist_ok=True)
    source = ["-f", "lavfi", "-i", "testsrc=size=176x144:rate=30000/1001", "-frames:v", "2"]
    for fmt, strict in FORMATS:
        common = [ffmpeg, "-v", "error", "-y"] + source + ["-pix_fmt", fmt]
        subprocess.run(common + (["-strict", "-1"] if strict else []) + [os.path.join(folder, fmt + ".y4m")],
                       check=True)
        subprocess.run(common + ["-f", "rawvideo", os.path.join(folder, fmt + ".raw")], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
