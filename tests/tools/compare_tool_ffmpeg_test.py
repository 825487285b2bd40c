#!/usr/bin/env python3
"""vorlex-compare's CSV against ffmpeg's psnr and ssim filters on the same
raw files: for 4:2:0 at 8 and 10 bits, every frame's PSNR of each plane (as
ffmpeg prints psnr_y, psnr_u, psnr_v, to two decimals) and SSIM of each
plane and of all (six decimals) must read the same. The frames ffmpeg
writes: its test pattern against a noisy copy, one frame left identical.
Fails when ffmpeg is missing (tools/install-deps installs it).

    compare_tool_ffmpeg_test.py VORLEX_COMPARE
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile

SIZE = "64x48"
FRAMES = 5


def stats(path):
    """Each line of an ffmpeg stats file as a dict of its key:value pairs."""
    with open(path) as f:
        return [dict(re.findall(r"(\w+):(\S+)", line)) for line in f if line.strip()]


def main():
    tool = sys.argv[1]
    ffmpeg = shutil.which("ffmpeg")
    if not ffmpeg:
        print("FAIL: ffmpeg is missing (tools/install-deps installs it)")
        return 1
    failures = 0
    with tempfile.TemporaryDirectory(prefix="vorlex-tool.") as folder:
        for fmt, layout in (("yuv420p", "420"), ("yuv420p10le", "yuv420p10le")):
            a, b = os.path.join(folder, "a.yuv"), os.path.join(folder, "b.yuv")
            raw = ["-f", "rawvideo", "-s", SIZE, "-pix_fmt", fmt]
            subprocess.run([ffmpeg, "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=%s:rate=25" % SIZE,
                            "-frames:v", str(FRAMES), "-pix_fmt", fmt, "-f", "rawvideo", a], check=True)
            # Frame 0 passes unchanged: its PSNR is inf, its SSIM 1.
            subprocess.run([ffmpeg, "-v", "error", "-y"] + raw + ["-i", a, "-vf",
                            "noise=alls=15:allf=t:all_seed=5:enable='gte(n,1)'"] + ["-pix_fmt", fmt, "-f",
                            "rawvideo", b], check=True)
            ssim_log, psnr_log = os.path.join(folder, "ssim.log"), os.path.join(folder, "psnr.log")
            subprocess.run([ffmpeg, "-v", "error"] + raw + ["-i", a] + raw + ["-i", b, "-lavfi",
                            "[0:v][1:v]ssim=stats_file=%s;[0:v][1:v]psnr=stats_file=%s" % (ssim_log, psnr_log),
                            "-f", "null", "-"], check=True)
            run = subprocess.run([tool, "-s", SIZE, "-l", layout, a, b], capture_output=True, text=True)
            if run.returncode != 1:
                print("FAIL %s: exit %d: %s" % (fmt, run.returncode, run.stderr.strip()))
                failures += 1
                continue
            table = run.stdout.replace("\r\n", "\n").split("\n\n")[0]  # the frames, not the summary
            rows = list(csv.DictReader(io.StringIO(table)))
            for n, (row, s, p) in enumerate(zip(rows, stats(ssim_log), stats(psnr_log))):
                pairs = [("%s PSNR (dB)" % c, p["psnr_" + c.lower()]) for c in "YUV"]
                pairs += [("%s SSIM" % c, s[c]) for c in "YUV"] + [("All SSIM", s["All"])]
                for column, theirs in pairs:
                    ours = row[column]
                    if ours == "identical":
                        ours = "inf"
                    if ours != theirs:
                        print("FAIL %s frame %d %s: %s, ffmpeg %s" % (fmt, n, column, ours, theirs))
                        failures += 1
            if len(rows) != FRAMES:
                print("FAIL %s: %d rows" % (fmt, len(rows)))
                failures += 1
            else:
                print("ok   %s: %d frames, PSNR and SSIM as ffmpeg prints them" % (fmt, FRAMES))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
