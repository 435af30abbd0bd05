#!/usr/bin/env bash
# Copies the made prefix for every other desktop of the test run and for the tests that need
# no display, then starts the server of each (serve-prefix.sh), on its desktop's display:
#   copy-prefixes.sh BUILD_DIR
# The prefix of desktop 0 is BUILD_DIR/wineprefix (make-prefix.sh made it and its server has
# ended, so its registry is on disk); desktop K's is BUILD_DIR/wineprefix-K, the display-less
# tests' BUILD_DIR/wineprefix-bare. MERIDEL_DISPLAYS (scripts/xvfb.sh) lists the desktops'
# displays. A copy costs about 2 s; making a prefix, about 20.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
read -r -a displays <<<"${MERIDEL_DISPLAYS:-${DISPLAY:-}}"
count=${#displays[@]}
[ "$count" -gt 0 ] || count=1
copy() {
  rm -rf "$build/$2"
  cp -a "$build/$1" "$build/$2"
}
copy wineprefix wineprefix-bare
for k in $(seq 1 $((count - 1))); do copy wineprefix "wineprefix-$k"; done
DISPLAY=${displays[0]:-${DISPLAY:-}} bash "$here/serve-prefix.sh" "$build/wineprefix"
for k in $(seq 1 $((count - 1))); do DISPLAY=${displays[$k]} bash "$here/serve-prefix.sh" "$build/wineprefix-$k"; done
(unset DISPLAY; bash "$here/serve-prefix.sh" "$build/wineprefix-bare")
echo "prefixes ready: desktops 0 to $((count - 1)) and the display-less tests'"
