#!/bin/sh
# Runs the GUI tests of vorlex.exe under Wine in an empty folder, then reads
# the bitmaps they saved back with independent decoders (Wine cannot wait
# for a Unix program, so the check runs here, after the driver).
#   run_gui_tests.sh WINE_RUN GUI_TESTS_EXE WORK_FOLDER CHECKER [gtest args]
set -eu
wine_run=$1 driver=$2 work=$3 checker=$4
shift 4
rm -rf "$work"
mkdir -p "$work"
"$wine_run" "$driver" "$work" "$@"
/usr/bin/python3 "$checker" "$work"
