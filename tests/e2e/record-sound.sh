#!/usr/bin/env bash
# Runs a test program under Wine while recording the test run's null sink, then holds the
# recording against the clip the program played (the demo clip):
#   record-sound.sh OUT_DIR PROGRAM [ARGS...]
# The first stretch of sound in the recording must have the clip's level, last as long
# as the clip's sound, and hold no silence longer than the clip's own (its ticks). The
# figures are printed. Needs the sound server of scripts/pulse.sh (PULSE_SERVER).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
out=$1
shift
mkdir -p "$out"
rec_pid=
trap '[ -z "$rec_pid" ] || kill "$rec_pid" 2>/dev/null || true' EXIT

clip="$WINEPREFIX/drive_d/CVS/Dev/Filters/Special/Meridel/Graphs/Pixwell - Meridel.avi"
GST_REGISTRY=${GST_REGISTRY:-$out/gstreamer-registry.bin} gst-launch-1.0 -q filesrc location="$clip" \
  ! avidemux name=d d.audio_0 ! audioconvert ! wavenc ! filesink location="$out/clip.wav"

parec -d meridel.monitor --file-format=wav --format=s16le --rate=44100 --channels=1 "$out/sound.wav" &
rec_pid=$!
rc=0
wine "$@" || rc=$?
kill "$rec_pid" 2>/dev/null || true
wait "$rec_pid" 2>/dev/null || true
rec_pid=

# A pause between two plays is longer than a tick's silence (0.1 s) but may be short.
gap=0.3
declare -A clip_fig sound_fig
while read -r k v; do clip_fig[$k]=$v; done < <("$here/scripts/sound-figures.sh" "$out/clip.wav" "$gap")
while read -r k v; do sound_fig[$k]=$v; done < <("$here/scripts/sound-figures.sh" "$out/sound.wav" "$gap")
for k in peak sound silence recorded; do
  echo "recording $k: ${sound_fig[$k]} s (clip: ${clip_fig[$k]})"
done
ok=1
check() { awk "BEGIN { exit !($1) }" || { echo "FAILED: $2" >&2; ok=; }; }
check "${sound_fig[peak]} >= ${clip_fig[peak]} - 0.02 && ${sound_fig[peak]} <= ${clip_fig[peak]} + 0.02" \
      "the recording's level is the clip's"
check "${sound_fig[sound]} >= ${clip_fig[sound]} - 1.0 && ${sound_fig[sound]} <= ${clip_fig[sound]} + $gap" \
      "the recording's sound lasts as long as the clip's"
check "${sound_fig[silence]} <= ${clip_fig[silence]} + 0.05" \
      "no silence in the recording longer than the clip's own"
[ "$rc" -eq 0 ] && [ -n "$ok" ]
