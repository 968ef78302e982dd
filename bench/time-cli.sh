#!/usr/bin/env bash
# Times linewright-count against the read floor on the benchmark corpus, warm cache.
# Usage: bench/time-cli.sh [CORPUS] [BUILD_DIR]   (defaults: bench/corpus, build/release)
# Extra linewright-count options may be given in LW_ARGS, e.g. LW_ARGS="-j 1".
set -euo pipefail
set -f  # LW_ARGS may hold patterns such as "-e *"
here=$(cd "$(dirname "$0")" && pwd)
corpus=${1:-$here/corpus}
build=${2:-$here/../build/release}
runs=${RUNS:-7}
args=${LW_ARGS:-}

if [[ ! -d "$corpus" ]]; then
    python3 "$here/make_corpus.py" "$corpus"
fi
cmake --build "$build" --target linewright-count read_floor >/dev/null
cli="$build/cli/linewright-count"
floor="$build/bench/read_floor"

# Warm the page cache.
"$floor" "$corpus" >/dev/null
"$cli" --format tsv -r "$corpus" >/dev/null 2>&1 || true

median_of() {  # label command... ; prints "label median min max" in seconds
    local label=$1
    shift
    if command -v hyperfine >/dev/null; then
        hyperfine --warmup 1 --runs "$runs" --export-json /tmp/lw-time.json -N "$*" >/dev/null 2>&1 ||
            hyperfine --warmup 1 --runs "$runs" --export-json /tmp/lw-time.json "$* >/dev/null 2>&1" >/dev/null 2>&1
        python3 - "$label" <<'PY'
import json, statistics, sys
r = json.load(open("/tmp/lw-time.json"))["results"][0]
print("%s %.4f %.4f %.4f" % (sys.argv[1], statistics.median(r["times"]), r["min"], r["max"]))
PY
    else
        local times=()
        for _ in $(seq "$runs"); do
            local start end
            start=$(date +%s.%N)
            "$@" >/dev/null 2>&1 || true
            end=$(date +%s.%N)
            times+=("$(echo "$end - $start" | bc)")
        done
        printf '%s\n' "${times[@]}" | sort -n | awk -v l="$label" '{a[NR]=$1} END {print l, a[int((NR+1)/2)], a[1], a[NR]}'
    fi
}

floorLine=$(median_of "read_floor" "$floor" "$corpus")
# shellcheck disable=SC2086
cliLine=$(median_of "linewright-count" "$cli" --format tsv -r $args "$corpus")
echo "$floorLine"
echo "$cliLine"
awk -v f="$(cut -d' ' -f2 <<<"$floorLine")" -v c="$(cut -d' ' -f2 <<<"$cliLine")" \
    'BEGIN {printf "ratio (median linewright-count / median read floor): %.2f\n", c / f}'
