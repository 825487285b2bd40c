#!/usr/bin/env python3
"""Y4M files that ffmpeg writes, read through the Y4M frame source (the
checker program named on the command line) and compared with ffmpeg's raw
frames of the same picture: each pixel format, with its frame lines as
written ("FRAME\\n", read at the stride) and rewritten with parameters (found
by indexing). Fails when ffmpeg is missing: tools/install-deps installs it.

    y4m_ffmpeg_test.py Y4M_CHECK
"""
import os
import shutil
import subprocess
import sys
import tempfile

# ffmpeg's pixel format, whether its Y4M writer needs -strict -1 for it, and
# what the checker must say of the file: layout, rate, frames.
FORMATS = [
    ("yuv420p", False, "4:2:0"),
    ("yuv422p", False, "4:2:2"),
    ("yuv444p", False, "4:4:4"),
    ("yuv411p", False, "4:1:1"),
    ("gray", False, "Gray"),
    ("yuv420p10le", True, "4:2:0 10-bit"),
    ("yuv422p12le", True, "4:2:2 12-bit"),
    ("yuv444p16le", True, "4:4:4 16-bit"),
    ("gray16le", True, "Gray 16-bit"),
    ("yuv420p9le", True, "4:2:0 9-bit"),
    ("yuva444p", True, "4:4:4 alpha"),
]
FRAMES = 3
SOURCE = ["-f", "lavfi", "-i", "testsrc=size=64x48:rate=30000/1001", "-frames:v", str(FRAMES)]


def with_parameters(y4m, frame_bytes):
    """The file with every frame line given parameters, so the frames lie off
    the stride of plain lines."""
    header, rest = y4m.split(b"\n", 1)
    out = header + b"\n"
    line = b"FRAME\n"
    for n in range(FRAMES):
        if not rest.startswith(line):
            raise ValueError("no plain frame line where ffmpeg writes it")
        out += b"FRAME Ip XN=%d\n" % n + rest[len(line):len(line) + frame_bytes]
        rest = rest[len(line) + frame_bytes:]
    return out


def main():
    checker = sys.argv[1]
    ffmpeg = shutil.which("ffmpeg")
    if not ffmpeg:
        print("FAIL: ffmpeg is missing (tools/install-deps installs it)")
        return 1
    failures = 0
    with tempfile.TemporaryDirectory(prefix="vorlex-y4m.") as folder:
        for fmt, strict, layout in FORMATS:
            y4m = os.path.join(folder, fmt + ".y4m")
            raw = os.path.join(folder, fmt + ".raw")
            common = [ffmpeg, "-v", "error", "-y"] + SOURCE + ["-pix_fmt", fmt]
            subprocess.run(common + (["-strict", "-1"] if strict else []) + [y4m], check=True)
            subprocess.run(common + ["-f", "rawvideo", raw], check=True)
            with open(y4m, "rb") as f:
                content = f.read()
            indexed = os.path.join(folder, fmt + "_indexed.y4m")
            with open(indexed, "wb") as f:
                f.write(with_parameters(content, os.path.getsize(raw) // FRAMES))
            expected = "%s 30000:1001 %d" % (layout, FRAMES)
            for name in (y4m, indexed):
                run = subprocess.run([checker, name, raw], capture_output=True, text=True)
                said = run.stdout.strip()
                if run.returncode != 0 or said != expected:
                    failures += 1
                    print("FAIL %s: said %r, expected %r; %s" % (os.path.basename(name), said, expected,
                                                                 run.stderr.strip()))
                else:
                    print("ok   %s: %s" % (os.path.basename(name), said))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
