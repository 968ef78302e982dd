#!/usr/bin/env bash
# Runs linewright-count.exe under Wine on trees made here and checks that it prints what the
# Linux program prints on the same trees, with "\" for "/": paths in the ANSI code page, which is
# UTF-8 as the program's manifest asks (tsv, csv, table), or UTF-8 (json), names in any script
# included; then the things only Windows has: device names, and a copy of the program without the
# manifest's code page, as a system that does not offer UTF-8 runs it: the system's code page
# (1252 here, and a Japanese one whose kanji end in a 0x5C byte).
# Usage: windows_test.sh path/to/linewright-count.exe path/to/linux/linewright-count
# Environment: WINE64, WINEPREFIX (a prefix made ready by the test fixture), LINEWRIGHT_LOCALES (a
# folder holding the compiled ja_JP.UTF-8 locale). Exits 77 (skipped) without the Linux program.
set -uo pipefail
exe=$(realpath "$1")
native=$2
if [[ ! -x "$native" ]]; then
    echo "no Linux linewright-count at $native to compare with: build the asan preset first"
    exit 77
fi
native=$(realpath "$native")
wine=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

check() {  # name expected actual
    checks=$((checks + 1))
    if [[ "$2" != "$3" ]]; then
        echo "FAIL: $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20
        failures=$((failures + 1))
    fi
}

locale=()  # variables that set the locale of the Windows program, and so its ANSI code page
program=$exe  # the Windows program that windows() runs
windows() {  # DIR ARGS...: runs the Windows program in DIR; stdout to $work/out, stderr to
    # $work/err, its status in $status
    local dir=$1
    shift
    (cd "$dir" && env "${locale[@]}" "$wine" "$program" "$@") >"$work/out" 2>"$work/err" </dev/null
    status=$?
}

# Rows of a tsv or csv output (after its header line) with "/" written "\" and the root of an
# absolute path written as Wine's drive Z:, in the byte order of paths that --sort path gives.
windows_form() {  # separator
    local header
    IFS= read -r header
    printf '%s\n' "$header"
    sed 's|^/|Z:/|; s|/|\\|g' | LC_ALL=C sort -s -t "$1" -k1,1
}

cd "$work"
mkdir -p tree/src/lib/deep tree/src/old.c tree/other
printf 'int a; // FIXME\n/* block\n  FIXME */\n{\n}\nx = 1; /* c */ y;\n' >tree/src/main.c
printf 'y;\r\nz; // c\r\n' >tree/src/lib/u.h
printf '\xEF\xBB\xBF// bom\ncode;\n' >tree/src/lib/bom.c
printf '\xFF\xFE/\x00/\x00 \x00x\x00\n\x00a\x00;\x00\n\x00' >tree/src/lib/utf16.c
# Not "nul.cpp": on Windows that names the NUL device, whatever the extension.
printf 'a\0b\n//\0\n' >tree/src/lib/deep/zero.cpp
printf 'int x;\n' >"tree/src/space name.h"
printf 'int \xc3\xa9;\n' >"tree/src/caf"$'\xc3\xa9'".c"
printf '' >tree/src/empty.c
printf 'q;\n' >tree/src/.hidden.c
printf 'other;\n' >tree/other/o.c
# Names that no single-byte or Japanese code page can spell.
mkdir -p 'tree/names/δέντρο'
printf 'int x; // 日本\n' >'tree/names/日本.c'
printf '/* αβγ */\n' >'tree/names/αβγ.h'
printf 'a;\n' >'tree/names/δέντρο/ε.c'
ln -s main.c tree/src/link.c
ln -s .. tree/src/lib/up  # a cycle: neither program enters a link to a directory

