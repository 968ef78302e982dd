#!/usr/bin/env bash
# Makes the zips of the Windows build trees with cpack (the 64-bit one, and the 32-bit one when it
# has been built), checks their names and contents, that the two programs need no DLL beyond the
# system's and carry their version records and manifests, and runs the unpacked 64-bit
# linewright-count.exe under Wine.
# Usage: windows_package_test.sh path/to/build-tree path/to/source-tree [path/to/x86-build-tree]
set -uo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
build32=${3:-}
wine=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); [[ "$2" == "$3" ]] || fail "$1: expected '$2', got '$3'"; }
has() { grep -q "$1" && echo yes || echo no; }
headers() { x86_64-w64-mingw32-objdump -p "$1"; }
dllsOf() { headers "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' '; }

# checkZip BUILD-TREE SUFFIX FORMAT: the zip's name, contents and programs; the unpacked folder
# is left in $work/SUFFIX.
checkZip() {
    local tree=$1 suffix=$2 machine=$3
    if ! (cd "$work" && cpack -G ZIP --config "$tree/CPackConfig.cmake" -B "$work/out-$suffix" \
        >"$work/cpack.log" 2>&1); then
        cat "$work/cpack.log"
        fail "cpack $suffix"
        return
    fi
    local zip folder=linewright-1.0.0-$suffix
    zip=$(ls "$work/out-$suffix"/linewright-*.zip 2>/dev/null | head -1)
    check "zip name" "$folder.zip" "$(basename "${zip:-none}")"
    [[ -n "$zip" ]] || return

    local expected="$folder/README.md
$folder/linewright-count.exe
$folder/linewright.exe"
    # The licence goes in wherever the source tree has one.
    if [[ -f "$source/LICENSE" ]]; then
        expected+=$'\n'"$folder/LICENSE"
    fi
    local listing
    listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
    check "$suffix zip contents" "$(sort <<<"$expected")" "$listing"

    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/$suffix"
    local unpacked="$work/$suffix/$folder" program name
    for program in "$unpacked/linewright-count.exe" "$unpacked/linewright.exe"; do
        name="$suffix/$(basename "$program")"
        check "$name: machine" "$machine" "$(headers "$program" | sed -n 's/^.*file format //p')"
        check "$name: version record 1.0.0.0" yes "$(strings -el "$program" | has '^1\.0\.0\.0$')"
        check "$name: manifest: asInvoker" yes "$(strings "$program" | has 'level="asInvoker"')"
        check "$name: manifest: not long-path aware" yes \
            "$(strings "$program" | has '<longPathAware[^>]*>false<')"
        check "$name: manifest: UTF-8 as the ANSI code page" yes \
            "$(strings "$program" | has '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>')"
    done
    # The system's DLLs only: no C++ runtime, no thread library beside the programs.
    check "$suffix/linewright-count.exe: imported DLLs" "kernel32.dll msvcrt.dll " \
        "$(dllsOf "$unpacked/linewright-count.exe")"
    local window="$unpacked/linewright.exe"
    check "$suffix/linewright.exe: imported DLLs" \
        "advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll " \
        "$(dllsOf "$window")"
    check "$suffix/linewright.exe: a window program, no console" "(Windows GUI)" \
        "$(headers "$window" | sed -n 's/^Subsystem\s*[0-9a-f]*\s*//p')"
    check "$suffix/linewright.exe: manifest: common controls 6" yes \
        "$(strings "$window" | has 'name="Microsoft.Windows.Common-Controls"')"
    check "$suffix/linewright.exe: manifest: per-monitor DPI aware" yes \
        "$(strings "$window" | has 'PerMonitorV2')"
}

checkZip "$build" win64 pei-x86-64
program="$work/win64/linewright-1.0.0-win64/linewright-count.exe"
check "unpacked program runs" "linewright-count 1.0.0" "$("$wine" "$program" --version 2>&1 </dev/null)"
if [[ -n "$build32" && -f "$build32/CPackConfig.cmake" ]]; then
    checkZip "$(realpath "$build32")" win32 pei-i386
fi

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
