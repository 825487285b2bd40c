#!/bin/sh
# Checks a PE file's import and export tables with objdump:
#   check_pe_tables.sh OBJDUMP FILE [--exports NAME...] [--allow DLL...]
# Exports must appear under their plain names (no "_" prefix, no "@N"); the
# only imports allowed are system DLLs and those named with --allow.
set -eu
objdump=$1
file=$2
shift 2
allowed="KERNEL32.dll USER32.dll GDI32.dll COMDLG32.dll msvcrt.dll"
exports=""
mode=""
for arg in "$@"; do
    case $arg in
    --exports) mode=exports ;;
    --allow) mode=allow ;;
    *) if [ "$mode" = exports ]; then exports="$exports $arg"; else allowed="$allowed $arg"; fi ;;
    esac
done

tables=$("$objdump" -p "$file")
status=0

for dll in $(printf '%s\n' "$tables" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    ok=0
    for a in $allowed; do
        if [ "$(echo "$dll" | tr a-z A-Z)" = "$(echo "$a" | tr a-z A-Z)" ]; then ok=1; fi
    done
    if [ $ok = 0 ]; then
        echo "FAIL: $file imports $dll"
        status=1
    fi
done

# The export name table lists "[ordinal] name" lines.
names=$(printf '%s\n' "$tables" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
for e in $exports; do
    if ! printf '%s\n' "$names" | grep -qx "$e"; then
        echo "FAIL: $file does not export $e under its plain name"
        status=1
    fi
done
if printf '%s\n' "$names" | grep -q '@'; then
    echo "FAIL: $file exports decorated names:"
    printf '%s\n' "$names" | grep '@'
    status=1
fi
[ $status = 0 ] && echo "OK: $file exports$exports; imports only allowed DLLs"
exit $status
