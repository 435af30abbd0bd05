#!/usr/bin/env bash
# Makes our graph manager the filter graph class's in-process server inside one prefix:
#   register.sh BUILD_DIR PREFIX_DIR        (WINEPREFIX exported, pointing at PREFIX_DIR)
# Only that prefix's registry is touched. A build without the DLL gets a warning and a
# prefix with the system graph manager, so other parts' tests can still make a prefix.
set -euo pipefail
build_dir=$1
prefix=$2
dll="$build_dir/standins/graphmgr/grfgraph.dll"
clsid='{E436EBB3-524F-11CE-9F53-0020AF0BA770}'
key="HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32"

if [ ! -f "$dll" ]; then
  echo "graphmgr/register.sh: $dll not built; the prefix keeps the system graph manager" >&2
  exit 0
fi

mkdir -p "$prefix/drive_c/standins"
cp "$dll" "$prefix/drive_c/standins/grfgraph.dll"

wine reg add "$key" /ve /d 'C:\standins\grfgraph.dll' /f /reg:64 >/dev/null 2>&1
wine reg add "$key" /v ThreadingModel /d Both /f /reg:64 >/dev/null 2>&1

# Read the value back, so a failed write stops the prefix setup here and not in a test.
if ! wine reg query "$key" /ve /reg:64 2>/dev/null | tr -d '\r' | grep -qi 'C:\\standins\\grfgraph\.dll$'; then
  echo "graphmgr/register.sh: the filter graph class does not point at grfgraph.dll" >&2
  exit 1
fi
