#!/usr/bin/env bash
# Installs the build tree into a temporary prefix with cmake --install and checks the AppStream
# metadata found there: appstreamcli accepts it, its desktop entry and screenshot exist, and its
# licence is the one in LICENSE. Exits 77 (skipped) without appstreamcli.
# Usage: metainfo_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source=$(realpath "$1")
build=$(realpath "$2")
command -v appstreamcli >/dev/null || { echo "no appstreamcli"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
metainfo=$(ls "$work"/prefix/share/metainfo/*.metainfo.xml 2>/dev/null)
[[ $(wc -w <<<"$metainfo") -eq 1 ]] || { echo "FAIL: not one metainfo file: $metainfo"; exit 1; }

failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
# The file is named after the component it describes.
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[[ "$(basename "$metainfo")" == "$id.metainfo.xml" ]] || fail "file name does not match id $id"
desktop=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[[ -n "$desktop" && -f "$work/prefix/share/applications/$desktop" ]] ||
    fail "launchable '$desktop' is not an installed desktop entry"
license=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$metainfo")
[[ "$license" == MIT && "$(head -1 "$source/LICENSE")" == "MIT License" ]] ||
    fail "project_license '$license' is not LICENSE's"
# The screenshot is published from res/screenshots/, where the window test's picture is kept.
image=$(sed -n 's:.*<image>\(.*\)</image>.*:\1:p' "$metainfo")
[[ -n "$image" ]] || fail "no screenshot"
for url in $image; do
    file "$source/res/screenshots/$(basename "$url")" | grep -q 'PNG image data' ||
        fail "no res/screenshots/$(basename "$url")"
done

((failures == 0)) || exit 1
echo "metainfo $(basename "$metainfo") is valid"
