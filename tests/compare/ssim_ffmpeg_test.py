#!/usr/bin/env python3
"""SSIM and PSNR of frame pairs that ffmpeg writes, from the checker program
named on the command line, against what ffmpeg's ssim and psnr filters print
for the same raw files: every per-frame value as ffmpeg rounds it, and the
averages ffmpeg prints at the end. B is A through a lossy filter chain, or A
itself. Packed layouts (NV12, P010, YUYV) are ffmpeg's repacking of the
planar files, so they must give the planar values. Fails when ffmpeg is
missing: tools/install-deps installs it.

What ffmpeg does that a reader might not expect, each checked here:
- per window, SSIM is computed in single precision; a row of windows is
  summed in double precision for 8-bit samples (ffmpeg's x86 code) and in
  single precision for deeper ones. ffmpeg's x86 code sums an 8-bit row in
  four lanes, the checker in one, so a value within 1e-9 of a rounding
  midpoint may print one unit apart in the sixth decimal: accepted at 8 bits,
  counted and printed;
- the frame's "All" and psnr_avg weight the planes by their sample counts
  (psnr_avg is the PSNR of all samples' squared error together);
- the final SSIM line is the mean of the frames' values, its dB from that
  mean; the final PSNR of a plane is the PSNR of the mean of the frames' MSE,
  not the mean of their PSNR (which Vorlex's statistics table gives), and
  "average", "min" and "max" are of psnr_avg;
- identical samples print inf for PSNR and for SSIM's dB;
- ffmpeg rounds the chroma size of an odd width or height up, where Vorlex's
  layouts round it down, so the subsampled cases have an even size that is
  no multiple of 8 (66x38: chroma 33x19), and 4:4:4 and gray an odd one.

    ssim_ffmpeg_test.py SSIM_CHECK
"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

FRAMES = 6
NOISE = "noise=alls=20:allf=t:all_seed=7"
MILD = "noise=alls=3:allf=t:all_seed=9"  # SSIM near 1, where the dB is most sensitive
# ffmpeg's pixel format, size, chain to B, and packed forms of the same
# frames: (ffmpeg's name, the checker's layout word).
CASES = [
    ("yuv420p", "66x38", NOISE, [("nv12", "nv12")]),
    ("yuv420p", "352x288", "scale=176:144,scale=352:288", []),
    ("yuv420p", "66x38", None, []),  # identical frames
    ("yuv422p", "66x38", MILD, [("yuyv422", "yuyv")]),
    ("yuv444p", "35x27", NOISE, []),
    ("gray", "35x27", MILD, []),
    ("yuv420p10le", "66x38", NOISE, [("p010le", "p010")]),
    ("yuv420p10le", "352x288", MILD, []),
    ("yuv422p10le", "66x38", "boxblur=1", []),
    ("yuv444p10le", "35x27", MILD, []),
    ("gray10le", "35x27", NOISE, []),
    ("gray16le", "64x48", MILD, []),
]


def ffmpeg_lines(ffmpeg, a, b, fmt, size, folder):
    """The per-frame lines of both stats files and the final summary lines."""
    raw = ["-f", "rawvideo", "-pix_fmt", fmt, "-s", size, "-i"]
    ssim, psnr = os.path.join(folder, "ssim.log"), os.path.join(folder, "psnr.log")
    run = subprocess.run([ffmpeg, "-nostdin", "-v", "info"] + raw + [a] + raw + [b] + [
        "-lavfi", "[0:v][1:v]ssim=stats_file=%s;[0:v][1:v]psnr=stats_file=%s" % (ssim, psnr), "-f", "null", "-"],
        capture_output=True, text=True, check=True)
    summary = {m.group(1): m.group(2) for m in re.finditer(r"\] (SSIM|PSNR) (.*)", run.stderr)}
    with open(ssim) as f, open(psnr) as g:
        return f.read().splitlines(), g.read().splitlines(), summary


def ssim_db(total, weight):
    """ffmpeg's dB of a sum of SSIM values over `weight` frames."""
    return 10 * math.log10(weight / (weight - total)) if abs(weight - total) > 1e-9 else math.inf


def compare_ssim(theirs, ours, exact, eight_bit, where, counts):
    """Printed value by printed value, `exact` holding what each rounds; a
    one-unit difference at 8 bits where the exact value is within 1e-9 of the
    midpoint between the two printed values is counted, not failed."""
    t, o = (re.findall(r"(\w+:|\()(-?[\d.]+|inf|-?nan)", text) for text in (theirs, ours))
    if [x[0] for x in t] != [x[0] for x in o] or len(o) != len(exact):
        return ["%s: %r against ffmpeg's %r" % (where, ours, theirs)]
    failures = []
    for (_, x), (_, y), v in zip(t, o, exact):
        if x == y:
            continue
        numbers = all(c in "0123456789." for c in x + y)
        if eight_bit and numbers and round(abs(float(x) - float(y)) * 1e6) == 1 and \
                abs(v - (float(x) + float(y)) / 2) < 1e-9:
            counts["sixth"] += 1
        else:
            failures.append("%s: %s against ffmpeg's %s (exact %.12f) in %r" % (where, y, x, v, theirs))
    return failures


