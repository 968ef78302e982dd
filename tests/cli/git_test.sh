#!/usr/bin/env bash
# Checks --rev, --compare-rev and --history of linewright-count on a repository made here: a count
# at a revision must print what a count of that revision's checkout prints, byte for byte.
# Usage: git_test.sh path/to/linewright-count
set -uo pipefail
bin=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# No configuration of the machine or the user takes part, and no search leaves the work folder.
export HOME=$work GIT_CONFIG_NOSYSTEM=1 GIT_CEILING_DIRECTORIES=$work LC_ALL=C.UTF-8 TZ=UTC
export GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@example.org GIT_COMMITTER_NAME=t
export GIT_COMMITTER_EMAIL=t@example.org

check() {  # name expected actual
    if [[ "$2" != "$3" ]]; then
        echo "FAIL: $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20
        failures=$((failures + 1))
    fi
}

run() {  # leaves stdout in $out, stderr in $err, status in $status
    out=$("$bin" "$@" 2>"$work/stderr")
    status=$?
    err=$(cat "$work/stderr")
}

commit() {  # message date: commits what the index holds
    GIT_AUTHOR_DATE=$2 GIT_COMMITTER_DATE=$2 git commit -q --allow-empty -m "$1"
}

# The history: a rename, a deletion, CR LF, a FIXME added and removed, a submodule entry, symbolic
# links to a file and to a directory, odd names, a branch merged back (off the first-parent line).
git init -q -b main "$work/repo"
cd "$work/repo"
mkdir -p src/lib
printf 'int main() { return 0; } // FIXME: args\n/* a\n   b */\n{\n}\n' >src/main.c
printf '/* util */\nint u(void);\n' >src/lib/util.h
printf 'y;\r\nz; // crlf\r\n' >src/lib/crlf.c
printf 'x; /* odd */\n' >"src/odd"$'\t'"name.c"
git add -A && commit one 2024-01-01T10:00:00Z
git tag v1
printf 'int a;\n' >src/lib/a.c
ln -s main.c src/link.c
ln -s lib src/libalias
git add -A
git update-index --add --cacheinfo "160000,$(git rev-parse HEAD),src/sub"
commit two 2024-01-05T10:00:00Z
git mv src/lib/a.c src/lib/b.c
printf '// FIXME later\nint b;\n' >src/lib/b.c
git add -A && commit three 2024-02-10T10:00:00Z
git checkout -q -b feature
printf 'feature; // FIXME\n' >src/feature.c
git add -A && commit four 2024-02-11T10:00:00Z
git checkout -q main
git rm -q src/lib/crlf.c
printf 'int b;\n' >src/lib/b.c
git add -A && commit five 2024-03-01T10:00:00Z
GIT_AUTHOR_DATE=2024-03-02T10:00:00Z GIT_COMMITTER_DATE=2024-03-02T10:00:00Z \
    git merge -q --no-ff -m merge feature
# A change not committed, of the same size and time, so that only the file's content and change
# time tell it from the committed one: a count of HEAD must not see it.
stamp=$(stat -c %y src/main.c)
printf 'int main() { return 0; } // fixme: args\n/* a\n   b */\n{\n}\n' >src/main.c
touch -d "$stamp" src/main.c
# A directory only the work tree has.
mkdir src/new
printf 'n; // FIXME\n' >src/new/n.c

checkout() {  # REV DIR: DIR becomes a checkout of REV without the symbolic links, which --rev
    # passes over, and without the .git file, which a tree does not hold
    git -C "$work/repo" worktree add -q --detach "$2" "$1" 2>/dev/null
    find "$2" -type l -delete
    rm "$2/.git"
}

