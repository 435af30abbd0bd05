#!/usr/bin/env bash
# How far the sound lags behind the picture when the tool plays a graph, as a user sees and
# hears it. The tool plays a flash-and-beep clip (standins/media/make-flash-clip.sh: a white
# picture and a 1-kHz beep at the start of every second) at a set "Max duration of audio
# samples", while one recorder (ffmpeg) takes the video window's picture area from the X
# display and the sound server's output, on one clock. Each flash's first frame is paired
# with the beep of the same second (scripts/av-events.sh finds them):
#   av-offset.sh [--docs]    both clips (flash.grf, flash-late.grf, whose sound is made 100 ms
#                            late) at 0, 40 and 250 ms (DURATIONS="..." for others); --docs
#                            also writes docs/av-offset.png from this run, and the run's
#                            table for docs/av-offset.md into OUT_DIR/table.md
#   av-offset.sh --short     the suite's form: the clips' own files measured as they were
#                            made (in step, and 100 ms late, every second paired), then one
#                            play of the late clip, checking only what does not depend on
#                            the machine's speed: the tool took the duration and played to
#                            the end, the window's area was recorded with sound, and the
#                            recording holds flashes with their beeps
# Every run prints each pair's offset, then the run's median and spread (largest minus
# smallest offset) of the sound's lag, in ms, positive when the sound comes later, and the
# precision: half the longest capture interval in which a flash came on (the flash is
# placed in the middle of that interval) plus the audio time line's fit error. The clip's
# own frame interval (40 ms) adds nothing: every flash starts on a frame boundary, at a
# whole second. A full run checks that every second after the first pair gives a pair
# (the seconds the renderers drop at the start are counted and reported) and that the late
# clip measures 100 ms more than the other at each duration, within the two precisions, or,
# where the renderers scatter the offsets, within the precisions plus the two medians'
# notches (1.58 interquartile ranges over the root of the number of pairs).
# It ends with one line a clip and duration:
#   clip <name> duration <ms> pairs <N> median <ms> spread <ms> precision <ms>
# Without DISPLAY it runs on an Xvfb display of its own, without PULSE_SERVER with a sound
# server of its own (scripts/xvfb.sh, scripts/pulse.sh). OUT_DIR (default
# <build>/av-offset) keeps the recordings, the events and the plot of the last run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
mode=full
docs=
for arg in "$@"; do
  case $arg in
    --short) mode=short ;;
    --docs) docs=1 ;;
    *) echo "usage: av-offset.sh [--short | --docs]" >&2; exit 2 ;;
  esac
done
out=${OUT_DIR:-$build/av-offset}
seconds=10            # the flash clips' length (FixtureTable.cpp)
capture_fps=100       # asked of the recorder; what it reached is reported
durations=${DURATIONS:-0 40 250}

if [ "$mode" = full ]; then
  "$here/scripts/install-deps.sh"
  "$here/scripts/build.sh" "$build" >"${TMPDIR:-/tmp}/av-offset-build.$$.log" 2>&1 ||
    { cat "${TMPDIR:-/tmp}/av-offset-build.$$.log"; exit 1; }
  rm -f "${TMPDIR:-/tmp}/av-offset-build.$$.log"
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export GST_REGISTRY=${GST_REGISTRY:-$build/gstreamer-registry.bin}
[ -n "${DISPLAY:-}" ] || source "$here/scripts/xvfb.sh"
[ -n "${PULSE_SERVER:-}" ] || source "$here/scripts/pulse.sh"
if [ ! -f "$WINEPREFIX/drive_c/fixtures/flash-late.grf" ]; then
  bash "$here/standins/prefix/make-prefix.sh" "$build" "$WINEPREFIX"
fi
rm -rf "$out" && mkdir -p "$out"
failed=

# The recorder is asked to finish its file (SIGINT) and given ten seconds; one that does
# not end then (its display or sound server gone, say) is ended outright, so that none
# records on after the script.
recorder_pid=
stop_recorder() {
  [ -n "$recorder_pid" ] || return 0
  kill -INT "$recorder_pid" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$recorder_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$recorder_pid" 2>/dev/null; then
    echo "the recorder did not finish; ended" >&2
    kill -KILL "$recorder_pid" 2>/dev/null || true
  fi
  wait "$recorder_pid" 2>/dev/null || true
  recorder_pid=
}
av_prev_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "stop_recorder; ${av_prev_trap:-:}" EXIT

