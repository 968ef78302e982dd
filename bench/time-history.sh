#!/usr/bin/env bash
# Times the git modes of linewright-count on a real repository, warm cache:
#   1. --history -r over the whole first-parent history of HEAD (commits per second);
#   2. --history -r over its first COMMITS commits (default 200) against the naive way, a script
#      that checks out each commit and counts it;
#   3. --rev HEAD -r against a count of HEAD's checkout, and --rev HEAD read from a bare clone,
#      where every blob is inflated.
# Usage: bench/time-history.sh REPO [BUILD_DIR]   (BUILD_DIR default build/release)
# Environment: RUNS (timed pairs, default 5; the full history RUNS times), COMMITS (default 200),
# NAIVE_CLI (the linewright-count the naive script runs, default the same as the one measured).
#
# REPO is only read: the script clones it into a temporary folder for anything that writes. The
# programs compared run in turn, so that a noisy stretch of a shared machine slows both alike;
# besides the medians, the median of the pairs' ratios is shown.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(realpath "${1:?usage: bench/time-history.sh REPO [BUILD_DIR]}")
build=${2:-$here/../build/release}
runs=${RUNS:-5}
commits=${COMMITS:-200}
cmake --build "$build" --target linewright-count >/dev/null
cli=$(realpath "$build/cli/linewright-count")
naive_cli=$(realpath "${NAIVE_CLI:-$cli}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A clone whose work tree lives apart from its .git, so that a count of the checkout sees the
# tree's files only; and a bare clone, which has no work tree to read from.
git clone -q --no-checkout "$repo" "$tmp/clone"
git clone -q --bare "$repo" "$tmp/bare.git"
export GIT_DIR=$tmp/clone/.git GIT_WORK_TREE=$tmp/tree
mkdir "$tmp/tree"
git checkout -q -f --detach HEAD
# The naive way moves HEAD: every run names the starting commit.
start=$(git rev-parse HEAD)
total=$(git rev-list --first-parent --count "$start")

cat >"$tmp/naive.sh" <<EOF
#!/usr/bin/env bash
# For each of the first $commits first-parent commits: check it out, count it.
set -euo pipefail
for commit in \$(git rev-list --first-parent -n $commits $start); do
    git checkout -q -f --detach "\$commit"
    printf '%s\\t' "\$commit"
    "$naive_cli" -r "$tmp/tree" | tail -n 1
done
EOF
chmod +x "$tmp/naive.sh"

# Both ways give the same totals: a speed-up that came from counting less would show here.
"$tmp/naive.sh" | sed 's/\tFiles: \([0-9]*\) FIXMEs: \([0-9]*\) Code: \([0-9]*\) Comments: \([0-9]*\) Total: \([0-9]*\)/\t\1\t\2\t\3\t\4\t\5/' >"$tmp/naive.out"
(cd "$tmp/tree" && "$cli" --history --rev "$start" --max-count "$commits" --format tsv -r .) |
    tail -n +2 |
    cut -f 1,3- >"$tmp/history.out"
if ! cmp -s "$tmp/naive.out" "$tmp/history.out"; then
    echo "the naive way and --history disagree:" >&2
    diff "$tmp/naive.out" "$tmp/history.out" | head >&2
    exit 1
fi

# HEAD again, its index refreshed a second later, so that no entry is "racily clean" (which
# --rev would rightly read from its blob).
git checkout -q -f --detach "$start"
sleep 1
git update-index -q --refresh
cd "$tmp/tree"
python3 - "$runs" "$total" "$commits" "$cli" "$tmp" "$start" <<'PY'
import resource, statistics, subprocess, sys, time

runs, total, commits, cli, tmp, start = (int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]),
                                         sys.argv[4], sys.argv[5], sys.argv[6])

def cpu_of_children():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

def timed(cmd):
    before = cpu_of_children()
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start, cpu_of_children() - before

def show(label, pairs):
    walls = [w for w, _ in pairs]
    cpus = [c for _, c in pairs]
    print("  %-34s wall median %.3f s (min %.3f, max %.3f), CPU median %.3f s"
          % (label, statistics.median(walls), min(walls), max(walls), statistics.median(cpus)))
    return statistics.median(walls)

def compare(title, a_label, a, b_label, b):
    print(title)
    timed(a)
    timed(b)
    results = ([], [])
    for _ in range(runs):
        results[0].append(timed(a))
        results[1].append(timed(b))
    show(a_label, results[0])
    show(b_label, results[1])
    ratios = [y[0] / x[0] for x, y in zip(*results)]
    print("  median of the %d paired wall ratios (%s / %s): %.2f"
          % (runs, b_label, a_label, statistics.median(ratios)))

print("--history -r over the %d first-parent commits" % total)
timed([cli, "--history", "--rev", start, "-r", "."])
full = [timed([cli, "--history", "--rev", start, "-r", "."]) for _ in range(runs)]
wall = show("--history -r .", full)
print("  %.0f commits per second" % (total / wall))

compare("HEAD", "count of the checkout -r .", [cli, "-r", "."],
        "--rev HEAD -r .", [cli, "--rev", start, "-r", "."])
compare("HEAD, every blob inflated", "count of the checkout -r .", [cli, "-r", "."],
        "--rev HEAD -r . (bare clone)", [cli, "--git-dir", tmp + "/bare.git", "--rev", start, "-r", "."])
# Last, as its checkouts leave the work tree at an old commit.
compare("the first %d commits" % commits,
        "--history --max-count %d -r ." % commits,
        [cli, "--history", "--rev", start, "--max-count", str(commits), "-r", "."],
        "checkout and count each", [tmp + "/naive.sh"])
PY
