#!/usr/bin/env bash
# On a terminal, a run that lasts more than half a second shows a progress count on stderr and
# erases it at the end; on a pipe or a file it never shows one.
#
# Each run is made to last long enough without depending on the machine's speed: once it has
# counted two files it is stopped for 0.7 s (its clock runs on while it is stopped), and then
# goes on through the many files still ahead of it.
# Usage: progress_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
if ! command -v script >/dev/null; then
    echo "script(1) is missing: no terminal to test on"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sparse files cost no disk, but every byte of them is still read and classified.
files=3072
file_size=$((64 * 1024))
mkdir "$work/tree"
(cd "$work/tree" && truncate -s "$file_size" $(seq -f 'f%g.c' 1 "$files"))

# The bytes a process has read so far, and its state (R, S, T, Z...); nothing once it is gone.
bytes_read() { awk '$1 == "rchar:" { print $2 }' "/proc/$1/io" 2>/dev/null; }
state() { awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null; }

# Waits until the run whose pid the file will hold has read two files, and stops it for 0.7 s.
# Fails (status 1) if the run ended first or had fewer than 32 files left when it stopped: the
# count shows at a multiple of 16 files after the pause.
#
# The files are counted from the moment the run holds the tree open: before that the loader and
# the sanitizers read more than two files' worth at start-up, and a pause there, before the
# progress clock starts, left too short a run behind it to show a count.
pause_run() {
    local pidfile=$1 job=$2 pid="" start_bytes="" done_bytes
    until [[ -s "$pidfile" ]]; do
        kill -0 "$job" 2>/dev/null || return 1
        sleep 0.01
    done
    pid=$(<"$pidfile")
    until [[ -n "$start_bytes" ]]; do
        [[ -e "/proc/$pid" && "$(state "$pid")" != Z ]] || return 1
        if find "/proc/$pid/fd" -lname "$work/tree*" 2>/dev/null | grep -q .; then
            start_bytes=$(bytes_read "$pid")
        else
            sleep 0.005
        fi
    done
    until (($(bytes_read "$pid" || echo 0) >= start_bytes + 2 * file_size)); do
        [[ -e "/proc/$pid" && "$(state "$pid")" != Z ]] || return 1
        sleep 0.01
    done
    kill -STOP "$pid" 2>/dev/null || return 1
    while [[ "$(state "$pid")" == [RSD] ]]; do
        sleep 0.01
    done
    done_bytes=$(($(bytes_read "$pid") - start_bytes))
    [[ "$(state "$pid")" == [Tt] ]] || return 1
    sleep 0.7
    kill -CONT "$pid"
    echo "paused after $((done_bytes / file_size)) of $files files"
    ((done_bytes / file_size + 32 <= files))
}

failures=0
paused=0

# On a terminal: script(1) gives the run one. The run is a child of the shell that script starts,
# not of script itself, which would answer the stop by stopping itself and resuming the run.
run="'$bin' --format tsv -j 1 '$work/tree' >/dev/null"
script -q -e -c "$run & echo \$! > '$work/tty.pid'; wait \$!" /dev/null >"$work/tty.out" &
script_pid=$!
pause_run "$work/tty.pid" "$script_pid" && paused=$((paused + 1))
wait "$script_pid"
on_terminal=$(<"$work/tty.out")

# On a pipe.
(echo "$BASHPID" >"$work/pipe.pid" && exec "$bin" --format tsv -j 1 "$work/tree" 2>&1 >/dev/null) |
    cat >"$work/pipe.out" &
pipe_pid=$!
pause_run "$work/pipe.pid" "$pipe_pid" && paused=$((paused + 1))
wait "$pipe_pid"

if ((paused < 2)); then
    echo "a run was too far along to pause in time (too fast to test: an optimised build?)"
    exit 77
fi
if [[ "$on_terminal" != *"linewright-count: "*" files"* ]]; then
    echo "FAIL: no progress count on a terminal"
    failures=$((failures + 1))
fi
if [[ "$on_terminal" != *$'\r\033[K' ]]; then
    echo "FAIL: the progress count was not erased at the end"
    printf '%s' "$on_terminal" | tail -c 40 | od -c
    failures=$((failures + 1))
fi
if [[ -s "$work/pipe.out" ]]; then
    echo "FAIL: progress written to a pipe"
    od -c "$work/pipe.out" | head -5
    failures=$((failures + 1))
fi
echo "$((3 - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
