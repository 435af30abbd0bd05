#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix with the stand-ins and the demo
# graph, and starts the tool. With a display it runs there for you to use, with your own
# sound; without one it runs on an Xvfb display of its own with a sound server of its own
# (a null sink), walks through build / duration / play / show graph pressing the buttons
# with real X input, and leaves in <build>/screenshots a screenshot of each step, the
# recording of what was played (sound.wav) and a picture of it (sound.png), and first
# measures how far the sound lags behind the picture (scripts/av-offset.sh), leaving its
# plot (av-offset.png) there too.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# GStreamer (Wine's splitters, the clip maker) keeps its registry in the build tree.
export GST_REGISTRY=$build/gstreamer-registry.bin

if [ -n "${DISPLAY:-}" ]; then
  bash "$here/standins/prefix/make-prefix.sh" "$build" "$build/wineprefix"
  exec wine "$build/bin/MeridelTest.exe"
fi

# No display: one of our own, and a sound server of our own (the prefix needs both too,
# for the renderers in the graph files it writes).
source "$here/scripts/xvfb.sh"
source "$here/scripts/pulse.sh"
bash "$here/standins/prefix/make-prefix.sh" "$build" "$build/wineprefix"

shots=$build/screenshots
rm -rf "$shots" && mkdir -p "$shots"
# Picture and sound as the user gets them, measured first, while nothing else is on the
# screen over the video window: the offsets' plot goes among the pictures.
rm -rf "$build/av-offset"
if BUILD_DIR=$build OUT_DIR=$build/av-offset "$here/scripts/av-offset.sh" | sed 's/^/av-offset: /'; then :; else
  echo "av-offset: some checks failed (figures in $build/av-offset)"
fi
[ ! -f "$build/av-offset/av-offset.png" ] || cp "$build/av-offset/av-offset.png" "$shots/av-offset.png"
# What the tool plays, as the null sink's monitor hears it.
parec -d meridel.monitor --file-format=wav --format=s16le --rate=44100 --channels=1 "$shots/sound.wav" &
rec_pid=$!
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
    CLICK\ *)
      read -r x y <<<"${line#CLICK }"
      xdotool mousemove "$x" "$y" click 1
      echo >&"${WALK[1]}" ;;
    *) echo "$line" ;;
  esac
done
walk_ok=1
wait "$walk_pid" || walk_ok=
kill "$rec_pid" 2>/dev/null || true
wait "$rec_pid" 2>/dev/null || true
[ -n "$walk_ok" ] || { echo "walk-through failed; screenshots so far are in $shots"; exit 1; }
# The picture spans the sound itself (leading and trailing silence cut) up to 1 kHz, where
# the tone is.
sox "$shots/sound.wav" -n remix 1 silence 1 0.02 1% reverse silence 1 0.02 1% reverse rate 2k \
    spectrogram -x 900 -y 240 -z 60 -t "What the demo played (null sink monitor)" -c "" -o "$shots/sound.png"
echo "recording: $shots/sound.wav, its picture: $shots/sound.png"
"$here/scripts/sound-figures.sh" "$shots/sound.wav" | sed 's/^/recording: /'
echo "screenshots of each step are in $shots"
