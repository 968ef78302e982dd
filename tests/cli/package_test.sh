#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a temporary root and runs the
# installed linewright-count from there. Exits 77 (skipped) without cpack or dpkg-deb.
# Usage: package_test.sh path/to/build-tree
set -uo pipefail
build=$(realpath "$1")
command -v cpack >/dev/null && command -v dpkg-deb >/dev/null || { echo "no cpack or dpkg-deb"; exit 77; }
grep -q '^LINEWRIGHT_GUI:BOOL=ON' "$build/CMakeCache.txt" || { echo "window not built"; exit 77; }
for program in cli/linewright-count app/linewright; do
    [[ -x "$build/$program" ]] || { echo "$program not built"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb=$(ls "$work"/out/linewright_*.deb 2>/dev/null | head -1)
[[ -n "$deb" ]] || { cat "$work/cpack.log"; echo "FAIL: no package written"; exit 1; }

failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

[[ "$(dpkg-deb -f "$deb" Package)" == linewright ]] || fail "package name"
[[ "$(dpkg-deb -f "$deb" Version)" == 1.0.0 ]] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/linewright usr/bin/linewright-count \
    usr/share/applications/linewright.desktop \
    usr/share/icons/hicolor/48x48/apps/linewright.png \
    usr/share/icons/hicolor/scalable/apps/linewright.svg \
    usr/share/man/man1/linewright.1 usr/share/man/man1/linewright-count.1; do
    [[ -e "$work/root/$file" ]] || fail "package lacks /$file"
done
version=$("$work/root/usr/bin/linewright-count" --version)
[[ "$version" == "linewright-count 1.0.0" ]] || fail "installed --version says '$version'"
mkdir -p "$work/src"
printf 'int a; // FIXME\n' >"$work/src/a.c"
[[ "$("$work/root/usr/bin/linewright-count" --format tsv "$work/src" | tail -1)" == $'a.c\t1\t1\t1\t1' ]] ||
    fail "installed program does not count"

((failures == 0)) || exit 1
echo "package $(basename "$deb") installs and runs"
