#!/usr/bin/env bash
# One X server for the Win32 window tests of a CTest run, on a display number that the server
# picks itself, so that runs side by side never meet.
# Usage: xvfb.sh setup|cleanup STATE_DIR
#   setup    starts Xvfb and waits until it takes connections; STATE_DIR/display then holds
#            its display (":N") and STATE_DIR/pid its process id;
#   cleanup  ends that server and waits until it is gone.
set -euo pipefail
action=$1
state=$2
bound=300  # tenths of a second: how long a start or an end may take before it counts as failed

case $action in
setup)
    mkdir -p "$state"
    rm -f "$state/display" "$state/pid" "$state/number"
    # -displayfd: the server writes its display number there once it is ready for clients.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$state/number" </dev/null >"$state/xvfb.log" 2>&1 &
    pid=$!
    echo "$pid" >"$state/pid"
    for ((i = 0; i < bound; i++)); do
        if [[ -s "$state/number" ]]; then
            echo ":$(tr -d '[:space:]' <"$state/number")" >"$state/display"
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || { cat "$state/xvfb.log"; echo "Xvfb ended"; exit 1; }
        sleep 0.1
    done
    cat "$state/xvfb.log"
    echo "Xvfb did not start"
    exit 1
    ;;
cleanup)
    [[ -f "$state/pid" ]] || exit 0
    pid=$(cat "$state/pid")
    rm -f "$state/pid" "$state/display"
    kill "$pid" 2>/dev/null || exit 0
    for ((i = 0; i < bound; i++)); do
        kill -0 "$pid" 2>/dev/null || exit 0
        sleep 0.1
    done
    echo "Xvfb $pid did not end"
    exit 1
    ;;
*)
    echo "usage: $0 setup|cleanup STATE_DIR" >&2
    exit 2
    ;;
esac