# Offsets of one media file's events: each flash paired with the beep closest to it
# within half a second (the beeps come once a second). Prints "pair ..." lines and one
# "run ..." line: pairs, median, spread and precision in ms, the seconds dropped before
# the first pair, the misses after it, and the capture rate reached.
pair_events() {
  awk -v seconds="$seconds" '
    function sort(a, n,   i, j, x) {
      for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
    }
    $1 == "flash" { nf++; ft[nf] = $2; fh[nf] = $3 }
    $1 == "beep" { nb++; bt[nb] = $2 }
    $1 == "video" { frames = $2; vfirst = $3; vlast = $4 }
    $1 == "audio-fit" { fit = $2 }
    END {
      n = 0; worst = 0
      for (i = 1; i <= nf; i++) {
        best = 0
        for (j = 1; j <= nb; j++) {
          d = bt[j] - ft[i]
          if (d > -0.5 && d < 0.5 && (!best || (d < 0 ? -d : d) < bestd)) { best = j; bestd = d < 0 ? -d : d }
        }
        if (!best) continue
        n++; pf[n] = ft[i]; off[n] = (bt[best] - ft[i]) * 1000; used[best] = 1; paired[i] = 1
        if (fh[i] > worst) worst = fh[i]
      }
      gaps = 0
      for (k = 1; k <= n; k++) {
        idx[k] = int((pf[k] - pf[1]) + 0.5)
        if (k > 1) gaps += idx[k] - idx[k - 1] - 1
        printf "pair second %d flash %.3f offset %.1f\n", idx[k], pf[k] - pf[1], off[k]
      }
      # Flashes or beeps with no partner after the first pair are misses too.
      lone_after = 0; lone_before = 0
      for (i = 1; i <= nf; i++) if (!paired[i]) { if (n && ft[i] > pf[1]) lone_after++; else lone_before++ }
      for (j = 1; j <= nb; j++) if (!used[j]) { if (n && bt[j] > pf[1] + 0.5) lone_after++; else lone_before++ }
      dropped = n ? seconds - (idx[n] + 1) : seconds
      for (k = 1; k <= n; k++) s[k] = off[k]
      sort(s, n)
      median = n ? (n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2) : 0
      spread = n ? s[n] - s[1] : 0
      # How far the median itself may be off, from the scatter of the offsets: the usual
      # 95% notch of a median, 1.58 interquartile ranges over the root of the count.
      iqr = n ? s[n - int(n / 4)] - s[int(n / 4) + 1] : 0
      notch = n ? 1.58 * iqr / sqrt(n) : 0
      precision = (worst + fit) * 1000
      rate = frames > 1 && vlast > vfirst ? (frames - 1) / (vlast - vfirst) : 0
      printf "run pairs %d median %.1f spread %.1f precision %.1f dropped %d lone-before %d misses %d capture-fps %.1f frames %d notch %.1f\n",
             n, median, spread, precision, dropped, lone_before, gaps + lone_after, rate, frames, notch
    }'
}

# The clip files themselves: the detector and the pairing see exactly 0 and 100 ms, with
# every second paired, or the clips or the measuring are wrong. Deterministic.
self_check() {
  local name=$1 want=$2 run
  bash "$here/scripts/av-events.sh" "$WINEPREFIX/drive_c/fixtures/media/$name.avi" >"$out/$name-file.events"
  run=$(pair_events <"$out/$name-file.events" | tee "$out/$name-file.pairs" | grep '^run ')
  echo "file $name.avi: ${run#run }"
  read -r _ _ pairs _ median _ spread _ _ _ dropped _ _ _ misses _ <<<"$run"
  if [ "$pairs" != "$seconds" ] || [ "$dropped" != 0 ] || [ "$misses" != 0 ] ||
     ! awk -v m="$median" -v s="$spread" -v w="$want" 'BEGIN { exit !(m >= w - 0.5 && m <= w + 0.5 && s <= 0.5) }'; then
    echo "FAILED: $name.avi does not measure $want ms in every one of its $seconds seconds" >&2
    failed=1
  fi
}

