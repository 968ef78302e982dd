#!/usr/bin/env bash
# Times linewright-count against its peers on one tree, warm cache: the default workers and
# -j 1, ripgrep counting FIXME over the same six patterns, and the walk+read floor
# (bench/walk_read_floor) on one thread and on as many as linewright-count uses.
# Usage: bench/time-peers.sh TREE [BUILD_DIR]   (default build/release; bench/install-deps
# installs ripgrep). RUNS sets the timed runs of each (default 11); BEFORE names an earlier
# linewright-count to time in the same rounds (its default workers and -j 1).
#
# One round runs every program once, in turn, so that a noisy stretch of a shared machine slows
# them alike; medians are of the rounds, and each ratio is also given as the median of the
# rounds' own ratios.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tree=${1:?usage: bench/time-peers.sh TREE [BUILD_DIR]}
build=${2:-$here/../build/release}
runs=${RUNS:-11}
before=${BEFORE:-}
command -v rg >/dev/null || { echo "ripgrep is missing: run bench/install-deps" >&2; exit 2; }
cmake --build "$build" --target linewright-count walk_read_floor >/dev/null

python3 - "$runs" "$build" "$tree" "$before" <<'PY'
import os, resource, statistics, subprocess, sys, time

runs, build, tree, before = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
cli = os.path.join(build, "cli", "linewright-count")
floor = os.path.join(build, "bench", "walk_read_floor")
workers = len(os.sched_getaffinity(0))
programs = [
    ("lw", [cli, "--format", "tsv", "-r", tree]),
    ("lw -j 1", [cli, "-j", "1", "--format", "tsv", "-r", tree]),
    ("rg", ["rg", "-c", "FIXME", "--no-ignore", "--hidden", "-g", "*.{c,cpp,h,hxx,cxx,inl}", tree]),
    ("floor 1", [floor, tree]),
    ("floor %d" % workers, [floor, "-j", str(workers), tree]),
]
if before:
    programs += [("before", [before, "--format", "tsv", "-r", tree]),
                 ("before -j 1", [before, "-j", "1", "--format", "tsv", "-r", tree])]

cpu = {label: [] for label, _ in programs}

def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

def timed(cmd, label=None):
    before_cpu = children_cpu()
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if label:
        cpu[label].append(children_cpu() - before_cpu)
    return wall

for _, cmd in programs:  # warm the page cache and the programs
    timed(cmd)
times = {label: [] for label, _ in programs}
for _ in range(runs):
    for label, cmd in programs:
        times[label].append(timed(cmd, label))
print("%s, %d rounds, %d processors, load average before %.2f"
      % (tree, runs, workers, os.getloadavg()[0]))
for label, _ in programs:
    t = times[label]
    print("  %-12s median %.3f s  (min %.3f, max %.3f)  CPU (user+system) median %.3f s"
          % (label, statistics.median(t), min(t), max(t), statistics.median(cpu[label])))

def ratio(a, b):
    ma, mb = statistics.median(times[a]), statistics.median(times[b])
    paired = statistics.median(x / y for x, y in zip(times[a], times[b]))
    print("  %-12s / %-10s %.2f (median of round ratios %.2f)" % (a, b, ma / mb, paired))

ratio("lw", "rg")
ratio("lw", "floor %d" % workers)
ratio("lw -j 1", "floor 1")
if before:
    ratio("before", "rg")
    ratio("before -j 1", "floor 1")
    ratio("lw", "before")
    ratio("lw -j 1", "before -j 1")
PY
