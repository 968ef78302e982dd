#!/usr/bin/env bash
# Checks csv output, --sort and the progress line of linewright-count on trees made here.
# Usage: export_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # name expected actual
    if [[ "$2" != "$3" ]]; then
        echo "FAIL: $1"
        echo "--- expected"; printf '%s' "$2" | od -c | head -20
        echo "--- actual"; printf '%s' "$3" | od -c | head -20
        failures=$((failures + 1))
    fi
}

mkdir -p "$work/src"
cd "$work/src"
printf 'a;\nb;\nc;\n' >'b.c'
printf 'a;\n' >'a,"q".c'
printf 'x;\ny;\n' >$'line\nbreak.c'
printf '// FIXME\nz;\n' >'B.c'
printf 'x;\ny;\n' >$'\xc3\xa9.c'
cd "$work"

# Fields with a comma, quote or line break are quoted with doubled quotes; every line ends CR LF.
out=$("$bin" --format csv -e '*.c' src | od -An -c | tr -s ' \n' ' ')
expected=$(printf 'Relative path,FIXMEs,Code,Comments,Total\r\nB.c,1,1,1,2\r\n"a,""q"".c",0,1,0,1\r\nb.c,0,3,0,3\r\n"line\nbreak.c",0,2,0,2\r\n\xc3\xa9.c,0,2,0,2\r\n' | od -An -c | tr -s ' \n' ' ')
check "csv quoting and line ends" "$expected" "$out"

# A reader of RFC 4180 gets the paths back unchanged.
if ! "$bin" --format csv -e '*.c' src | python3 -c '
import csv, io, sys
rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, encoding="utf-8", newline="")))
assert rows[0] == ["Relative path", "FIXMEs", "Code", "Comments", "Total"], rows[0]
assert [r[0] for r in rows[1:]] == ["B.c", "a,\"q\".c", "b.c", "line\nbreak.c", "\u00e9.c"], rows
'; then
    echo "FAIL: csv does not read back"
    failures=$((failures + 1))
fi

paths() { "$bin" --format json -e '*.c' "$@" src | python3 -c '
import json, sys
print(" ".join(r["path"].replace("\n", "|") for r in json.load(sys.stdin)["rows"]))'; }

# Byte order for paths; numbers ascending with ties in the order of the run (by name).
check "sort path" 'B.c a,"q".c b.c line|break.c é.c' "$(paths --sort path)"
check "sort code" 'B.c a,"q".c line|break.c é.c b.c' "$(paths --sort code)"
check "sort fixmes" 'a,"q".c b.c line|break.c é.c B.c' "$(paths --sort=fixmes)"
check "sort comments" 'a,"q".c b.c line|break.c é.c B.c' "$(paths --sort comments)"
check "sort total" 'a,"q".c B.c line|break.c é.c b.c' "$(paths --sort total)"
"$bin" --sort size src >/dev/null 2>"$work/err"
check "sort usage status" "2" "$?"
check "sort usage message" "linewright-count: option '--sort' takes path, fixmes, code, comments or total (files with --by-dir), or with a comparison fixmes-change, code-change, comments-change or total-change (files-change with --by-dir)" "$(head -1 "$work/err")"

# A run of several seconds writes no progress to a file or a pipe.
mkdir -p "$work/many"
for i in $(seq 1 3000); do printf 'x;\n' >"$work/many/f$i.c"; done
"$bin" -j1 --format tsv many >/dev/null 2>"$work/err"
check "no progress in a file" "" "$(cat "$work/err")"
check "no progress in a pipe" "" "$("$bin" -j1 --format tsv many 2>&1 >/dev/null | cat)"

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
