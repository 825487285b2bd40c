#!/usr/bin/env python3
"""Runs the README's example of many comparisons at once with GNU parallel
on two pairs of 16x8 files, one pair identical and one not, with 1920x1080
in the command turned into 16x8: each CSV must be written and the job log
must give 0 and 1. Fails when parallel is missing (tools/install-deps
installs it).

    parallel_example_test.py README.md FOLDER_OF_VORLEX_COMPARE
"""
import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile


def example(readme):
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    part = text[text.index("#### Many pairs at once"):]
    block = re.search(r"```sh\n(.*?)```", part, re.S).group(1)
    return block.replace("1920x1080", "16x8")


def main():
    readme, tools = sys.argv[1], os.path.abspath(sys.argv[2])
    if not shutil.which("parallel"):
        print("FAIL: GNU parallel is missing (tools/install-deps installs it)")
        return 1
    frame = bytes(range(192))
    with tempfile.TemporaryDirectory(prefix="vorlex-parallel.") as top:
        for folder in ("references", "decoded"):
            os.mkdir(os.path.join(top, folder))
        for name, changed in (("same.yuv", False), ("other.yuv", True)):
            with open(os.path.join(top, "references", name), "wb") as f:
                f.write(frame * 3)
            decoded = bytearray(frame * 3)
            if changed:
                decoded[200] ^= 1
            with open(os.path.join(top, "decoded", name), "wb") as f:
                f.write(decoded)
        env = dict(os.environ, PATH=tools + os.pathsep + os.environ["PATH"])
        run = subprocess.run(["sh", "-c", example(readme)], cwd=top, env=env, capture_output=True, text=True,
                             timeout=120)
        with open(os.path.join(top, "comparisons.log"), encoding="utf-8") as f:
            jobs = {row["Command"].split()[-1]: row["Exitval"] for row in csv.DictReader(f, delimiter="\t")}
        failures = []
        if jobs != {"same.yuv": "0", "other.yuv": "1"}:
            failures.append("the job log says %s" % jobs)
        for name in ("same.csv", "other.csv"):
            path = os.path.join(top, "decoded", name)
            if not os.path.isfile(path) or "Frames compared,3,of,3" not in open(path).read():
                failures.append("%s is missing or incomplete" % name)
        for failure in failures:
            print("FAIL:", failure, run.stderr.strip())
        if not failures:
            print("ok: the README's parallel example compared both pairs")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
