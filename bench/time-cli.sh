#!/usr/bin/env bash
# Times linewright-count against the read floor on the benchmark corpus, warm cache.
# Usage: bench/time-cli.sh [CORPUS] [BUILD_DIR]   (defaults: bench/corpus, build/release)
# Extra linewright-count options may be given in LW_ARGS, e.g. LW_ARGS="-j 1"; RUNS sets the
# number of timed runs of each (default 15).
#
# The two programs run in turn, floor then counter, so that a noisy stretch of a shared machine
# slows both alike; besides the medians of each, the median of the ratios of the pairs is shown.
set -euo pipefail
set -f  # LW_ARGS may hold patterns such as "-e *"
here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:-$here/corpus}
build=${2:-$here/../build/release}
runs=${RUNS:-15}
args=${LW_ARGS:-}

if [[ ! -d "$corpus" ]]; then
    python3 "$here/make_corpus.py" "$corpus"
fi
cmake --build "$build" --target linewright-count read_floor >/dev/null
cli="$build/cli/linewright-count"
floor="$build/bench/read_floor"

# shellcheck disable=SC2086
python3 - "$runs" "$floor" "$corpus" -- "$cli" --format tsv -r $args "$corpus" <<'PY'
import statistics, subprocess, sys, time

runs = int(sys.argv[1])
split = sys.argv.index("--")
floor_cmd, cli_cmd = sys.argv[2:split], sys.argv[split + 1:]

def timed(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start

for cmd in (floor_cmd, cli_cmd):  # warm the page cache and the programs
    timed(cmd)
floor, cli = [], []
for _ in range(runs):
    floor.append(timed(floor_cmd))
    cli.append(timed(cli_cmd))
for label, times in (("read_floor", floor), ("linewright-count", cli)):
    print("%s %.4f %.4f %.4f" % (label, statistics.median(times), min(times), max(times)))
print("ratio (median linewright-count / median read floor): %.2f"
      % (statistics.median(cli) / statistics.median(floor)))
print("median of the %d paired ratios: %.2f"
      % (runs, statistics.median(c / f for c, f in zip(cli, floor))))
PY