# One play of a graph through the tool, recorded; leaves <tag>.nut, <tag>.events,
# <tag>.pairs and prints the run's line.
play_and_record() {
  local graph=$1 duration=$2 tag=$3
  local rec="$out/$tag.nut" line x y w h shown=
  # The player talks through two pipes of its own (a coprocess's descriptors go as soon
  # as it ends, before its last lines are read).
  rm -f "$out/$tag.to" "$out/$tag.from" && mkfifo "$out/$tag.to" "$out/$tag.from"
  wine "$build/bin/PlayGraph.exe" "C:\\fixtures\\$graph" "$duration" <"$out/$tag.to" >"$out/$tag.from" 2>/dev/null &
  local play_pid=$! to from
  exec {to}>"$out/$tag.to" {from}<"$out/$tag.from"
  while IFS= read -r line <&"$from"; do
    line=${line%$'\r'}
    echo "$tag: $line" >>"$out/$tag.log"
    case $line in
      DURATION\ *) shown=${line#DURATION } ;;
      WINDOW\ *)
        read -r x y w h <<<"${line#WINDOW }"
        # The recorder's own packet times on the wall clock (-copyts), video and sound alike.
        ffmpeg -nostdin -hide_banner -loglevel error -y -copyts \
          -thread_queue_size 4096 -f x11grab -draw_mouse 0 -framerate "$capture_fps" \
            -video_size "${w}x${h}" -i "$DISPLAY+$x,$y" \
          -thread_queue_size 4096 -f pulse -sample_rate 44100 -channels 1 -i @DEFAULT_MONITOR@ \
          -map 0:v -map 1:a -vf "format=gray,scale=80:60" -c:v rawvideo -c:a pcm_s16le \
          "$rec" 2>"$out/$tag.ffmpeg.log" &
        recorder_pid=$!
        # Play once the recorder writes both streams (it opens the sound server first,
        # which takes a second or two).
        local deadline=$((SECONDS + 60))
        until [ "$(stat -c %s "$rec" 2>/dev/null || echo 0)" -gt 400000 ]; do
          if [ $SECONDS -ge $deadline ] || ! kill -0 "$recorder_pid" 2>/dev/null; then
            echo "FAILED: the recorder did not start (see $out/$tag.ffmpeg.log)" >&2; break
          fi
          sleep 0.1
        done
        echo go >&"$to" ;;
      FAILED\ *) echo "$tag: $line" >&2 ;;
    esac
  done
  exec {to}>&- {from}<&-
  rm -f "$out/$tag.to" "$out/$tag.from"
  wait "$play_pid" || { echo "FAILED: $tag: the tool did not play the graph to its end" >&2; failed=1; }
  stop_recorder
  if [ "$shown" != "$duration" ]; then
    echo "FAILED: $tag: the duration box shows '$shown', not $duration" >&2; failed=1
  fi
  if [ ! -s "$rec" ]; then
    echo "FAILED: $tag: nothing recorded" >&2; failed=1; return 0
  fi
  # The recording holds the window's area (scaled) and the sound.
  local streams
  streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$rec" | sort | tr '\n' ' ')
  if [ "$streams" != "audio video " ] || [ "$w" != 320 ] || [ "$h" != 240 ]; then
    echo "FAILED: $tag: the recording holds '$streams' of a ${w}x${h} window, not the 320x240 picture and its sound" >&2
    failed=1; return 0
  fi
  bash "$here/scripts/av-events.sh" "$rec" sampled >"$out/$tag.events"
  pair_events <"$out/$tag.events" >"$out/$tag.pairs"
  sed "s/^/$tag: /" "$out/$tag.pairs"
}

echo "clip frame interval 40 ms (25 fps); capture asked at $capture_fps fps of the video window's area"
self_check flash 0
self_check flash-late 100

if [ "$mode" = short ]; then
  play_and_record flash-late.grf 0 flash-late-0
  run=$(grep '^run ' "$out/flash-late-0.pairs" 2>/dev/null || true)
  if [ -z "$run" ]; then echo "FAILED: no figures from the play" >&2; failed=1
  else
    read -r _ _ pairs _ median _ spread _ precision _ <<<"$run"
    # However late the renderers are, ten seconds of flashes and beeps leave some on the
    # screen and in the sink: none means the wrong area or the wrong sound was recorded.
    if [ "$pairs" -lt 1 ]; then
      echo "FAILED: the play's recording holds no flash with its beep (see $out/flash-late-0.events)" >&2
      failed=1
    fi
    echo "clip flash-late duration 0 pairs $pairs median $median spread $spread precision $precision"
  fi
  [ -z "$failed" ]
  exit
fi

summary=()
: >"$out/pairs.dat"
: >"$out/medians.dat"
for clip in flash flash-late; do
  i=0
  for d in $durations; do
    tag=$clip-$d
    play_and_record "$clip.grf" "$d" "$tag"
    run=$(grep '^run ' "$out/$tag.pairs" 2>/dev/null || true)
    if [ -z "$run" ]; then failed=1; i=$((i + 1)); continue; fi
    read -r _ _ pairs _ median _ spread _ precision _ dropped _ _ _ misses _ rate _ _ _ notch <<<"$run"
    echo "$tag: dropped at the start $dropped s, misses after the first pair $misses, capture $rate fps"
    if [ "$misses" != 0 ]; then
      echo "FAILED: $tag: $misses flashes or beeps missed after the first pair" >&2; failed=1
    fi
    summary+=("clip $clip duration $d pairs $pairs median $median spread $spread precision $precision")
    echo "$clip $d $median $precision $pairs $dropped $rate $notch" >>"$out/runs.txt"
    awk -v c="$clip" -v i="$i" -v p="$precision" '$1 == "pair" { print c, i, $7, p }' "$out/$tag.pairs" >>"$out/pairs.dat"
    echo "$clip $i $median" >>"$out/medians.dat"
    i=$((i + 1))
  done
