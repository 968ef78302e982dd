#!/usr/bin/env bash
# Checks --compare, --only-changed and the --max gates of linewright-count on trees changed here.
# Usage: compare_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # name expected actual
    if [[ "$2" != "$3" ]]; then
        echo "FAIL: $1"
        echo "--- expected"; printf '%s\n' "$2"
        echo "--- actual"; printf '%s\n' "$3"
        failures=$((failures + 1))
    fi
}

run() {  # leaves stdout in $out, stderr in $err, status in $status
    out=$("$bin" "$@" 2>"$work/stderr")
    status=$?
    err=$(cat "$work/stderr")
}

cd "$work"
mkdir src
printf 'a;\n' >src/keep.c
printf '// FIXME one\nb;\n' >src/grow.c
printf 'c;\nd;\n' >src/gone.c
printf 'e; // note\n' >src/old_name.c
printf 'f;\n' >src/bad$'\xff'.c
# The directory twice: every path twice, and each must meet its own earlier self.
"$bin" --format json src src >old.json || echo "FAIL: baseline run"

printf '// FIXME one\n// FIXME two\n/* FIXME three */\nb;\n' >src/grow.c
rm src/gone.c
mv src/old_name.c src/new_name.c
printf '' >src/added.c

run --compare old.json --format tsv --sort path src src
check "tsv status" "0" "$status"
check "tsv rows" "$(printf '%s\n' \
    $'Relative path\tFIXMEs\tCode\tComments\tTotal\tFIXMEs change\tCode change\tComments change\tTotal change\tChange' \
    $'added.c\t0\t0\t0\t0\t0\t0\t0\t0\tadded' \
    $'added.c\t0\t0\t0\t0\t0\t0\t0\t0\tadded' \
    $'bad\xff.c\t0\t1\t0\t1\t0\t0\t0\t0\tsame' \
    $'bad\xff.c\t0\t1\t0\t1\t0\t0\t0\t0\tsame' \
    $'gone.c\t\t\t\t\t0\t-2\t0\t-2\tremoved' \
    $'gone.c\t\t\t\t\t0\t-2\t0\t-2\tremoved' \
    $'grow.c\t3\t1\t3\t4\t+2\t0\t+2\t+2\tchanged' \
    $'grow.c\t3\t1\t3\t4\t+2\t0\t+2\t+2\tchanged' \
    $'keep.c\t0\t1\t0\t1\t0\t0\t0\t0\tsame' \
    $'keep.c\t0\t1\t0\t1\t0\t0\t0\t0\tsame' \
    $'new_name.c\t0\t1\t1\t1\t0\t+1\t+1\t+1\tadded' \
    $'new_name.c\t0\t1\t1\t1\t0\t+1\t+1\t+1\tadded' \
    $'old_name.c\t\t\t\t\t0\t-1\t-1\t-1\tremoved' \
    $'old_name.c\t\t\t\t\t0\t-1\t-1\t-1\tremoved')" "$out"

run --compare old.json src src
check "table status lines" "$(printf '%s\n' 'Files: 10 FIXMEs: 6 Code: 8 Comments: 8 Total: 14' \
    'Change: FIXMEs +4 Code -4 Comments +4 Total 0')" "$(tail -n 2 <<<"$out")"
check "table headings" "Relative path  FIXMEs  Code  Comments  Total  FIXMEs change  Code change  Comments change  Total change  Change" "$(head -n 1 <<<"$out")"
run --compare old.json --format csv src
check "csv removed row" $'gone.c,,,,,0,-2,0,-2,removed\r' "$(grep '^gone' <<<"$out" | head -n 1)"

# Listed once, the second of each pair meets nothing; the rows that stayed the same go, and the
# rest come in the order of the FIXMEs' change, ties in the order of the run.
run --compare old.json --only-changed --sort fixmes-change --format tsv src
check "only changed, sorted by change" "$(printf '%s\n' $'grow.c\t-1\tremoved' \
    $'added.c\t0\tadded' $'new_name.c\t0\tadded' $'gone.c\t0\tremoved' \
    $'old_name.c\t0\tremoved' $'bad\xff.c\t0\tremoved' $'gone.c\t0\tremoved' \
    $'keep.c\t0\tremoved' $'old_name.c\t0\tremoved' $'grow.c\t+2\tchanged')" \
    "$(tail -n +2 <<<"$out" | cut -f 1,6,10)"

