#!/usr/bin/env bash
# Runs linewright-count on trees made here and checks its output and exit status.
# Usage: cli_test.sh path/to/linewright-count
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

run() {  # runs the binary; leaves stdout in $out, stderr in $err, status in $status
    out=$("$bin" "$@" 2>"$work/stderr")
    status=$?
    err=$(cat "$work/stderr")
}

mkdir -p "$work/src/lib" "$work/src/old.c"
printf 'int a; // x\n/* FIXME */\n{\n}\n' >"$work/src/main.c"
printf 'y;\r\nz;\r\n' >"$work/src/lib/u.h"
printf 'x;\n' >"$work/src/tab"$'\t'"new"$'\n'"back\\.c"
printf 'x;\n' >"$work/src/bad"$'\xff'".c"

cd "$work"

run --format tsv -r src/
check "tsv rows and exit" "$(printf 'Relative path\tFIXMEs\tCode\tComments\tTotal\nbad\xff.c\t0\t1\t0\t1\nmain.c\t1\t1\t2\t2\ntab\\tnew\\nback\\\\.c\t0\t1\t0\t1\nlib/u.h\t0\t2\t0\t2')" "$out"
check "tsv status" "0" "$status"
check "tsv no messages" "" "$err"

run --format json -e '*.c' src
check "json exit" "0" "$status"
if ! printf '%s' "$out" | python3 -c '
import json, sys
d = json.load(sys.stdin)
assert [r["path"] for r in d["rows"]] == ["bad\ufffd.c", "main.c", "tab\tnew\nback\\.c"], d["rows"]
assert d["totals"] == {"files": 3, "fixmes": 1, "code": 3, "comments": 2, "total": 4}, d["totals"]
assert d["failed"] == [] and d["status"] == "Files: 3 FIXMEs: 1 Code: 3 Comments: 2 Total: 4"
'; then
    echo "FAIL: json content"; failures=$((failures + 1))
fi

run -e '*.h' src src/lib
check "table" "$(printf 'Relative path  FIXMEs  Code  Comments  Total\nlib/u.h             0     2         0      2\nFiles: 1 FIXMEs: 0 Code: 2 Comments: 0 Total: 2')" "$out"

mkfifo src/pipe.c
ln -s nowhere src/dangling.c
run --format json -j 3 src
check "failures exit 1" "1" "$status"
check "failure messages" "$(printf 'linewright-count: Failed to open: %s: No such file or directory\nlinewright-count: Failed to open: %s: not a regular file' "$work/src/dangling.c" "$work/src/pipe.c")" "$err"
check "failed list" "[\"$work/src/dangling.c\", \"$work/src/pipe.c\"]" \
    "$(printf '%s' "$out" | python3 -c 'import json,sys; print(json.dumps(json.load(sys.stdin)["failed"]))')"
rm src/pipe.c src/dangling.c

run -r missing
check "walk of a missing directory" "1" "$status"
check "walk message" "linewright-count: cannot search missing: No such file or directory" "$err"

# A DIR that cannot be searched is reported with its reason, and the others are still counted.
run --format tsv -e '*.h' nowhere src/lib src/main.c
check "unsearchable DIR exit" "1" "$status"
check "unsearchable DIR rows" "$(printf 'Relative path\tFIXMEs\tCode\tComments\tTotal\n%s/src/lib/u.h\t0\t2\t0\t2' "$work")" "$out"
check "unsearchable DIR messages" "$(printf 'linewright-count: cannot search nowhere: No such file or directory\nlinewright-count: cannot search src/main.c: Not a directory')" "$err"

# An empty DIR would mean the root: a usage error, also with -r.
for args in "''" "-r ''" "src ''"; do
    eval "run $args"
    check "empty DIR for '$args'" "2" "$status"
    check "empty DIR message for '$args'" "linewright-count: a DIR must not be empty" "$(head -n1 <<<"$err")"
done

# Control characters in names are written as \xHH in the table, tsv and messages: none reaches
# the terminal.
mkdir ctl
printf 'x;\n' >"ctl/e"$'\e'"[31m"$'\a'"d"$'\x7f'".c"
ln -s nowhere "ctl/l"$'\e'".c"
run --format tsv ctl
check "escaped tsv" "$(printf 'Relative path\tFIXMEs\tCode\tComments\tTotal\ne\\x1b[31m\\x07d\\x7f.c\t0\t1\t0\t1')" "$out"
check "escaped message" "$(printf 'linewright-count: Failed to open: %s/ctl/l\\x1b.c: No such file or directory' "$work")" "$err"
run ctl
check "escaped table" "e\x1b[31m\x07d\x7f.c 0 1 0 1" "$(sed -n 2p <<<"$out" | tr -s ' ')"

for args in "" "-e ''" "--format xml src" "--bogus src" "-j 0 src" "-e"; do
    eval "run $args"
    check "usage error for '$args'" "2" "$status"
done
run
check "no DIR message" "linewright-count: Please add some directories first" "$(head -n1 <<<"$err")"
run -e ';' src
check "no pattern message" "linewright-count: Please specify at least one extension first" "$(head -n1 <<<"$err")"

run --help
check "help" "0" "$status"
run --version
check "version" "0 linewright-count" "$status $(cut -d' ' -f1 <<<"$out")"

