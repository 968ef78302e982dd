#!/usr/bin/env bash
# Times two Windows builds of linewright-count under Wine on one tree, warm cache, in alternating
# runs: the ratio says what a change did to the Windows walk and count (Wine's own speed is no
# Windows figure, so no absolute time is meant).
# Usage: bench/time-wine.sh BEFORE.exe AFTER.exe TREE   (RUNS: runs of each, default 9)
# The Wine prefix is WINEPREFIX (default /tmp/linewright-wine-timing, made at the first run); one server is kept for all the runs.
set -euo pipefail
before=${1:?usage: bench/time-wine.sh BEFORE.exe AFTER.exe TREE}
after=${2:?}
tree=${3:?}
runs=${RUNS:-9}
wine=${WINE64:-/usr/lib/wine/wine64}
server=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=${WINEPREFIX:-/tmp/linewright-wine-timing}
export WINEDEBUG=-all
[[ -d "$WINEPREFIX" ]] || "$wine" wineboot -i >/dev/null 2>&1
"$server" -p || true  # stays for the runs, so that none pays for starting it
# The prefix's services start now, not inside a timed run, where they would also keep its
# output pipe open after the program ended.
"$wine" wineboot >/dev/null 2>&1 </dev/null
trap '"$server" -k || true' EXIT

python3 - "$runs" "$wine" "$before" "$after" "Z:${tree//\//\\}" <<'PY'
import statistics, subprocess, sys, time

runs, wine, before, after, tree = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
programs = [("before", [wine, before, "--format", "tsv", "-r", tree]),
            ("after", [wine, after, "--format", "tsv", "-r", tree])]

def timed(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start

def output(cmd):
    with open("/dev/null") as null:
        return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              stdin=null).stdout

outputs = [output(cmd) for _, cmd in programs]
print("same output: %s" % (outputs[0] == outputs[1]))
times = {label: [] for label, _ in programs}
for _ in range(runs):
    for label, cmd in programs:
        times[label].append(timed(cmd))
for label, _ in programs:
    print("%-7s median %.3f s (min %.3f, max %.3f)"
          % (label, statistics.median(times[label]), min(times[label]), max(times[label])))
print("after / before: %.2f (median of paired ratios %.2f)"
      % (statistics.median(times["after"]) / statistics.median(times["before"]),
         statistics.median(a / b for a, b in zip(times["after"], times["before"]))))
PY
