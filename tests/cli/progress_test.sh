#!/usr/bin/env bash
# On a terminal, a run that lasts more than half a second shows a progress count on stderr and
# erases it at the end; on a pipe or a file it never shows one.
# Usage: progress_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
if ! command -v script >/dev/null; then
    echo "script(1) is missing: no terminal to test on"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sparse files cost no disk, but every byte of them is still read and classified, so the run
# lasts well beyond half a second without a large tree on disk.
mkdir "$work/tree"
for i in $(seq 1 64); do
    truncate -s 4M "$work/tree/f$i.c"
done

started=$(date +%s%N)
on_terminal=$(script -q -e -c "'$bin' --format tsv -j 1 '$work/tree' >/dev/null" /dev/null)
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
if [[ "$on_terminal" != *" files"* && $elapsed_ms -lt 1000 ]]; then
    echo "the run took only ${elapsed_ms} ms, too short to need a progress count (optimised build)"
    exit 77
fi
failures=0
if [[ "$on_terminal" != *"linewright-count: "*" files"* ]]; then
    echo "FAIL: no progress count on a terminal"
    failures=$((failures + 1))
fi
if [[ "$on_terminal" != *$'\r\033[K' ]]; then
    echo "FAIL: the progress count was not erased at the end"
    printf '%s' "$on_terminal" | tail -c 40 | od -c
    failures=$((failures + 1))
fi
on_pipe=$("$bin" --format tsv -j 1 "$work/tree" 2>&1 >/dev/null | wc -c)
if [[ "$on_pipe" -ne 0 ]]; then
    echo "FAIL: progress written to a pipe"
    failures=$((failures + 1))
fi
echo "$(( 3 - failures )) passed, $failures failed"
[[ $failures -eq 0 ]]