# Each revision against its checkout, with options that exercise the walk, the order of rows,
# duplicates, patterns that name another directory, and the sums by directory.
options=(
    "-r src"
    "-r -e '*' src"
    "src src/lib src"
    "-e '*.c;*.h;*.c' -r ."
    "-e 'lib/*.h;*.c' src"
    "-r src/lib/.. ./src/lib/"
    "--by-dir -r ."
    "--by-dir=1 --sort code -r ."
)
for rev in v1 feature "$(git rev-parse HEAD)"; do
    dir=$(mktemp -d -u "$work/checkout.XXXXXX")
    checkout "$rev" "$dir"
    for opts in "${options[@]}"; do
        for format in tsv json; do
            # Full paths, of rows outside the first DIR, are under the checkout there.
            expected=$(cd "$dir" && eval "'$bin' --format $format $opts" 2>&1
                echo "exit $?")
            expected=${expected//$dir/$work/repo}
            actual=$(cd "$work/repo" && eval "'$bin' --rev '$rev' --format $format $opts" 2>&1
                echo "exit $?")
            check "--rev $rev --format $format $opts" "$expected" "$actual"
        done
    done
    # From a subdirectory, DIRs are taken from there, as git takes paths.
    check "--rev $rev from src" "$(cd "$dir/src" && "$bin" --format tsv -r lib)" \
        "$(cd "$work/repo/src" && "$bin" --rev "$rev" --format tsv -r lib)"
done

# --compare-rev is --compare against the json output of --rev.
for rev in v1 feature; do
    # The options of both runs | those of the comparison only
    for opts in "-r src|" "-r .|--by-dir --only-changed" "-e '*.c' src|--sort fixmes-change"; do
        both=${opts%|*}
        compared=${opts#*|}
        eval "'$bin' --rev '$rev' --format json $both" >"$work/then.json"
        expected=$(eval "'$bin' --compare '$work/then.json' --format tsv $compared $both"
            echo "exit $?")
        actual=$(eval "'$bin' --compare-rev '$rev' --format tsv $compared $both"; echo "exit $?")
        check "--compare-rev $rev $compared $both" "$expected" "$actual"
    done
done
run --compare-rev v1 --max-new-fixmes 0 -r src
check "ratchet: status" 3 "$status"
check "ratchet: message" "linewright-count: the FIXMEs total grew by 1, which exceeds --max-new-fixmes 0 by 1" "$err"

# Each row of --history is the totals of --rev of its commit, for the first-parent line.
for opts in "-r src" "-e 'lib/*.h;*.c' src src"; do
    eval "'$bin' --history --format tsv $opts" >"$work/history.tsv"
    check "history $opts: the first-parent commits, newest first" \
        "$(git rev-list --first-parent HEAD)" "$(tail -n +2 "$work/history.tsv" | cut -f1)"
    while IFS=$'\t' read -r hash date files fixmes code comments total; do
        expected=$(eval "'$bin' --rev $hash --format json $opts" | python3 -c '
import json, sys; t = json.load(sys.stdin)["totals"]
print(t["files"], t["fixmes"], t["code"], t["comments"], t["total"])')
        check "history $opts at $hash" "$expected" "$files $fixmes $code $comments $total"
        check "history date of $hash" \
            "$(git log -1 --format=%cd --date=format-local:%Y-%m-%dT%H:%M:%SZ "$hash")" "$date"
    done < <(tail -n +2 "$work/history.tsv")
done
history_commits() {  # ARGS...: the commits --history lists for src
    "$bin" --history --format tsv "$@" src | tail -n +2 | cut -f1
}
check "--max-count" "$(git rev-list --first-parent --max-count=2 HEAD)" "$(history_commits --max-count 2)"
check "--every" "$(git rev-list --first-parent HEAD | awk 'NR % 2 == 1')" "$(history_commits --every 2)"
check "--since" "$(git rev-list --first-parent --since=2024-02-10T00:00:00Z HEAD)" \
    "$(history_commits --since 2024-02-10)"
check "--since with an offset, and --every" \
    "$(git rev-list --first-parent --since=2024-02-10T09:30:01Z HEAD | awk 'NR % 2 == 1')" \
    "$(history_commits --since 2024-02-10T10:00:01+00:30 --every 2)"
check "--history of --rev" "$(git rev-list --first-parent --max-count=2 feature)" \
    "$(history_commits --rev feature --max-count 2)"

# The other formats of a history.
run --history --format json -r src
check "history json" "ok" "$(python3 -c '
import json, sys
commits = json.loads(sys.argv[1])["commits"]
keys = ["commit", "date", "files", "fixmes", "code", "comments", "total"]
print("ok" if len(commits) == 5 and all(list(c) == keys for c in commits) else commits)' "$out")"
run --history --format csv -r src
check "history csv header" $'Commit,Date,Files,FIXMEs,Code,Comments,Total\r' "$(head -n 1 <<<"$out")"
"$bin" --history --format svg -r src >"$work/history.svg"
check "history svg" "ok" "$(python3 - "$work/history.svg" <<'EOF'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
ns = "{http://www.w3.org/2000/svg}"
lines = root.findall(ns + "polyline")
texts = [t.text for t in root.iter(ns + "text")]
ok = (root.get("viewBox") == "0 0 800 400" and len(lines) == 2
      and all(len(l.get("points").split()) == 5 for l in lines)
      and "Code (left axis)" in texts and "FIXMEs (right axis)" in texts
      and "2024-02" in texts and root.find(ns + "script") is None)
print("ok" if ok else texts)
EOF
)"

# Counted as committed: a smudge filter that a checkout applies takes no part.
git init -q -b main "$work/filtered"
(cd "$work/filtered" &&
    git config filter.upper.smudge 'tr a-z A-Z' && git config filter.upper.clean cat &&
    echo '*.up filter=upper' >.gitattributes && printf '// fixme\n' >a.up && printf '// fixme\n' >b.c &&
    git add -A && commit one 2024-01-01T10:00:00Z && rm a.up && git checkout -q -- a.up)
check "a smudge filter applies on disk" $'a.up\t1\t0\t1\t1' \
    "$(cd "$work/filtered" && "$bin" --format tsv -e '*.up' . | tail -n 1)"
check "but not at the revision" $'a.up\t0\t0\t1\t1\nb.c\t0\t0\t1\t1' \
    "$(cd "$work/filtered" && "$bin" --rev HEAD --format tsv -e '*.up;*.c' . | tail -n 2)"

# A bare repository, named by --git-dir: paths from the tree's root.
git clone -q --bare "$work/repo" "$work/bare.git"
check "bare repository" "$("$bin" --rev HEAD --format tsv -r src)" \
    "$(cd "$work" && "$bin" --git-dir bare.git --rev HEAD --format tsv -r src)"
check "bare repository, history" "$("$bin" --history --format tsv src)" \
    "$(cd "$work" && "$bin" --git-dir bare.git --history --format tsv src)"

# A shallow clone and a corrupt object: read failures, and no history passed off as whole.
git clone -q --depth 2 "file://$work/repo" "$work/shallow"
cp -r "$work/repo" "$work/corrupt"
blob=$(git rev-parse HEAD:src/lib/util.h)
object="$work/corrupt/.git/objects/${blob:0:2}/${blob:2}"
chmod u+w "$object" && printf 'not an object' >"$object"
mkdir "$work/plain"
# directory | arguments | exit status | stdout | first line of stderr (WORK for the work folder)
while IFS='|' read -r where args expected stdout message; do
    cd "$work/$where" || exit 1
    eval "run $args"
    check "$where $args: status" "$expected" "$status"
    [[ "$stdout" == "-" ]] || check "$where $args: output" "$stdout" "$out"
    message=${message//WORK/$work}
    first=$(head -n 1 <<<"$err")
    check "$where $args: message" "$message" "${first:0:${#message}}"
    [[ -n "$message" ]] || check "$where $args: no message" "" "$err"
done <<'TABLE'
plain|--rev HEAD src|2||linewright-count: not a git repository: 
repo|--rev nope src|2||linewright-count: unknown revision 'nope': 
repo|--compare-rev nope src|2||linewright-count: unknown revision 'nope': 
repo|--rev HEAD:src/main.c src|2||linewright-count: revision 'HEAD:src/main.c' names no tree: 
repo|--history --rev v1^{tree} src|2||linewright-count: revision 'v1^{tree}' names no commit: 
repo|--rev v1 --format tsv -r src gone|1|-|linewright-count: cannot search gone: No such file or directory
repo|--rev v1 --format tsv src/main.c|1|Relative path	FIXMEs	Code	Comments	Total|linewright-count: cannot search src/main.c: Not a directory
repo|--rev HEAD --format tsv src/libalias|1|Relative path	FIXMEs	Code	Comments	Total|linewright-count: cannot search src/libalias: a symbolic link, which is not followed in a git tree
repo|--rev HEAD --format tsv -e 'link.c' src|0|Relative path	FIXMEs	Code	Comments	Total|
repo|--history --format tsv nowhere|1|-|linewright-count: cannot search nowhere: not in any commit of the history
shallow|--history src|1||linewright-count: cannot read commit 
shallow|--history --max-count 2 --format csv src|0|-|
corrupt|--rev HEAD --format tsv -e '*.h' src/lib|1|Relative path	FIXMEs	Code	Comments	Total|linewright-count: Failed to read: WORK/corrupt/src/lib/util.h: 
corrupt|--history src/lib|1||linewright-count: Failed to read: src/lib/util.h at commit 
TABLE
# A DIR that only the work tree has is new since the revision: added, not a failure.
cd "$work/repo" && run --compare-rev v1 --format tsv src/new
check "a DIR new since the revision" $'0\n\nRelative path\tFIXMEs\tCode\tComments\tTotal\tFIXMEs change\tCode change\tComments change\tTotal change\tChange\nn.c\t1\t1\t1\t1\t+1\t+1\t+1\t+1\tadded' \
    "$status"$'\n'"$err"$'\n'"$out"
cd "$work/shallow" && run --history src
check "shallow: says why" 1 "$(grep -c 'shallow clone' <<<"$err")"

# libgit2 is loaded only for the options that read a repository: where it cannot be loaded, a
# count of the work tree still runs, and a count at a revision says why it cannot.
mkdir "$work/nolib"
: >"$work/nolib/$(PATH=$PATH:/sbin:/usr/sbin ldconfig -p | grep -o 'libgit2\.so\.[0-9.]*' | head -1)"
cd "$work/repo"
expected=$("$bin" --format tsv src/lib 2>&1; echo "status $?")
check "without libgit2: a count" "$expected" \
    "$(LD_LIBRARY_PATH=$work/nolib "$bin" --format tsv src/lib 2>&1; echo "status $?")"
LD_LIBRARY_PATH=$work/nolib "$bin" --rev HEAD src/lib >/dev/null 2>"$work/stderr"
check "without libgit2: --rev" "1 linewright-count: cannot load libgit2:" \
    "$? $(cut -d' ' -f1-4 "$work/stderr")"

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
