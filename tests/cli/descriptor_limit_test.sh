#!/usr/bin/env bash
# Under a low limit on open files, several workers give exactly the output and messages of one:
# no file fails for want of a descriptor.
# Usage: descriptor_limit_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Files large enough that the workers hold several open at once.
python3 - <<'PY'
import os
for d in range(100, 140):
    os.makedirs(f"tree/d{d}")
    for f in range(1, 6):
        with open(f"tree/d{d}/f{f}.c", "w") as out:
            out.write(f"x; // {f}\n/* y */\n" * 6000)
PY
mkfifo tree/d100/pipe.c
failures=0
# 8 and 16 keep a few directories open; 300 keeps every one of them.
for limit in 8 16 300; do
    (ulimit -n "$limit" && "$bin" --format tsv -r -j 1 tree) >"one-$limit" 2>&1
    echo "status $?" >>"one-$limit"
    if ! grep -q "^d139/f5.c" "one-$limit"; then
        echo "FAIL: -j 1 under a limit of $limit did not count the tree"
        cat "one-$limit"
        failures=$((failures + 1))
    fi
    for jobs in 8 64; do
        for run in 1 2 3; do
            (ulimit -n "$limit" && "$bin" --format tsv -r -j "$jobs" tree) >"many" 2>&1
            echo "status $?" >>"many"
            if ! cmp -s "one-$limit" "many"; then
                echo "FAIL: -j $jobs differs from -j 1 under a limit of $limit (run $run)"
                diff "one-$limit" "many" | head -20
                failures=$((failures + 1))
            fi
        done
    done
done
if ((failures > 0)); then
    exit 1
fi
echo "the same output under every limit"
