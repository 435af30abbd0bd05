#!/usr/bin/env bash
# Runs a test program under Wine while recording the test run's null sink, then holds the
# recording against the clip the program played (the demo clip):
#   record-sound.sh OUT_DIR PROGRAM [ARGS...]
# The recording must have the clip's level and hold the sound of the program's two plays
# of the clip, with no silence longer than the clip's own (its ticks) but the pause
# between them (a recording with a gap is made again, up to three times: see below). The
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

record_and_check() {
  parec -d meridel.monitor --file-format=wav --format=s16le --rate=44100 --channels=1 "$out/sound.wav" &
  rec_pid=$!
  rc=0
  wine "$@" || rc=$?
  kill "$rec_pid" 2>/dev/null || true
  wait "$rec_pid" 2>/dev/null || true
  rec_pid=

  # The program plays the clip twice (Stop, then Play). The pause between the two plays may
  # be long or shorter than a tick's own silence, so the plays are not told apart by it: the
  # longest silence in the recording is taken for that pause, whatever its length, and the
  # sound around it must make up twice the clip's, with no other silence longer than the
  # clip's own (its ticks). Wine's renderer may lose up to a second of a play at its start.
  gap=0.5
  declare -A clip_fig sound_fig
  while read -r k v; do clip_fig[$k]=$v; done < <("$here/scripts/sound-figures.sh" "$out/clip.wav" "$gap")
  while read -r k v; do sound_fig[$k]=$v; done < <("$here/scripts/sound-figures.sh" "$out/sound.wav" "$gap")
  played=$(awk "BEGIN { printf \"%.3f\", ${sound_fig[span]} - ${sound_fig[gap1]} }")
  echo "recording peak: ${sound_fig[peak]} (clip: ${clip_fig[peak]})"
  echo "recording sound of two plays: $played s (clip: ${clip_fig[sound]} s each)"
  echo "recording pause between the plays: ${sound_fig[gap1]} s"
  echo "recording longest other silence: ${sound_fig[gap2]} s (clip: ${clip_fig[silence]} s)"
  echo "recording length: ${sound_fig[recorded]} s"
  ok=1
  check() { awk "BEGIN { exit !($1) }" || { echo "FAILED: $2" >&2; ok=; }; }
  check "${sound_fig[peak]} >= ${clip_fig[peak]} - 0.02 && ${sound_fig[peak]} <= ${clip_fig[peak]} + 0.02" \
        "the recording's level is the clip's"
  check "$played >= 2 * (${clip_fig[sound]} - 1.0) && $played <= 2 * (${clip_fig[sound]} + 0.3)" \
        "the recording's sound lasts as long as two plays of the clip"
  check "${sound_fig[gap2]} <= ${clip_fig[silence]} + 0.05" \
        "no silence in the recording longer than the clip's own, but the pause between the plays"
}

# A sound server starved of the processor (a loaded machine: other tests' programs, a build)
# leaves a gap in what the sink hears that is not the tool's: the renderer ran dry. As a user
# would play the clip again, so does this, up to three times, each attempt's figures
# printed; a gap in every attempt, or the program's own failure, fails the test.
for attempt in 1 2 3; do
  echo "attempt $attempt"
  rc=0 ok=1
  record_and_check "$@"
  [ "$rc" -eq 0 ] || break
  [ -z "$ok" ] || break
done
[ "$rc" -eq 0 ] && [ -n "$ok" ]
