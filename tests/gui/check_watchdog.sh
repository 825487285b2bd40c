#!/bin/sh
# Checks the GUI tests' watchdog on the planted hangs with a 3 s limit: each
# must be reported with its name and the driver's last step, the suite must
# go on after the first, run the test after the second in a new program, and
# report the hang (exit code 3).
#   check_watchdog.sh RUN_GUI_TESTS WINE_RUN [--win64] GUI_TESTS_EXE
# The planted hangs save no bitmaps: the saved-bitmap check is left out.
set -u
run=$1
shift
# run_gui_tests.sh keeps the work folder of a failed run: here in ours.
TMPDIR=$(mktemp -d)
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
out="$TMPDIR/output"
started=$(date +%s)
status=0
"$run" "$@" /dev/null --watchdog-seconds=3 --gtest_also_run_disabled_tests --gtest_filter='Watchdog.DISABLED_*' \
    >"$out" 2>&1 || status=$?
took=$(($(date +%s) - started))
cat "$out"
failed=0
expect() {
    if ! grep -q -- "$1" "$out"; then
        echo "FAIL: the output lacks: $1"
        failed=1
    fi
}
step="the driver's last step: waiting for dialog \"Never shown\"; player [0-9]*: title \"Vorlex\""
expect "WATCHDOG: Watchdog.DISABLED_EndsADriverWait ran past 3 s; $step, dialogs: \"Frame Options\""
expect "WATCHDOG: Watchdog.DISABLED_EndsTheProgramWhenATestLoopsForEver ran past 3 s; $step, no dialog"
expect "\[  FAILED  \] Watchdog.DISABLED_EndsADriverWait"
expect "WATCHDOG: Watchdog.DISABLED_EndsTheProgramWhenATestLoopsForEver did not end 3 s after"
expect "\[       OK \] Watchdog.DISABLED_LaterTestsStillRun"
if [ "$status" != 3 ]; then
    echo "FAIL: the run of the planted hangs ended with $status, not 3"
    failed=1
fi
echo "planted hangs: run took ${took} s, exit status $status"
exit $failed
