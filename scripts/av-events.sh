#!/usr/bin/env bash
# Finds the flashes and beeps of a flash-and-beep clip (standins/media/make-flash-clip.sh)
# in a media file with one video and one audio stream: the clip itself, or a recording of
# the screen and the sound server made by one recorder, on one clock:
#   av-events.sh FILE [sampled]
# Prints one event a line, times in seconds on the file's own time line:
#   flash T HALF   a flash's first frame: a frame brighter than mid-grey after a dark one,
#                  0.3 s or more after the last bright frame. With "sampled" (a screen
#                  capture) the flash came on somewhere between the frame before and this
#                  one: T is the middle of that interval and HALF its half, the error of T;
#                  otherwise (a clip) T is the frame's own time and HALF 0.
#   beep T         a beep's onset: the first sample above a tenth of full scale after
#                  0.3 s or more of quiet (a clip starts quiet; a recording may start in
#                  a beep). T comes from the sample's position in the stream, whose rate
#                  is the sound server's steady clock, placed on the file's time line by
#                  the median of (packet time - samples before the packet / rate) over all
#                  packets: a recorder's packet times jitter, and its first ones settle
#                  for a second or so, while the samples run on without a break.
#   video FRAMES FIRST LAST   frames seen and the times of the first and the last
#   audio-fit E    the median distance of the packet times from that line (s)
set -euo pipefail
file=$1
mode=${2:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/av-events.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Mean brightness per frame with the frame's time (ffprobe prints times in full).
ffprobe -v error -f lavfi -i "movie=$(printf '%s' "$file" | sed "s/[\\\\:',;=]/\\\\&/g"),format=gray,signalstats" \
        -show_entries frame=pts_time:frame_tags=lavfi.signalstats.YAVG -of csv=p=0 >"$work/frames"
awk -F, -v sampled="$([ "$mode" = sampled ] && echo 1 || echo 0)" '
  $1 == "" || $2 == "" { next }
  {
    t = $1 + 0; bright = $2 + 0 > 128
    if (n == 0) first = t
    n++
    # A clip starts dark: a bright first frame is a flash. A capture may start in the
    # middle of one, whose start it did not see.
    if (bright && !was_bright && (!seen_bright || t - last_bright >= 0.3) && (n > 1 || !sampled)) {
      if (sampled) printf "flash %.6f %.6f\n", (prev + t) / 2, (t - prev) / 2
      else printf "flash %.6f 0\n", t
    }
    if (bright) { seen_bright = 1; last_bright = t }
    was_bright = bright; prev = t
  }
  END { printf "video %d %.6f %.6f\n", n, first, prev }' "$work/frames"

read -r rate channels < <(ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels \
                           -of csv=p=0 "$file" | tr ',' ' ')
# Both the clips and the recordings hold 16-bit mono sound: 2 bytes a sample.
if [ "$channels" != 1 ]; then echo "av-events.sh: $file: the sound is not mono" >&2; exit 1; fi
ffprobe -v error -select_streams a:0 -show_entries packet=pts_time,size -of csv=p=0 "$file" >"$work/packets"
ffmpeg -v error -nostdin -i "$file" -map 0:a:0 -f s16le -acodec pcm_s16le - | od -An -v -t d2 -w2 >"$work/samples"
awk -v sampled="$([ "$mode" = sampled ] && echo 1 || echo 0)" -v rate="$rate" -v packets="$work/packets" '
  function sort(a, n,   i, j, x) {
    for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
  }
  function median(a, n) { sort(a, n); return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
  BEGIN {
    while ((getline line < packets) > 0) {
      split(line, f, ",")
      if (f[1] != "" && f[1] != "N/A") off[++k] = f[1] - before / 2 / rate
      before += f[2]
    }
    if (k == 0) { print "av-events.sh: no timed sound packets" > "/dev/stderr"; exit 1 }
    for (i = 1; i <= k; i++) tmp[i] = off[i]
    t0 = median(tmp, k)
    for (i = 1; i <= k; i++) dev[i] = off[i] > t0 ? off[i] - t0 : t0 - off[i]
    fit = median(dev, k)
    quiet = sampled ? 0 : rate
  }
  {
    v = $1 < 0 ? -$1 : $1
    if (v > 3277) {
      if (quiet >= 0.3 * rate) printf "beep %.6f\n", t0 + (NR - 1) / rate
      quiet = 0
    } else quiet++
  }
  END { printf "audio-fit %.6f\n", fit }' "$work/samples"