# A run's own json is its baseline: every row the same, the path that is not UTF-8 as well,
# through path_hex on that row alone.
"$bin" --format json src src >new.json
run --compare new.json --format json src src
if ! printf '%s' "$out" | python3 -c '
import json, sys
d = json.load(sys.stdin)
assert {r["compare"]["change"] for r in d["rows"]} == {"same"}, d["rows"]
assert [r["path_hex"] for r in d["rows"] if "path_hex" in r] == ["626164ff2e63"] * 2
assert all(("path_hex" in r) == ("\ufffd" in r["path"]) for r in d["rows"])
assert d["totals_change"] == {"files": 0, "fixmes": 0, "code": 0, "comments": 0, "total": 0}
'; then
    echo "FAIL: json against its own run"; failures=$((failures + 1))
fi
run --compare old.json --format json src
if ! printf '%s' "$out" | python3 -c '
import json, sys
d = json.load(sys.stdin)
rows = {r["path"]: r for r in d["rows"] if r["compare"]["change"] != "removed"}
assert rows["grow.c"]["compare"] == {"change": "changed", "fixmes": 2, "code": 0, "comments": 2, "total": 2}
gone = [r for r in d["rows"] if r["path"] == "gone.c"]
assert gone == [{"path": "gone.c", "fixmes": None, "code": None, "comments": None, "total": None,
                 "compare": {"change": "removed", "fixmes": 0, "code": -2, "comments": 0, "total": -2}}] * 2
assert d["totals_change"] == {"files": -5, "fixmes": 1, "code": -8, "comments": 0, "total": -7}
'; then
    echo "FAIL: json compare members"; failures=$((failures + 1))
fi

# Baselines that are not the json output of a run.
head -c 120 old.json >cut.json
sed 's/"code":1/"code":1x/' old.json >corrupt.json
"$bin" --format tsv src >tsv.json
"$bin" --format json --compare old.json --only-changed src >changed.json
: >empty.json
mkdir fail
mkfifo fail/pipe.c
# name | arguments | exit status | first line of stderr
while IFS='|' read -r name args expected message; do
    eval "run $args"
    check "$name: status" "$expected" "$status"
    check "$name: message" "${message//WORK/$work}" "$(head -n 1 <<<"$err")"
done <<'TABLE'
in limits|--max-fixmes 6 --compare old.json --max-new-fixmes 4 src src|0|
over the total|--max-fixmes 2 src|3|linewright-count: the FIXMEs total 3 exceeds --max-fixmes 2 by 1
over the growth|--compare old.json --max-new-fixmes 3 src src|3|linewright-count: the FIXMEs total grew by 4, which exceeds --max-new-fixmes 3 by 1
a failed file comes first|--max-fixmes 0 src fail|1|linewright-count: Failed to open: WORK/fail/pipe.c: not a regular file
usage comes before all|--max-fixmes 0 --only-changed src|2|linewright-count: option '--only-changed' needs --compare or --compare-rev
growth needs a baseline|--max-new-fixmes 1 src|2|linewright-count: option '--max-new-fixmes' needs --compare or --compare-rev
sort by change needs a baseline|--sort code-change src|2|linewright-count: option '--sort code-change' needs --compare or --compare-rev
negative limit|--max-fixmes -1 src|2|linewright-count: option '--max-fixmes' takes a number from 0 to 2147483647
missing baseline|--compare none.json src|2|linewright-count: cannot compare with none.json: No such file or directory
directory as baseline|--compare src src|2|linewright-count: cannot compare with src: Is a directory
empty baseline|--compare empty.json src|2|linewright-count: cannot compare with empty.json: it is empty, not the JSON output of linewright-count
truncated baseline|--compare cut.json src|2|linewright-count: cannot compare with cut.json: it is not the JSON output of linewright-count (line 1, column 121: the JSON is cut short: it ends inside a string)
corrupt baseline|--compare corrupt.json src|2|linewright-count: cannot compare with corrupt.json: it is not the JSON output of linewright-count (line 1, column 74: expected ',' or '}')
tsv as baseline|--compare tsv.json src|2|linewright-count: cannot compare with tsv.json: it is not the JSON output of linewright-count (line 1, column 1: expected '{')
partial baseline|--compare changed.json src|2|linewright-count: cannot compare with changed.json: it is not the JSON output of linewright-count (its rows do not add up to its "totals"; was it written with --only-changed, or edited?)
TABLE
check "a failed file: the gate still speaks" "linewright-count: the FIXMEs total 3 exceeds --max-fixmes 0 by 3" \
    "$("$bin" --max-fixmes 0 src fail 2>&1 >/dev/null | tail -n 1)"

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
