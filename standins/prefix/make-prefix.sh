#!/usr/bin/env bash
# Creates the Wine prefix in which the tool, its tests and its demo run:
#   make-prefix.sh BUILD_DIR PREFIX_DIR
# The prefix lives under the build tree; nothing outside it is touched. Each stand-in
# folder that has a register.sh puts its pieces into the prefix (called with BUILD_DIR
# and PREFIX_DIR, WINEPREFIX exported), in the order below: the graph manager first,
# because the filters' register step writes the graph files through it.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$1" && pwd)
prefix=$(mkdir -p "$2" && cd "$2" && pwd)

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wineserver -k 2>/dev/null || true
find "$prefix" -mindepth 1 -delete
# The server stays up from here to the end (each step below talks to it); only the last
# wait, which writes the registry to disk, is needed before anyone copies the prefix.
wineboot -i >/dev/null 2>&1

# The dialog asks for Tahoma. This Wine draws it with Liberation Sans (Wine's own Tahoma
# in fonts-wine is not searched unless copied into the prefix, and it is wider than
# Windows' Tahoma: "Max duration of audio samples" fits its 98-unit label at no DPI
# from 96 to 144). At 96 DPI Liberation Sans gives the dialog exactly the pixel size it has on
# Windows, but that label is one pixel too narrow and its last word wraps out of sight;
# 104 DPI is the smallest setting at which every label fits (5 pixels to spare there),
# so the dialog stays closest to its Windows size with all of its text readable.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 104 /f >/dev/null 2>&1
# Wine's device bus looks for game controllers through SDL, which wakes its driver host
# every few milliseconds for as long as the prefix's server is up: 2 % of a core per
# prefix measured here, with every desktop's prefix up through the whole test run. The
# tool has no use for controllers.
wine reg add 'HKLM\System\CurrentControlSet\Services\winebus' /v 'Enable SDL' /t REG_DWORD /d 0 /f >/dev/null 2>&1

# Drive D: is a folder inside the prefix, so the tool's built-in default graph path
# (on D:) can be made to exist.
mkdir -p "$prefix/drive_d"
ln -sfn ../drive_d "$prefix/dosdevices/d:"

for part in graphmgr filters viewer; do
  if [ -f "$src/$part/register.sh" ]; then
    bash "$src/$part/register.sh" "$build_dir" "$prefix"
  fi
done
wineserver -w
echo "wine prefix ready: $prefix"
