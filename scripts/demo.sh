#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix with the stand-ins and the demo
# graph, and starts the tool. With a display it runs there for you to use, with your own
# sound; without one it runs on an Xvfb display of its own with a sound server of its own
# (a null sink), walks through build / duration / play / show graph pressing the buttons
# with real X input, and leaves in <build>/screenshots a screenshot of each step, the
# recording of what was played (sound.wav) and a picture of it (sound.png); on its own demo
# graph it first measures how far the sound lags behind the picture (scripts/av-offset.sh),
# leaving its plot (av-offset.png) there too.
#
#   demo.sh [GRAPH_FILE [FILTER_DLL...]]
#
# With GRAPH_FILE, a graph file of your own (saved on Windows or here) is used instead of
# the demo graph: each FILTER_DLL (the filters it needs that this prefix lacks) is
# registered in the demo's prefix with Wine's regsvr32 first, and the walk-through types
# the graph's path into the tool before it builds. DEMO_PREFIX puts the prefix elsewhere
# than <build>/wineprefix, DEMO_SHOTS the pictures elsewhere than <build>/screenshots;
# DEMO_NO_BUILD=1 takes the build as it is; DEMO_PREFIX_COPY=DIR copies a prefix that
# make-prefix.sh made earlier instead of making one (the test that runs the demo sets all
# four, with a copy of the test run's own prefix: a second or two instead of 15).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}

fail() { echo "demo.sh: $*" >&2; exit 2; }
graph=
dlls=()
if [ $# -ge 1 ]; then
  [ -e "$1" ] || fail "graph file '$1' does not exist"
  [ -f "$1" ] && [ -r "$1" ] || fail "graph file '$1' cannot be read"
  # A graph file is a compound file: its first eight bytes say so.
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = d0cf11e0a1b11ae1 ] ||
    fail "'$1' is no graph file (not a compound file)"
  graph=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  shift
  for dll in "$@"; do
    [ -f "$dll" ] && [ -r "$dll" ] || fail "filter DLL '$dll' does not exist or cannot be read"
    dlls+=("$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")")
  done
fi

if [ "${DEMO_NO_BUILD:-}" != 1 ]; then
  "$here/scripts/install-deps.sh"
  "$here/scripts/build.sh" "$build"
fi
prefix=${DEMO_PREFIX:-$build/wineprefix}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

make_demo_prefix() {
  if [ -n "${DEMO_PREFIX_COPY:-}" ]; then
    [ -f "$DEMO_PREFIX_COPY/system.reg" ] || fail "'$DEMO_PREFIX_COPY' is no prefix to copy"
    bash "$here/standins/prefix/copy-prefix.sh" "$DEMO_PREFIX_COPY" "$prefix"
  else
    bash "$here/standins/prefix/make-prefix.sh" "$build" "$prefix"
  fi
}

