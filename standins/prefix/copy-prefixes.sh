#!/usr/bin/env bash
# Copies the made prefix for every other desktop of the test run and for the tests that need
# no display, then starts the server of each (serve-prefix.sh), on its desktop's display:
#   copy-prefixes.sh BUILD_DIR
# The prefix of desktop 0 is BUILD_DIR/wineprefix (make-prefix.sh made it and its server has
# ended, so its registry is on disk); desktop K's is BUILD_DIR/wineprefix-K, the display-less
# tests' BUILD_DIR/wineprefix-bare. MERIDEL_DISPLAYS (scripts/xvfb.sh) lists the desktops'
# displays. A copy and its start cost a few seconds; making a prefix, about 15.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
read -r -a displays <<<"${MERIDEL_DISPLAYS:-${DISPLAY:-}}"
count=${#displays[@]}
[ "$count" -gt 0 ] || count=1
copy() { bash "$here/copy-prefix.sh" "$build/$1" "$build/$2"; }
copy wineprefix wineprefix-bare
for k in $(seq 1 $((count - 1))); do copy wineprefix "wineprefix-$k"; done
# The servers start side by side: each start mostly waits for its system processes.
pids=()
DISPLAY=${displays[0]:-${DISPLAY:-}} bash "$here/serve-prefix.sh" "$build/wineprefix" & pids+=($!)
for k in $(seq 1 $((count - 1))); do
  DISPLAY=${displays[$k]} bash "$here/serve-prefix.sh" "$build/wineprefix-$k" & pids+=($!)
done
(unset DISPLAY; bash "$here/serve-prefix.sh" "$build/wineprefix-bare") & pids+=($!)
for pid in "${pids[@]}"; do wait "$pid"; done
echo "prefixes ready: desktops 0 to $((count - 1)) and the display-less tests'"
