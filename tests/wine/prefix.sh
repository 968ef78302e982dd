#!/usr/bin/env bash
# The Wine prefix that the Windows tests of one CTest run share, and the server that keeps it.
# Usage: prefix.sh setup|cleanup WINEPREFIX
#   setup    creates the prefix where it is missing and waits until Wine has written it, then
#            starts a server that stays for the run, so that each test's program starts at once
#            instead of bringing up Wine's services anew;
#   cleanup  ends that server and everything it still runs, and waits until it is gone.
# WINE64 and WINESERVER name the programs (default: Debian's wine64 package).
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
# No menu entries for the desktop, and no offer to download Mono or Gecko into the prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
wine64=${WINE64:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}

case $action in
setup)
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        rm -rf "$WINEPREFIX"
        echo "creating the Wine prefix $WINEPREFIX"
        # wine64 cannot start the 32-bit half of a new prefix here; it says so and goes on.
        "$wine64" wineboot --init >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log"; exit 1; }
    fi
    "$wineserver" --wait
    [[ -f "$WINEPREFIX/system.reg" ]] || { cat "$WINEPREFIX.log"; echo "no prefix made"; exit 1; }
    # Lingers at most a minute after the last program of the run, should the cleanup never come.
    "$wineserver" --persistent=60 </dev/null >/dev/null 2>&1
    # Wine's own services start with the first program; started here, away from CTest's pipes.
    "$wine64" cmd /c exit </dev/null >/dev/null 2>&1
    ;;
cleanup)
    "$wineserver" --kill 2>/dev/null || true
    "$wineserver" --wait 2>/dev/null || true
    ;;
*)
    echo "usage: $0 setup|cleanup WINEPREFIX" >&2
    exit 2
    ;;
esac
