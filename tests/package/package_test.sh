#!/usr/bin/env bash
# Builds the Debian package the way a user does (the release preset, then cpack), checks it with
# lintian (no error, no warning), unpacks it into a temporary root and runs the installed
# linewright-count from there. Exits 77 (skipped) without cpack, dpkg-deb or lintian.
# Usage: package_test.sh SOURCE_DIR WORK_DIR
#
# The release tree lives in WORK_DIR and is built again only where sources changed. It leaves the
# tests and benchmarks out: they install nothing and change no compile option of the programs.
set -uo pipefail
source=$(realpath "$1")
tree=$(realpath -m "$2")
for tool in cpack dpkg-deb lintian; do
    command -v "$tool" >/dev/null || { echo "no $tool"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! { cmake -S "$source" --preset release -B "$tree" -DLINEWRIGHT_TESTS=OFF -DLINEWRIGHT_BENCH=OFF &&
    cmake --build "$tree"; } >"$work/build.log" 2>&1; then
    tail -40 "$work/build.log"
    echo "FAIL: release build"
    exit 1
fi
grep -q '^CMAKE_BUILD_TYPE:STRING=Release' "$tree/CMakeCache.txt" || { echo "FAIL: not a release tree"; exit 1; }
if ! (cd "$work" && cpack -G DEB --config "$tree/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb=$(ls "$work"/out/linewright_*.deb 2>/dev/null | head -1)
[[ -n "$deb" ]] || { cat "$work/cpack.log"; echo "FAIL: no package written"; exit 1; }

failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

# Informational tags are advice; errors and warnings are faults of the package.
lintian --fail-on error,warning --no-tag-display-limit --display-info "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(grep -E '^[EW]: ' "$work/lintian.log" || cat "$work/lintian.log")"

[[ "$(dpkg-deb -f "$deb" Package)" == linewright ]] || fail "package name"
[[ "$(dpkg-deb -f "$deb" Version)" == 1.0.0 ]] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libgit2; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$depends" != *libasan* && "$depends" != *libubsan* ]] || fail "built with the sanitizers: $depends"

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/linewright usr/bin/linewright-count \
    usr/share/applications/linewright.desktop \
    usr/share/metainfo/example.ferrowick.linewright.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/linewright.png \
    usr/share/icons/hicolor/scalable/apps/linewright.svg \
    usr/share/man/man1/linewright.1.gz usr/share/man/man1/linewright-count.1.gz \
    usr/share/doc/linewright/copyright usr/share/doc/linewright/changelog.gz; do
    [[ -e "$work/root/$file" ]] || fail "package lacks /$file"
done
grep -qF "$(grep -m1 '^Permission is hereby granted' "$source/LICENSE")" \
    "$work/root/usr/share/doc/linewright/copyright" || fail "copyright file does not quote LICENSE"
version=$("$work/root/usr/bin/linewright-count" --version)
[[ "$version" == "linewright-count 1.0.0" ]] || fail "installed --version says '$version'"
mkdir -p "$work/src"
printf 'int a; // FIXME\n' >"$work/src/a.c"
[[ "$("$work/root/usr/bin/linewright-count" --format tsv "$work/src" | tail -1)" == $'a.c\t1\t1\t1\t1' ]] ||
    fail "installed program does not count"

((failures == 0)) || exit 1
echo "package $(basename "$deb") passes lintian, installs and runs"
