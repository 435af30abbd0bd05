#!/usr/bin/env bash
# Writes a flash-and-beep clip, for measuring when picture and sound reach the user:
#   make-flash-clip.sh SECONDS OUT.avi [SOUND_DELAY_MS]
# Every second starts with a white picture held for three frames (120 ms at 25 fps) and,
# SOUND_DELAY_MS later (default 0), a 100-ms beep of 1 kHz at half scale; the rest of
# the second is black and silent. The streams are those of the demo clip (make-clip.sh):
# uncompressed 320x240 video and 16-bit mono PCM at 44.1 kHz in 500-ms chunks, so that the
# synchronizer's cutting applies. SECONDS is a whole number; SOUND_DELAY_MS at most 900.
set -euo pipefail
seconds=$1
out=$2
delay_ms=${3:-0}
fps=25
flash_frames=3
width=320
height=240
rate=44100
chunk_bytes=$((rate / 2 * 2))   # 500 ms of 16-bit mono sound
frame_bytes=$((width * height * 3))
export GST_REGISTRY=${GST_REGISTRY:-$(dirname "$out")/gstreamer-registry.bin}
work=$(mktemp -d "$(dirname "$out")/flash-clip.XXXXXX")
trap 'rm -rf "$work"' EXIT

# One second of picture: the flash, then black. White and black are the same in BGR.
{
  head -c $((frame_bytes * flash_frames)) /dev/zero | tr '\0' '\377'
  head -c $((frame_bytes * (fps - flash_frames))) /dev/zero
} >"$work/second.bgr"
for _ in $(seq "$seconds"); do cat "$work/second.bgr"; done >"$work/video.bgr"

# One second of sound: silence up to the beep, the beep, silence to the end of the second
# (undithered: silence is all zeros, and every clip made is the same).
raw=(-r "$rate" -c 1 -b 16 -e signed-integer -t raw)
after=$(awk -v d="$delay_ms" 'BEGIN { printf "%.3f", 0.9 - d / 1000 }')
sox -D -n "${raw[@]}" "$work/second.pcm" synth 0.1 sine 1000 vol 0.5 pad "$(awk -v d="$delay_ms" 'BEGIN { printf "%.3f", d / 1000 }')" "$after"
sox -D "${raw[@]}" "$work/second.pcm" "${raw[@]}" "$work/audio.pcm" repeat $((seconds - 1))

# The queues put the parsers in push mode, where each read of 500 ms of sound
# stays one buffer and so one chunk of the file; pulled, the parser would pick its own size.
gst-launch-1.0 -q -e \
  filesrc location="$work/video.bgr" blocksize="$frame_bytes" ! queue \
    ! rawvideoparse width="$width" height="$height" format=bgr framerate="$fps/1" ! queue ! mux.video_0 \
  filesrc location="$work/audio.pcm" blocksize="$chunk_bytes" ! queue \
    ! rawaudioparse format=pcm pcm-format=s16le sample-rate="$rate" num-channels=1 ! queue ! mux.audio_0 \
  avimux name=mux ! filesink location="$out"
