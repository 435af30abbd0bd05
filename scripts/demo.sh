#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix with the stand-ins and the demo
# graph, and starts the tool. With a display it runs there for you to use; without one it
# runs on an Xvfb display of its own, walks through build / duration / play / show graph,
# and leaves a screenshot of each step in <build>/screenshots.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ]; then
  bash "$here/standins/prefix/make-prefix.sh" "$build" "$build/wineprefix"
  exec wine "$build/bin/MeridelTest.exe"
fi

# No display: one of our own (the prefix needs it too, for the video renderer in the
# graph files it writes).
source "$here/scripts/xvfb.sh"
bash "$here/standins/prefix/make-prefix.sh" "$build" "$build/wineprefix"

shots=$build/screenshots
rm -rf "$shots" && mkdir -p "$shots"
n=0
coproc WALK { wine "$build/bin/DemoWalkthrough.exe" 2>/dev/null; }
walk_pid=$WALK_PID
while IFS= read -r line <&"${WALK[0]}"; do
  line=${line%$'\r'}
  case $line in
    STEP\ *)
      n=$((n + 1))
      shot=$(printf '%s/%02d-%s.png' "$shots" "$n" "${line#STEP }")
      import -window root "$shot"
      echo "screenshot: $shot"
      echo >&"${WALK[1]}" ;;
    *) echo "$line" ;;
  esac
done
wait "$walk_pid" || { echo "walk-through failed; screenshots so far are in $shots"; exit 1; }
echo "screenshots of each step are in $shots"
