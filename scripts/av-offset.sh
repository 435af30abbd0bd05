#!/usr/bin/env bash
# How far the sound lags behind the picture when the tool plays a graph, as a user sees and
# hears it. The tool plays a flash-and-beep clip (standins/media/make-flash-clip.sh: a white
# picture and a 1-kHz beep at the start of every second) at a set "Max duration of audio
# samples", while one recorder (ffmpeg) takes the video window's picture area from the X
# display and the sound server's output, on one clock. Each flash's first frame is paired
# with the beep of the same second (scripts/av-events.sh finds them):
#   av-offset.sh [--plays K] [--docs]
#                            both clips (flash.grf, flash-late.grf, whose sound is made 100 ms
#                            late) at 0, 40 and 250 ms (DURATIONS="..." for others), each
#                            played K times (default 3: the renderers set the sound's lag
#                            anew at every play, and the plays' pairs are pooled); --docs
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
# placed in the middle of that interval) plus the audio time line's fit error; for the
# pooled plays of a clip and duration, the worst play's plus how far the median may be off
# because the lag differs from play to play. The clip's own frame interval (40 ms) adds
# nothing: every flash starts on a frame boundary, at a whole second. A full run checks
# that every second after the first pair gives a pair (the seconds the renderers drop at
# the start are counted and reported) and that the late clip measures 100 ms more than
# the other at each duration, within the two precisions.
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
plays=3
while [ $# -gt 0 ]; do
  case $1 in
    --short) mode=short ;;
    --docs) docs=1 ;;
    --plays) plays=${2:-}; shift ;;
    *) plays= ;;
  esac
  shift
done
case $plays in
  [1-9] | [1-9][0-9]) ;;
  *) echo "usage: av-offset.sh [--short | [--plays K] [--docs]]" >&2; exit 2 ;;
esac
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
: >"$out/runs.txt"
for clip in flash flash-late; do
  i=0
  for d in $durations; do
    : >"$out/$clip-$d.plays"
    : >"$out/$clip-$d.pooled"
    for p in $(seq "$plays"); do
      tag=$clip-$d-$p
      play_and_record "$clip.grf" "$d" "$tag"
      run=$(grep '^run ' "$out/$tag.pairs" 2>/dev/null || true)
      if [ -z "$run" ]; then failed=1; continue; fi
      read -r _ _ pairs _ median _ spread _ precision _ dropped _ _ _ misses _ rate _ <<<"$run"
      echo "$tag: dropped at the start $dropped s, misses after the first pair $misses, capture $rate fps"
      if [ "$misses" != 0 ]; then
        echo "FAILED: $tag: $misses flashes or beeps missed after the first pair" >&2; failed=1
      fi
      echo "$median $precision $pairs $dropped $rate" >>"$out/$clip-$d.plays"
      awk -v c="$clip" -v i="$i" -v p="$precision" '$1 == "pair" { print c, i, $7, p }' "$out/$tag.pairs" >>"$out/pairs.dat"
      awk '$1 == "pair" { print $7 }' "$out/$tag.pairs" >>"$out/$clip-$d.pooled"
    done
    [ -s "$out/$clip-$d.plays" ] || { i=$((i + 1)); continue; }
    # The plays' pairs pooled. The precision is the capture's (the worst play's) plus how
    # far the pooled median may be off because the lag differs from play to play: twice
    # the standard error of a median of the plays' medians (1.25 standard deviations over
    # the root of the number of plays); one play alone cannot show that scatter.
    read -r pairs median spread precision capture scatter dropped rate medians < <(
      awk 'FNR == NR { k++; pm[k] = $1; if ($2 > cap) cap = $2; dr += $4; if (!rate || $5 < rate) rate = $5; next }
           { n++; s[n] = $1 }
           END {
             for (a = 2; a <= n; a++) { x = s[a]; for (b = a - 1; b >= 1 && s[b] > x; b--) s[b + 1] = s[b]; s[b + 1] = x }
             med = n ? (n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2) : 0
             mean = 0; for (a = 1; a <= k; a++) mean += pm[a] / k
             ss = 0; for (a = 1; a <= k; a++) ss += (pm[a] - mean) ^ 2
             sc = k > 1 ? 2 * 1.25 * sqrt(ss / (k - 1)) / sqrt(k) : 0
             list = ""; for (a = 1; a <= k; a++) list = list (a > 1 ? "," : "") sprintf("%.1f", pm[a])
             printf "%d %.1f %.1f %.1f %.1f %.1f %d %.1f %s\n", n, med, n ? s[n] - s[1] : 0, cap + sc, cap, sc, dr, rate, list
           }' "$out/$clip-$d.plays" "$out/$clip-$d.pooled")
    echo "$clip $d: $plays plays, $pairs pairs, play medians $medians, precision $precision (capture $capture, play to play $scatter)"
    summary+=("clip $clip duration $d pairs $pairs median $median spread $spread precision $precision")
    echo "$clip $d $median $precision $pairs $dropped $rate $capture $scatter $medians $spread" >>"$out/runs.txt"
    echo "$clip $i $median $precision" >>"$out/medians.dat"
    i=$((i + 1))
  done
done

# The late clip's sound is 100 ms later than the other's: so must be what the user hears,
# within the two figures' precisions. One play a figure cannot show how far the lag moves
# from play to play, so nothing is checked then.
[ "$plays" -ge 2 ] || echo "check: not made with one play a clip and duration (--plays 2 or more)"
for d in $durations; do
  [ "$plays" -ge 2 ] || break
  a= b=
  read -r a pa < <(awk -v d="$d" '$1 == "flash" && $2 == d { print $3, $4 }' "$out/runs.txt")
  read -r b pb < <(awk -v d="$d" '$1 == "flash-late" && $2 == d { print $3, $4 }' "$out/runs.txt")
  if [ -z "${a:-}" ] || [ -z "${b:-}" ]; then continue; fi
  verdict=$(awk -v a="$a" -v b="$b" -v pa="$pa" -v pb="$pb" 'BEGIN {
    d = b - a - 100; if (d < 0) d = -d
    printf "late clip minus in-step clip %.1f ms, 100 expected: off by %.1f; precision %.1f: ", b - a, d, pa + pb
    print (d <= pa + pb ? "ok" : "FAILED")
  }')
  echo "check duration $d: $verdict"
  case $verdict in *FAILED) failed=1 ;; esac
