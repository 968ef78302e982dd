#!/usr/bin/env bash
# Times what --compare adds to a run of linewright-count over the benchmark corpus, with the
# run's own json output as the baseline, warm cache.
# Usage: bench/time-compare.sh [CORPUS] [BUILD_DIR]   (defaults: bench/corpus, build/release)
# Extra options for both runs may be given in LW_ARGS, e.g. LW_ARGS="-j 1"; LW_FORMAT sets their
# output format (default tsv); RUNS sets the number of timed pairs (default 15).
#
# The plain run and the comparing run go in turn, so that a noisy stretch of a shared machine
# slows both alike; besides the medians of each, the median of the pairs' ratios is shown, for
# wall time and for CPU time (user + system), which a loaded machine disturbs less.
set -euo pipefail
set -f  # LW_ARGS may hold patterns such as "-e *"
here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:-$here/corpus}
build=${2:-$here/../build/release}
runs=${RUNS:-15}
args=${LW_ARGS:-}
format=${LW_FORMAT:-tsv}

if [[ ! -d "$corpus" ]]; then
    python3 "$here/make_corpus.py" "$corpus"
fi
cmake --build "$build" --target linewright-count >/dev/null
cli="$build/cli/linewright-count"
baseline=$(mktemp)
trap 'rm -f "$baseline"' EXIT
# shellcheck disable=SC2086
"$cli" --format json -r $args "$corpus" >"$baseline"

# shellcheck disable=SC2086
python3 - "$runs" "$cli" --format "$format" -r $args "$corpus" -- --compare "$baseline" <<'PY'
import resource, statistics, subprocess, sys, time

runs = int(sys.argv[1])
split = sys.argv.index("--")
plain = sys.argv[2:split]
compare = plain[:1] + sys.argv[split + 1:] + plain[1:]

def cpu_of_children():  # microseconds, where os.times() counts whole clock ticks
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

def timed(cmd):
    before = cpu_of_children()
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    return wall, cpu_of_children() - before

for cmd in (plain, compare):  # warm the page cache and the program
    timed(cmd)
results = {"plain": [], "compare": []}
for _ in range(runs):
    results["plain"].append(timed(plain))
    results["compare"].append(timed(compare))
for label, pairs in results.items():
    walls = [w for w, _ in pairs]
    cpus = [c for _, c in pairs]
    print("%-8s wall median %.4f s (min %.4f, max %.4f), CPU median %.4f s"
          % (label, statistics.median(walls), min(walls), max(walls), statistics.median(cpus)))
for index, name in ((0, "wall"), (1, "CPU")):
    ratios = [c[index] / p[index] for p, c in zip(results["plain"], results["compare"])]
    print("median of the %d paired %s ratios (compare / plain): %.3f" % (runs, name, statistics.median(ratios)))
PY
