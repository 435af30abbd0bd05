#!/usr/bin/env bash
# Creates the Wine prefix in which the tool, its tests and its demo run:
#   make-prefix.sh BUILD_DIR PREFIX_DIR
# The prefix lives under the build tree; nothing outside it is touched.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
prefix=$2

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -d "$prefix" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
echo "wine prefix ready: $prefix"