# Output that cannot be written is an error, however small it is, and whatever writes it.
mkdir full
# Enough output that it goes out in several pieces.
long=$(printf "n%.0s" $(seq 200))
for i in $(seq 700); do : >"full/$long$i.c"; done
for args in "full" "src" "--help" "--version"; do
    "$bin" $args >/dev/full 2>"$work/stderr"
    check "exit with a full disk: $args" "1" "$?"
    check "message with a full disk: $args" "linewright-count: cannot write the output: No space left on device" "$(cat "$work/stderr")"
    "$bin" $args >&- 2>"$work/stderr"
    check "exit with no output: $args" "1" "$?"
    check "message with no output: $args" "linewright-count: cannot write the output: Bad file descriptor" "$(cat "$work/stderr")"
done
# A reader that has gone away ends the program quietly: the signal kills it, or, where the signal
# is ignored, the failed write ends it with status 1.
check "broken pipe" "-13 b'' 1 b''" "$(python3 -c '
import os, signal, subprocess, sys
for ignore in (False, True):
    reader, writer = os.pipe()
    os.close(reader)
    preexec = (lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN)) if ignore else None
    r = subprocess.run([sys.argv[1], "full"], stdout=writer, stderr=subprocess.PIPE,
                       preexec_fn=preexec)
    os.close(writer)
    print(r.returncode, r.stderr, end=" " if not ignore else "")
' "$bin")"

# A working directory deeper than the longest path the system takes, and a DIR as long: the files
# are read by paths relative to directories that are open.
deep=$(python3 - "$work" <<'PY'
import os, sys
os.chdir(sys.argv[1])
os.mkdir("deep"); os.chdir("deep")
path = "deep"
while len(os.getcwd()) < 4096 + 300:
    os.mkdir("d" * 200); os.chdir("d" * 200); path += "/" + "d" * 200
open("a.c", "w").write("x; // FIXME\n")
os.mkdir("sub"); open("sub/b.c", "w").write("y;\n")
print(path)
PY
)
out=$(cd "$work" && python3 -c '
import os, subprocess, sys
for name in sys.argv[2].split("/"):
    os.chdir(name)
for arg in [["."], ["-r", "."]]:
    r = subprocess.run([sys.argv[1], "--format", "tsv", *arg], capture_output=True)
    print(r.returncode, r.stdout.decode().replace("\t", " ").replace("\n", "|"), r.stderr.decode().replace(os.getcwd(), "CWD"))
' "$bin" "$deep")
check "deep working directory" "$(printf '0 Relative path FIXMEs Code Comments Total|a.c 1 1 1 1| \n1 Relative path FIXMEs Code Comments Total|a.c 1 1 1 1| linewright-count: cannot search .: File name too long')" "$out"
run --format tsv "$deep"
check "DIR longer than the path limit" "0 1" "$status $(grep -c '^a.c' <<<"$out")"
# The walk stops where paths outgrow the limit, and says where, one line per directory.
run --format tsv -r deep
check "walk below the path limit exit" "1" "$status"
check "walk below the path limit message" "1" "$(grep -c '^linewright-count: cannot search .*: File name too long$' <<<"$err")"

# The same run with one and with several workers gives byte-identical output and messages.
mkdir many
for i in $(seq 1 300); do printf 'a; // %d\n/* x */ b;\n' "$i" >"many/f$i.c"; done
mkfifo many/p.c
"$bin" --format tsv -j 1 -e '*.c;*.c' many src >"$work/one" 2>"$work/one.err"; s1=$?
"$bin" --format tsv -j 4 -e '*.c;*.c' many src >"$work/four" 2>"$work/four.err"; s4=$?
check "parallel output" "" "$(cmp "$work/one" "$work/four" 2>&1)"
check "parallel messages" "" "$(cmp "$work/one.err" "$work/four.err" 2>&1)"
check "parallel status" "$s1" "$s4"

# Few file descriptors: the directories kept open for a run leave the files being counted enough
# of them, so that no directory or file goes missing.
mkdir tree
for d in $(seq 100 159); do
    mkdir "tree/d$d"
    for f in 1 2 3; do printf 'x; // %d\n' "$f" >"tree/d$d/f$f.c"; done
done
"$bin" --format tsv -r -j 4 tree >"$work/plenty" 2>&1
(ulimit -n 20 && "$bin" --format tsv -r -j 4 tree) >"$work/few" 2>&1
check "few descriptors" "" "$(cmp "$work/plenty" "$work/few" 2>&1)"
check "few descriptors rows" "181" "$(wc -l <"$work/few")"

# Empty files with awkward names, many of them: one line per row, valid JSON.
mkdir odd
python3 - "$work/odd" <<'PY'
import os, sys
d = sys.argv[1].encode()
for i in range(3000):
    name = b"f %d \t\n\\\xfe\xff.c" % i if i % 2 else b"plain%d.c" % i
    open(os.path.join(d, name), "wb").close()
PY
run --format tsv odd
check "odd names exit" "0" "$status"
check "odd names one line per row" "3001" "$(printf '%s\n' "$out" | wc -l)"
run --format json odd
if ! printf '%s' "$out" | python3 -m json.tool >/dev/null; then
    echo "FAIL: odd names json"; failures=$((failures + 1))
fi

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
