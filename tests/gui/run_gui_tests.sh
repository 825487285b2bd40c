#!/bin/sh
# Runs the GUI tests of vorlex.exe under Wine in a fresh folder, then reads
# the bitmaps they saved back with independent decoders (Wine cannot wait
# for a Unix program, so the check runs here, after the driver).
#   run_gui_tests.sh WINE_RUN [--win64] GUI_TESTS_EXE CHECKER [gtest args]
# The folder has a space in its name, as users' folders often do (a test
# makes deep folders inside it). It is removed when everything passed.
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
status=0
"$wine_run" $arch "$driver" "$work" "$@" || status=$?
/usr/bin/python3 "$checker" "$work" || status=$?
if [ "$status" = 0 ]; then
    rm -rf "$work"
else
    echo "test files kept in: $work" >&2
fi
exit $status
