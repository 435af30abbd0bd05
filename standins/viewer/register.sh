#!/usr/bin/env bash
# Installs the graph viewer stand-in into a Wine prefix:
#   register.sh BUILD_DIR PREFIX_DIR        (WINEPREFIX exported by the caller)
# graphedt.exe and Proppage.dll go side by side into C:\Program Files\GraphViewer, and the
# registry names both the way the launcher looks them up. Every value is read back.
set -euo pipefail
build_dir=$1
prefix=$2
export WINEPREFIX=${WINEPREFIX:-$prefix}

exe="$build_dir/standins/viewer/graphedt.exe"
dll="$build_dir/standins/viewer/Proppage.dll"
if [ ! -f "$exe" ] || [ ! -f "$dll" ]; then
  # A build that did not make the viewer still gets a usable prefix for its other parts.
  echo "register.sh (viewer): $exe or $dll not built; graph viewer not installed" >&2
  exit 0
fi

dest_win='C:\Program Files\GraphViewer'
dest="$prefix/drive_c/Program Files/GraphViewer"
mkdir -p "$dest"
cp -f "$exe" "$dll" "$dest/"

clsid_key='HKCR\CLSID\{29E07010-BD27-11CE-AB59-00AA00577DA1}\InprocServer32'
viewer_key='HKLM\Software\Microsoft\Shared Tools\Graphedit'
dll_win="$dest_win\\Proppage.dll"
exe_win="$dest_win\\graphedt.exe"

reg() { wine reg "$@" /reg:64 2>/dev/null; }

reg add "$clsid_key" /ve /t REG_SZ /d "$dll_win" /f >/dev/null
reg add "$clsid_key" /v ThreadingModel /t REG_SZ /d Both /f >/dev/null
reg add "$viewer_key" /v Path /t REG_SZ /d "$exe_win" /f >/dev/null

# reg query prints "    <name>    REG_SZ    <data>" with CR LF line ends.
check() {
  local key=$1 name_opt=$2 expected=$3 line
  line=$(reg query "$key" $name_opt | tr -d '\r' | grep -F "REG_SZ" || true)
  if [ "${line##*REG_SZ    }" != "$expected" ]; then
    echo "register.sh (viewer): $key $name_opt reads '${line}', expected '$expected'" >&2
    exit 1
  fi
}
check "$clsid_key" /ve "$dll_win"
check "$clsid_key" "/v ThreadingModel" Both
check "$viewer_key" "/v Path" "$exe_win"
echo "graph viewer installed in $dest_win"