def compare_psnr(theirs, planes, peak, where):
    """ffmpeg's mse and psnr of each plane and of all samples together."""
    fields = dict(f.split(":") for f in theirs.split()[1:])
    total_sse, total = sum(int(p[1]) for p in planes), sum(int(p[2]) for p in planes)
    want = {"mse_avg": "%.2f" % (total_sse / total),
            "psnr_avg": "%.2f" % (10 * math.log10(peak * peak * total / total_sse)) if total_sse else "inf"}
    failures = []
    for name, sse, samples, db, text in planes:
        c = name.lower()
        want["mse_" + c] = "%.2f" % (int(sse) / int(samples))
        want["psnr_" + c] = "inf" if db == "inf" else "%.2f" % float(db)
        if text != ("identical" if db == "inf" else fields.get("psnr_" + c)):
            failures.append("%s: PsnrText %s against ffmpeg's psnr_%s %s" % (where, text, c, fields.get("psnr_" + c)))
    return failures + ["%s: %s %s against ffmpeg's %s" % (where, k, v, fields.get(k))
                       for k, v in want.items() if fields.get(k) != v]


def compare_summary(summary, names, ssims, psnrs, peak, eight_bit, where, counts):
    """ffmpeg's final lines from the frames' values, as the notes above say."""
    frames = len(ssims)
    sums = [sum(s[i] for s in ssims) for i in range(len(names) + 1)]
    exact = [v for total in sums for v in (total / frames, ssim_db(total, frames))]
    ours = " ".join("%s:%.6f (%.6f)" % (n, t / frames, ssim_db(t, frames)) for n, t in zip(names + ["All"], sums))
    failures = compare_ssim(summary["SSIM"], ours, exact, eight_bit, where + " final", counts)
    mse = [[int(p[1]) / int(p[2]) for p in f] for f in psnrs]
    avg = [sum(int(p[1]) for p in f) / sum(int(p[2]) for p in f) for f in psnrs]
    db = lambda m: "%.6f" % (10 * math.log10(peak * peak / m)) if m else "inf"
    want = " ".join("%s:%s" % (n.lower(), db(sum(f[i] for f in mse) / frames)) for i, n in enumerate(names))
    want += " average:%s min:%s max:%s" % (db(sum(avg) / frames), db(max(avg)), db(min(avg)))
    if summary["PSNR"].strip() != want:
        failures.append("%s: final PSNR %s against ffmpeg's %s" % (where, want, summary["PSNR"].strip()))
    return failures


def main():
    checker = sys.argv[1]
    ffmpeg = shutil.which("ffmpeg")
    if not ffmpeg:
        print("FAIL: ffmpeg is missing (tools/install-deps installs it)")
        return 1
    failures, counts, compared = [], {"sixth": 0}, 0
    with tempfile.TemporaryDirectory(prefix="vorlex-ssim.") as folder:
        for fmt, size, chain, packed in CASES:
            where = "%s %s %s" % (fmt, size, chain or "identical")
            a, b = os.path.join(folder, "a.raw"), os.path.join(folder, "b.raw")
            common = [ffmpeg, "-nostdin", "-v", "error", "-y"]
            subprocess.run(common + ["-f", "lavfi", "-i", "testsrc=size=%s:rate=25" % size, "-frames:v",
                                     str(FRAMES), "-pix_fmt", fmt, "-f", "rawvideo", a], check=True)
            if chain:
                subprocess.run(common + ["-f", "rawvideo", "-pix_fmt", fmt, "-s", size, "-i", a, "-vf", chain,
                                         "-pix_fmt", fmt, "-f", "rawvideo", b], check=True)
            else:
                shutil.copyfile(a, b)
            ssim_lines, psnr_lines, summary = ffmpeg_lines(ffmpeg, a, b, fmt, size, folder)
            w, h = size.split("x")
            depth = int(re.search(r"p?(\d+)le$", fmt).group(1)) if fmt.endswith("le") else 8
            peak = (1 << depth) - 1
            layouts = [(fmt, a, b)]
            for packed_fmt, word in packed:
                pa, pb = os.path.join(folder, "pa.raw"), os.path.join(folder, "pb.raw")
                for src, dst in ((a, pa), (b, pb)):
                    subprocess.run(common + ["-f", "rawvideo", "-pix_fmt", fmt, "-s", size, "-i", src, "-pix_fmt",
                                             packed_fmt, "-f", "rawvideo", dst], check=True)
                layouts.append((word, pa, pb))
            for word, fa, fb in layouts:
                run = subprocess.run([checker, fa, fb, word, w, h], capture_output=True, text=True)
                lines = run.stdout.splitlines()
                label = "%s as %s" % (where, word)
                if run.returncode != 0 or len(lines) != FRAMES or len(ssim_lines) != FRAMES:
                    failures.append("%s: checker exit %d, %d lines; %s" % (label, run.returncode, len(lines),
                                                                          run.stderr.strip()))
                    continue
                ssims, psnrs, before = [], [], len(failures)
                for line, theirs, their_psnr in zip(lines, ssim_lines, psnr_lines):
                    n, text, exact, planes = line.split("|")
                    planes = [p.split() for p in planes.split(",")]
                    ssims.append([float(v) for v in exact.split()])
                    psnrs.append(planes)
                    frame = "%s %s" % (label, n)
                    exact = ssims[-1] + [ssim_db(ssims[-1][-1], 1)]
                    failures += compare_ssim(theirs.split(" ", 1)[1], text, exact, depth == 8, frame, counts)
                    failures += compare_psnr(their_psnr, planes, peak, frame)
                    compared += 1
                names = [p[0] for p in psnrs[0]]
                failures += compare_summary(summary, names, ssims, psnrs, peak, depth == 8, label, counts)
                print("%s %s: %d frames" % ("FAIL" if len(failures) > before else "ok  ", label, len(lines)))
    for f in failures:
        print("FAIL " + f)
    print("%d frame pairs compared; one-unit differences in the sixth decimal of 8-bit SSIM: %d"
          % (compared, counts["sixth"]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
