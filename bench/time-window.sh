#!/usr/bin/env bash
# Times the window's Count against linewright-count with its default workers on the same trees,
# warm cache. Usage: bench/time-window.sh [TREE...]   (default: bench/corpus)
# BUILD sets the build tree (default build/release), RUNS the runs of each per round (default 7),
# ROUNDS the rounds (default 3). In each round the command line runs RUNS times, then the window
# counts RUNS times in one process (bench/dialog_bench, offscreen); the ratio of the two medians
# is printed per round, and the median of the rounds' ratios at the end, so that a slow stretch
# of a shared machine weighs on both sides of one ratio.
#
# The window's figure is the Count press alone; its Directory List was filled by a recursive add
# before (timed and shown as well). The command line's figure is the whole program: start-up,
# its walk of the subdirectories, the count and writing the rows to /dev/null.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD:-$here/../build/release}
runs=${RUNS:-7}
rounds=${ROUNDS:-3}
trees=("$@")
if [[ ${#trees[@]} -eq 0 ]]; then
    trees=("$here/corpus")
    [[ -d "$here/corpus" ]] || python3 "$here/make_corpus.py" "$here/corpus"
fi
cmake --build "$build" --target linewright-count dialog_bench >/dev/null

python3 - "$build" "$runs" "$rounds" "${trees[@]}" <<'PY'
import os, re, statistics, subprocess, sys, time

build, runs, rounds, trees = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
cli = os.path.join(build, "cli", "linewright-count")
bench = os.path.join(build, "bench", "dialog_bench")
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LINEWRIGHT_BENCH_RUNS=str(runs))

def cli_seconds(tree):
    start = time.perf_counter()
    subprocess.run([cli, "--format", "tsv", "-r", tree], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - start

for tree in trees:
    cli_seconds(tree)  # warm the page cache
    ratios = []
    for round_ in range(rounds):
        c = statistics.median(cli_seconds(tree) for _ in range(runs))
        out = subprocess.run([bench, tree], env=env, capture_output=True, text=True).stdout
        add = float(re.search(r"recursive add of .*: ([0-9.]+) ms", out).group(1)) / 1000
        found = re.search(r"Count over (.*) \((\d+) directories\): ([0-9.]+) ms \((\d+) rows", out)
        w = float(found.group(3)) / 1000
        ratios.append(w / c)
        print("%s round %d: linewright-count %.3f s, window Count %.3f s (add %.3f s; %s "
              "directories, %s rows): ratio %.2f"
              % (tree, round_ + 1, c, w, add, found.group(2), found.group(4), w / c))
    print("%s: median ratio window / linewright-count over %d rounds: %.2f"
          % (tree, rounds, statistics.median(ratios)))
PY
