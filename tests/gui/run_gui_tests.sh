#!/bin/sh
# Runs the GUI tests of vorlex.exe under Wine in a fresh folder, then reads
# the bitmaps they saved back with independent decoders (Wine cannot wait
# for a Unix program, so the check runs here, after the driver).
#   run_gui_tests.sh WINE_RUN [--win64] GUI_TESTS_EXE CHECKER [driver args]
# The folder has a space in its name, as users' folders often do (a test
# makes deep folders inside it). It is removed when everything passed.
# When a test hangs in its own code, the driver ends itself with exit code 3
# after listing the tests that were to follow (see gui_watchdog.h); they run
# in a new driver, and the run counts as failed.
set -eu
wine_run=$1
shift
arch=""
if [ "${1:-}" = --win64 ]; then
    arch=--win64
    shift
fi
driver=$1 checker=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/vorlex gui.XXXXXX")
after="$work/tests-after-hang.txt"
status=0
# Y4M files of ffmpeg's making, written here: the driver runs under Wine.
/usr/bin/python3 "$(dirname "$0")/ffmpeg_material.py" "$work/ffmpeg" || status=1
code=0
"$wine_run" $arch "$driver" "$work" "$@" || code=$?
# Each new run leaves out the hung test and those before it, so this ends.
while [ "$code" = 3 ] && [ -s "$after" ]; do
    status=3
    filter=$(cat "$after")
    rm -f "$after"
    echo "running the tests after the hung one in a new driver: $filter"
    code=0
    "$wine_run" $arch "$driver" "$work" "$@" "--gtest_filter=$filter" || code=$?
done
[ "$code" = 0 ] || status=$code
/usr/bin/python3 "$checker" "$work" || [ "$status" != 0 ] || status=1
if [ "$status" = 0 ]; then
    rm -rf "$work"
else
    echo "test files kept in: $work" >&2
fi
exit $status
