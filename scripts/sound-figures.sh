#!/usr/bin/env bash
# Figures of a recording, as the test of the sound and the demo report them:
#   sound-figures.sh FILE.wav [GAP_SECONDS]
# Prints, one per line, "name value" (seconds, or full scale 1.0 for the peak):
#   peak       the largest absolute sample value
#   sound      from the first to the last sample that is not silence (above 1% of full
#              scale), of the first stretch of sound: the stretch ends at a silence longer
#              than GAP_SECONDS (default 0.5)
#   silence    the longest silence inside that stretch
#   span       from the first to the last sample that is not silence, in the whole recording
#   gap1       the longest silence inside that span (between two plays, when there are two)
#   gap2       the second longest one
#   recorded   the length of the whole recording
set -euo pipefail
wav=$1
gap=${2:-0.5}
sox "$wav" -t dat -c 1 - 2>/dev/null | awk -v gap="$gap" '
  /^;/ { next }
  {
    t = $1; v = $2 < 0 ? -$2 : $2
    if (v > peak) peak = v
    last_t = t
    if (v <= 0.01) next
    if (!started) { started = 1; first = t; prev = t; all_prev = t; next }
    d = t - all_prev
    if (d > gap1) { gap2 = gap1; gap1 = d } else if (d > gap2) gap2 = d
    all_prev = t
    if (ended) next
    if (t - prev > gap) { ended = 1; next }
    if (t - prev > longest) longest = t - prev
    prev = t
  }
  END {
    printf "peak %.3f\n", peak
    printf "sound %.3f\n", started ? prev - first : 0
    printf "silence %.3f\n", longest
    printf "span %.3f\n", started ? all_prev - first : 0
    printf "gap1 %.3f\n", gap1
    printf "gap2 %.3f\n", gap2
    printf "recorded %.3f\n", last_t
  }'