# The same runs on both systems: every directory below src and names, then an unrelated one.
dirs=(-r src names other)
for format in tsv csv; do
    sep=$'\t'
    [[ $format == csv ]] && sep=,
    (cd tree && "$native" --format $format --sort path "${dirs[@]}" >"$work/linux.$format" 2>"$work/linux.err")
    check "$format: Linux program exit" 0 $?
    expected=$(windows_form "$sep" <"$work/linux.$format")
    windows tree --format $format --sort path "${dirs[@]}"
    check "$format: exit" 0 "$status"
    check "$format: no messages" "" "$(cat "$work/err")"
    # Paths come in the ANSI code page, UTF-8 under the manifest: the very bytes of Linux's.
    check "$format: rows as on Linux" "$expected" "$(cat "$work/out")"
done
check "csv: lines end in CR LF, no CR added" 0 "$(grep -c $'\r\r' "$work/out")"
# One thread or several (std::thread), the same output.
cp "$work/out" "$work/parallel.csv"
windows tree --format csv --sort path -j 1 "${dirs[@]}"
check "csv: -j 1 as with all cores" "$(cat "$work/parallel.csv")" "$(cat "$work/out")"

(cd tree && "$native" "${dirs[@]}" | tail -1 >"$work/linux.status")
windows tree "${dirs[@]}"
check "table: status line" "$(cat "$work/linux.status")" "$(tail -1 "$work/out" | tr -d '\r')"
# Outside the first DIR, the row's path is the full one.
check "table: 日本.c in its row" 1 "$(grep -c '^Z:\\.*\\names\\日本\.c  ' "$work/out")"

# JSON is UTF-8 on both systems; only the separators differ.
(cd tree && "$native" --format json --sort path "${dirs[@]}" >"$work/linux.json")
windows tree --format json --sort path "${dirs[@]}"
check "json: exit" 0 "$status"
check "json: as on Linux" "ok" "$(python3 - "$work/linux.json" "$work/out" <<'EOF'
import json, sys
linux = json.load(open(sys.argv[1], encoding="utf-8"))
windows = json.load(open(sys.argv[2], encoding="utf-8"))
for row in linux["rows"]:
    path = row["path"]
    row["path"] = ("Z:" + path if path.startswith("/") else path).replace("/", "\\")
key = lambda row: row["path"].encode("utf-8")
linux["rows"].sort(key=key)
print("ok" if linux["rows"] == sorted(windows["rows"], key=key) and
      linux["totals"] == windows["totals"] and linux["status"] == windows["status"]
      else f"{linux}\n{windows}")
EOF
)"

# A baseline of the program's own JSON (UTF-8) matches the rows of the run (ANSI code page),
# "café.c" and "日本.c" included.
cp "$work/out" "$work/baseline.json"
windows tree --format tsv --compare "$work/baseline.json" --only-changed "${dirs[@]}"
check "compare: exit" 0 "$status"
check "compare: nothing changed" 1 "$(tr -d '\r' <"$work/out" | wc -l)"
windows tree --format tsv --compare "$work/baseline.json" "${dirs[@]}"
check "compare: café.c and 日本.c the same" 2 \
    "$(grep -c -e $'^caf\xc3\xa9\\.c\t.*\tsame$' -e $'\\\\names\\\\日本\\.c\t.*\tsame$' "$work/out")"

# Sums by directory, as on Linux.
(cd tree && "$native" --format tsv --by-dir -r src other >"$work/linux.dirs")
expected=$(windows_form $'\t' <"$work/linux.dirs")
windows tree --format tsv --by-dir --sort path -r src other
check "by-dir: exit" 0 "$status"
check "by-dir: rows as on Linux" "$expected" "$(iconv -f CP1252 -t UTF-8 <"$work/out")"

# Device names among the sources are never read, and never make the run wait.
mkdir devices
printf 'x;\n' >devices/NUL.c
printf 'x;\n' >devices/CON.c
printf 'x;\n' >devices/plain.c
windows . --format tsv devices
check "devices: plain file counted" $'Relative path\tFIXMEs\tCode\tComments\tTotal\nplain.c\t0\t1\t0\t1' \
    "$(tr -d '\r' <"$work/out")"
check "devices: status" 1 "$status"
check "devices: messages" "2" "$(grep -c '^linewright-count: Failed to open: .*\\\(NUL\|CON\)\.c' "$work/err")"