done

# The late clip's sound is 100 ms later than the other's: so must be what the user hears.
# Within the two runs' precisions when the renderers keep a steady offset; on a busy machine
# their offsets scatter from second to second (see each run's pairs), and the medians are
# then held to 100 ms within the precisions plus their own uncertainty from that scatter.
for d in $durations; do
  a= b=
  read -r a pa ca < <(awk -v d="$d" '$1 == "flash" && $2 == d { print $3, $4, $8 }' "$out/runs.txt")
  read -r b pb cb < <(awk -v d="$d" '$1 == "flash-late" && $2 == d { print $3, $4, $8 }' "$out/runs.txt")
  if [ -z "${a:-}" ] || [ -z "${b:-}" ]; then continue; fi
  verdict=$(awk -v a="$a" -v b="$b" -v pa="$pa" -v pb="$pb" -v ca="$ca" -v cb="$cb" 'BEGIN {
    d = b - a - 100; if (d < 0) d = -d
    p = pa + pb; v = sqrt(ca * ca + cb * cb)
    printf "late clip minus in-step clip %.1f ms, 100 expected: off by %.1f; precision %.1f, scatter %.1f: ", b - a, d, p, v
    if (d <= p) print "ok within the precision"
    else if (d <= p + v) print "ok within the precision and the scatter"
    else print "FAILED"
  }')
  echo "check duration $d: $verdict"
  case $verdict in *FAILED) failed=1 ;; esac
done

# One plot: every pair's offset per duration, the medians, the precision as error bars.
ticks=$(i=0; for d in $durations; do [ $i -eq 0 ] || printf ', '; printf '"%s" %d' "$d" "$i"; i=$((i + 1)); done)
n_durations=$(wc -w <<<"$durations")
gnuplot <<EOF
set terminal pngcairo size 900,520 font "Sans,10"
set output "$out/av-offset.png"
set title "Sound's lag behind the picture as recorded from the screen and the sound server\n(each point a flash-and-beep pair; bars: the run's precision; diamonds: the medians)"
set xlabel 'Max duration of audio samples (ms)'
set ylabel 'sound after picture (ms)'
set xtics ($ticks)
set xrange [-0.5:$n_durations - 0.5]
set grid ytics
set key outside bottom center horizontal
plot "< awk '\$1 == \"flash\"' $out/pairs.dat" using (\$2 - 0.12):3:4 with yerrorbars pt 7 ps 0.6 lc rgb '#1f77b4' title 'flash.grf (made in step)', \
     "< awk '\$1 == \"flash-late\"' $out/pairs.dat" using (\$2 + 0.12):3:4 with yerrorbars pt 7 ps 0.6 lc rgb '#d62728' title 'flash-late.grf (sound made 100 ms late)', \
     "< awk '\$1 == \"flash\"' $out/medians.dat" using (\$2 - 0.12):3 with points pt 13 ps 2.2 lc rgb '#1f77b4' notitle, \
     "< awk '\$1 == \"flash-late\"' $out/medians.dat" using (\$2 + 0.12):3 with points pt 13 ps 2.2 lc rgb '#d62728' notitle
EOF
echo "plot: $out/av-offset.png"

if [ -n "$docs" ]; then
  cp "$out/av-offset.png" "$here/docs/av-offset.png"
  {
    echo "| clip | duration (ms) | pairs | median (ms) | spread (ms) | precision (ms) | median's notch (ms) | dropped at start (s) | capture (fps) |"
    echo "|---|---|---|---|---|---|---|---|---|"
    while read -r clip d median precision pairs dropped rate notch; do
      spread=$(printf '%s\n' "${summary[@]}" | awk -v c="$clip" -v d="$d" '$2 == c && $4 == d { print $10 }')
      echo "| $clip | $d | $pairs | $median | $spread | ±$precision | ±$notch | $dropped | $rate |"
    done <"$out/runs.txt"
  } >"$out/table.md"
  echo "table for the docs: $out/table.md (docs/av-offset.png written)"
fi

printf '%s\n' "${summary[@]}"
[ -z "$failed" ]
