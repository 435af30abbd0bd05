#!/usr/bin/env bash
# Puts the test filters and their graph files into one prefix:
#   register.sh BUILD_DIR PREFIX_DIR        (WINEPREFIX exported, pointing at PREFIX_DIR)
# Installs standinfilters.dll as C:\standins\standinfilters.dll, registers the pattern
# source, the synchronizer stand-in and the measuring tap there, makes the media files
# the graphs play (standins/media/make-clip.sh), and runs writefixtures.exe, which saves
# the graph files through the prefix's filter graph manager (it needs an X display for
# the video renderer and a sound server for the DirectSound renderer). A build without the filters gets a warning and no filters; a
# graph file that cannot be written stops the prefix setup.
set -euo pipefail
build_dir=$1
prefix=$2
dll="$build_dir/standins/filters/standinfilters.dll"
writer="$build_dir/standins/filters/writefixtures.exe"
classes=('{49E15C69-F8F2-43FA-8E78-103ECDC31FE9}' '{30A7CA50-ADC8-42AE-A482-F33468132C52}'
         '{A3FCAFA4-8DC1-49F5-AF5F-87176616E152}')

if [ ! -f "$dll" ] || [ ! -f "$writer" ]; then
  echo "filters/register.sh: standinfilters.dll or writefixtures.exe not built; no test filters in the prefix" >&2
  exit 0
fi

mkdir -p "$prefix/drive_c/standins"
cp "$dll" "$prefix/drive_c/standins/standinfilters.dll"
cp "$writer" "$prefix/drive_c/standins/writefixtures.exe"

regfile="$prefix/drive_c/standins/standinfilters.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n'
  for clsid in "${classes[@]}"; do
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\%s\\InprocServer32]\r\n' "$clsid"
    printf '@="C:\\\\standins\\\\standinfilters.dll"\r\n"ThreadingModel"="Both"\r\n'
  done
} >"$regfile"
wine reg import 'C:\standins\standinfilters.reg' /reg:64 >/dev/null 2>&1

for clsid in "${classes[@]}"; do
  key="HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32"
  if ! wine reg query "$key" /ve /reg:64 2>/dev/null | tr -d '\r' | grep -qi 'C:\\standins\\standinfilters\.dll$'; then
    echo "filters/register.sh: class $clsid does not point at standinfilters.dll" >&2
    exit 1
  fi
done

if [ -z "${DISPLAY:-}" ]; then
  echo "filters/register.sh: no DISPLAY; the video renderer in the graph files needs an X server" >&2
  exit 1
fi
# The clips' places and lengths are those of the fixture table (FixtureTable.cpp).
demo_dir="$prefix/drive_d/CVS/Dev/Filters/Special/Meridel/Graphs"
mkdir -p "$prefix/drive_c/fixtures/media" "$demo_dir"
clip="$(dirname "$0")/../media/make-clip.sh"
bash "$clip" 0.5 "$prefix/drive_c/fixtures/media/short.avi"
bash "$clip" 4 "$demo_dir/Pixwell - Meridel.avi"
# The flash-and-beep clips that scripts/av-offset.sh plays: in step, and the sound 100 ms late.
flash="$(dirname "$0")/../media/make-flash-clip.sh"
bash "$flash" 10 "$prefix/drive_c/fixtures/media/flash.avi" 0
bash "$flash" 10 "$prefix/drive_c/fixtures/media/flash-late.avi" 100

if ! wine 'C:\standins\writefixtures.exe'; then
  echo "filters/register.sh: writefixtures.exe could not write every graph file" >&2
  exit 1
fi