done

# One plot: every pair's offset per duration with its play's capture precision, and the
# medians with their precision.
ticks=$(i=0; for d in $durations; do [ $i -eq 0 ] || printf ', '; printf '"%s" %d' "$d" "$i"; i=$((i + 1)); done)
n_durations=$(wc -w <<<"$durations")
gnuplot <<EOF
set terminal pngcairo size 900,520 font "Sans,10"
set output "$out/av-offset.png"
set title "Sound's lag behind the picture as recorded from the screen and the sound server, $plays plays each\n(points: flash-and-beep pairs with the capture's precision; diamonds: the medians with their precision)"
set xlabel 'Max duration of audio samples (ms)'
set ylabel 'sound after picture (ms)'
set xtics ($ticks)
set xrange [-0.5:$n_durations - 0.5]
set grid ytics
set key outside bottom center horizontal
plot "< awk '\$1 == \"flash\"' $out/pairs.dat" using (\$2 - 0.16):3:4 with yerrorbars pt 7 ps 0.5 lc rgb '#1f77b4' title 'flash.grf (made in step)', \
     "< awk '\$1 == \"flash-late\"' $out/pairs.dat" using (\$2 + 0.08):3:4 with yerrorbars pt 7 ps 0.5 lc rgb '#d62728' title 'flash-late.grf (sound made 100 ms late)', \
     "< awk '\$1 == \"flash\"' $out/medians.dat" using (\$2 - 0.08):3:4 with yerrorbars pt 13 ps 2 lw 2 lc rgb '#1f77b4' notitle, \
     "< awk '\$1 == \"flash-late\"' $out/medians.dat" using (\$2 + 0.16):3:4 with yerrorbars pt 13 ps 2 lw 2 lc rgb '#d62728' notitle
EOF
echo "plot: $out/av-offset.png"

if [ -n "$docs" ]; then
  cp "$out/av-offset.png" "$here/docs/av-offset.png"
  {
    echo "| clip | duration (ms) | pairs | median (ms) | spread (ms) | precision (ms) | of which capture | of which play to play | plays' medians (ms) | dropped at start (s) | capture (fps) |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|"
    while read -r clip d median precision pairs dropped rate capture scatter medians spread; do
      echo "| $clip | $d | $pairs | $median | $spread | ±$precision | $capture | $scatter | ${medians//,/, } | $dropped | $rate |"
    done <"$out/runs.txt"
  } >"$out/table.md"
  echo "table for the docs: $out/table.md (docs/av-offset.png written)"
fi

printf '%s\n' "${summary[@]}"
[ -z "$failed" ]
