#!/usr/bin/env bash
# Writes a test clip: an AVI with an uncompressed video stream (a test picture with its
# running time drawn in the middle) and a PCM audio stream (a 440 Hz tone at half scale
# that breaks off for the last tenth of every second, so each second ticks):
#   make-clip.sh SECONDS OUT.avi
# Every audio chunk in the file holds 500 ms (22050 frames of 16-bit mono at 44.1 kHz),
# longer than any duration the tests or the demo give the synchronizer, so that its
# cutting shows. SECONDS is a multiple of 0.5.
set -euo pipefail
seconds=$1
out=$2
fps=24
rate=44100
chunk=$((rate / 2))
half_seconds=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 2 + 0.5 }')
frames=$((half_seconds * fps / 2))
# GStreamer keeps its plugin registry beside the clip unless told where (never in $HOME).
export GST_REGISTRY=${GST_REGISTRY:-$(dirname "$out")/gstreamer-registry.bin}
# 396 periods of 440 Hz last 0.9 s; the tick interval is one second.
gst-launch-1.0 -q -e \
  videotestsrc num-buffers="$frames" pattern=smpte \
    ! "video/x-raw,width=320,height=240,framerate=$fps/1" \
    ! timeoverlay halignment=center valignment=center font-desc="Sans Bold 32" \
    ! videoconvert ! video/x-raw,format=BGR ! queue ! mux.video_0 \
  audiotestsrc num-buffers="$half_seconds" samplesperbuffer="$chunk" wave=ticks freq=440 \
               sine-periods-per-tick=396 tick-interval=1000000000 volume=0.5 \
    ! "audio/x-raw,format=S16LE,rate=$rate,channels=1" ! queue ! mux.audio_0 \
  avimux name=mux ! filesink location="$out"
