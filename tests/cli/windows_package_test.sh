#!/usr/bin/env bash
# Makes the zip of a Windows build tree with cpack, checks its name and contents, that its
# programs need no DLL beyond the system's and carry their version record and manifest, and runs
# the unpacked linewright-count.exe under Wine.
# Usage: windows_package_test.sh path/to/build-tree path/to/source-tree
set -uo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
wine=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); [[ "$2" == "$3" ]] || fail "$1: expected '$2', got '$3'"; }

if ! (cd "$work" && cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    fail "cpack"
    exit 1
fi
zip=$(ls "$work"/out/linewright-*.zip 2>/dev/null | head -1)
check "zip name" "linewright-1.0.0-win64.zip" "$(basename "${zip:-none}")"
[[ -n "$zip" ]] || exit 1

expected="linewright-1.0.0-win64/README.md
linewright-1.0.0-win64/linewright-count.exe"
# The licence goes in wherever the source tree has one.
if [[ -f "$source/LICENSE" ]]; then
    expected+=$'\n'"linewright-1.0.0-win64/LICENSE"
fi
listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
check "zip contents" "$(sort <<<"$expected")" "$listing"

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/unpacked"
program="$work/unpacked/linewright-1.0.0-win64/linewright-count.exe"
# The system's DLLs only: no C++ runtime, no thread library beside the program.
dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
check "imported DLLs" "kernel32.dll msvcrt.dll " "$dlls"
has() { grep -q "$1" && echo yes || echo no; }
check "version record 1.0.0.0" yes "$(strings -el "$program" | has '^1\.0\.0\.0$')"
check "manifest: asInvoker" yes "$(strings "$program" | has 'level="asInvoker"')"
check "manifest: not long-path aware" yes "$(strings "$program" | has '<longPathAware[^>]*>false<')"
check "unpacked program runs" "linewright-count 1.0.0" "$("$wine" "$program" --version 2>&1 </dev/null)"

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