# The user's filters, copied into the prefix and registered there. A DLL that does not
# register ends the demo with the prefix's programs ended.
register_user_filters() {
  [ ${#dlls[@]} -gt 0 ] || return 0
  mkdir -p "$prefix/drive_c/userfilters"
  for dll in "${dlls[@]}"; do
    cp "$dll" "$prefix/drive_c/userfilters/"
    rc=0
    wine regsvr32 /s "C:\\userfilters\\$(basename "$dll")" >/dev/null 2>&1 || rc=$?
    if [ "$rc" -ne 0 ]; then
      wineserver -k 2>/dev/null || true
      echo "demo.sh: filter DLL '$dll' did not register (regsvr32 exit $rc): is it a 64-bit filter DLL with DllRegisterServer?" >&2
      exit 1
    fi
    echo "registered $(basename "$dll")"
  done
}
# The graph's path as the tool sees it (once the prefix is there).
graph_arg=()
windows_graph_path() {
  [ -z "$graph" ] || graph_arg=("$(winepath -w "$graph" 2>/dev/null)")
}
# GStreamer (Wine's splitters, the clip maker) keeps its registry in the build tree.
export GST_REGISTRY=$build/gstreamer-registry.bin

if [ -n "${DISPLAY:-}" ]; then
  make_demo_prefix
  register_user_filters
  windows_graph_path
  [ -z "$graph" ] || echo "type this path into the tool: ${graph_arg[0]}"
  exec wine "$build/bin/MeridelTest.exe"
fi

# No display: one of our own, and a sound server of our own (the prefix needs both too,
# for the renderers in the graph files it writes).
source "$here/scripts/xvfb.sh"
source "$here/scripts/pulse.sh"
make_demo_prefix
register_user_filters
windows_graph_path

shots=${DEMO_SHOTS:-$build/screenshots}
rm -rf "$shots" && mkdir -p "$shots"
# Picture and sound as the user gets them, measured first, while nothing else is on the
# screen over the video window: the offsets' plot goes among the pictures. (Not for a
# user's own graph: the measurement plays the project's flash-and-beep graphs.) One play a
# clip and duration, for the picture: the checks need more (scripts/av-offset.sh alone).
if [ -z "$graph" ]; then
  rm -rf "$build/av-offset"
  if BUILD_DIR=$build OUT_DIR=$build/av-offset "$here/scripts/av-offset.sh" --plays 1 | sed 's/^/av-offset: /'; then :; else
    echo "av-offset: some checks failed (figures in $build/av-offset)"
  fi
  [ ! -f "$build/av-offset/av-offset.png" ] || cp "$build/av-offset/av-offset.png" "$shots/av-offset.png"
fi
# What the tool plays, as the null sink's monitor hears it.
parec -d meridel.monitor --file-format=wav --format=s16le --rate=44100 --channels=1 "$shots/sound.wav" &
rec_pid=$!
n=0
# The walk-through talks through two pipes of the demo's own: a coprocess's descriptors go
# as soon as it ends, before its last lines are read (a fresh-clone run stopped on that).
# The pipes' names go once both ends are open; the run's demos share the build tree.
walk_dir=$(mktemp -d "$build/demo-walk.XXXXXX")
mkfifo "$walk_dir/to" "$walk_dir/from"
wine "$build/bin/DemoWalkthrough.exe" "${graph_arg[@]}" <"$walk_dir/to" >"$walk_dir/from" 2>/dev/null &
walk_pid=$!
exec {walk_to}>"$walk_dir/to" {walk_from}<"$walk_dir/from"
rm -rf "$walk_dir"
# The walk-through's output ends when the walk-through does, unless a process it started
# (a viewer the tool left to the user) still holds it: then its end is what ends the loop.
# A read that times out keeps what came of a line so far.
part=
while :; do
  rc=0
  line=
  IFS= read -r -t 1 line <&"$walk_from" || rc=$?
  if [ "$rc" -gt 128 ]; then
    part=$part$line
    kill -0 "$walk_pid" 2>/dev/null && continue
    break
  fi
  [ "$rc" -eq 0 ] || break
  line=$part${line%$'\r'}
  part=
  case $line in
    STEP\ *)
      n=$((n + 1))
      shot=$(printf '%s/%02d-%s.png' "$shots" "$n" "${line#STEP }")
      import -window root "$shot"
      echo "screenshot: $shot"
      echo >&"$walk_to" ;;
    CLICK\ *)
      read -r x y <<<"${line#CLICK }"
      xdotool mousemove "$x" "$y" click 1
      echo >&"$walk_to" ;;
    KEY\ *)
      # Several keys, one after the other, separated by spaces.
      read -r -a keys <<<"${line#KEY }"
      xdotool key --clearmodifiers "${keys[@]}"
      echo >&"$walk_to" ;;
    TYPE\ *)
      xdotool type --delay 20 -- "${line#TYPE }"
      echo >&"$walk_to" ;;
    *) echo "$line" ;;
  esac
done
walk_ok=1
wait "$walk_pid" || walk_ok=
exec {walk_to}>&- {walk_from}<&-
kill "$rec_pid" 2>/dev/null || true
wait "$rec_pid" 2>/dev/null || true
# Nobody is left to use a viewer that the tool left running (after a "Can't show graph"
# box, it is the user's): the display goes with the demo.
wineserver -k 2>/dev/null || true
if [ -z "$walk_ok" ]; then
  echo "walk-through failed; screenshots so far are in $shots"
  exit 1
fi
# The picture spans the sound itself (leading and trailing silence cut) up to 1 kHz, where
# the tone is.
sox "$shots/sound.wav" -n remix 1 silence 1 0.02 1% reverse silence 1 0.02 1% reverse rate 2k \
    spectrogram -x 900 -y 240 -z 60 -t "What the demo played (null sink monitor)" -c "" -o "$shots/sound.png"
echo "recording: $shots/sound.wav, its picture: $shots/sound.png"
"$here/scripts/sound-figures.sh" "$shots/sound.wav" | sed 's/^/recording: /'
echo "screenshots of each step are in $shots"