# Exit statuses as on Linux.
windows . --format yaml devices
check "usage error status" 2 "$status"
windows . -r missing
check "failed walk status" 1 "$status"
# The reason is the system's text (Wine's words differ from Windows'): a line of its own.
check "failed walk message" 1 "$(tr -d '\r' <"$work/err" | grep -c '^linewright-count: cannot search missing: [^.]*[^. ]$')"
windows . missing devices/plain.c devices
check "unsearchable DIRs status" 1 "$status"
check "unsearchable DIRs messages" "missing
devices/plain.c" "$(tr -d '\r' <"$work/err" | sed -n 's/^linewright-count: cannot search \(.*\): .*/\1/p')"
windows . devices ""
check "empty DIR status" 2 "$status"
check "empty DIR message" "linewright-count: a DIR must not be empty" "$(tr -d '\r' <"$work/err" | head -n1)"
# Output that does not arrive is reported, never passed off as success.
(cd tree && "$wine" "$exe" src >/dev/full 2>"$work/err" </dev/null)
check "full disk status" 1 "$?"
check "full disk message" "linewright-count: cannot write the output: No space left on device" \
    "$(tr -d '\r' <"$work/err")"
windows . --version
check "version" "linewright-count 1.0.0" "$(cat "$work/out")"
# Without libgit2 the options that need git are refused, and the help does not offer them.
windows . --history devices
check "no git: status" 2 "$status"
check "no git: message" "linewright-count: option '--history': this build has no git support" \
    "$(tr -d '\r' <"$work/err" | head -n 1)"
windows . --help
check "no git: help" 0 "$(grep -c -e '--rev' -e '--history' -e '--git-dir' "$work/out")"

# Where the system offers no UTF-8 code page, the system's own stays: the program without that
# request in its manifest (the element made a comment of the same length) runs so under Wine.
program=$work/legacy-code-page.exe
python3 - "$exe" "$program" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
element = (b'<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">'
           b'UTF-8</activeCodePage>')
assert data.count(element) == 1, "the manifest asks for no UTF-8 code page"
open(sys.argv[2], "wb").write(data.replace(element, b"<!--" + b" " * (len(element) - 7) + b"-->"))
EOF
(cd tree && "$native" --format tsv --sort path -r src other >"$work/linux.tsv")
windows tree --format tsv --sort path -r src other
check "cp1252: exit" 0 "$status"
# é is one byte in code page 1252.
check "cp1252: rows in CP1252" "$(windows_form $'\t' <"$work/linux.tsv")" \
    "$(iconv -f CP1252 -t UTF-8 <"$work/out")"
windows tree --format tsv names
check "cp1252: names it cannot spell fail" 1 "$status"
check "cp1252: each reported" 2 "$(grep -c '^linewright-count: Failed to open: ' "$work/err")"

# A Japanese ANSI code page. 表 is 0x95 0x5C in it: the backslash behind it goes, the kanji
# stays, and the walk, the search and the opens find the directory by that name.
if [[ -n "${LINEWRIGHT_LOCALES:-}" && -d "$LINEWRIGHT_LOCALES/ja_JP.UTF-8" ]]; then
    mkdir -p jp/表/日本
    printf 'int x; // 日本\n' >jp/表/a.c
    printf '/* FIXME */\n' >jp/表/日本/b.c
    (cd jp && "$native" --format tsv --sort path -r 表/ >"$work/linux.jp")
    expected=$(windows_form $'\t' <"$work/linux.jp")
    locale=(LOCPATH="$LINEWRIGHT_LOCALES" LC_ALL=ja_JP.UTF-8)
    windows jp --format tsv --sort path -r '表\'
    check "cp932: exit" 0 "$status"
    check "cp932: rows in CP932" "$expected" "$(iconv -f CP932 -t UTF-8 <"$work/out")"
    windows jp --format json -r '表\\'
    check "cp932: json in UTF-8" 1 "$(grep -c '"path":"日本\\\\b.c"' "$work/out")"
else
    check "a Japanese locale compiled in LINEWRIGHT_LOCALES" yes no
fi

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
