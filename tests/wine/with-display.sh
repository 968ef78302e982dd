#!/usr/bin/env bash
# Runs a command on the X server that xvfb.sh started.
# Usage: with-display.sh STATE_DIR COMMAND [ARGUMENT...]
set -euo pipefail
state=$1
shift
[[ -s "$state/display" ]] || { echo "no X server in $state: run xvfb.sh setup first" >&2; exit 1; }
DISPLAY=$(cat "$state/display")
export DISPLAY
exec "$@"
