#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on an Xvfb
# display of its own. Everything it makes stays under the build tree (default: ./build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build"

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
# A display of our own, so that tests never draw on (or depend on) the user's desktop.
for n in $(seq 91 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

cd "$build"
ctest --output-on-failure --timeout 900
