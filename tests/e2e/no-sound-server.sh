#!/usr/bin/env bash
# Runs a test program under Wine with no sound server where PULSE_SERVER points, and
# starts one there when the program asks for it:
#   no-sound-server.sh DIR PROGRAM [ARGS...]
# The program gets the folder DIR as MERIDEL_SOUND_SWITCH (a Windows path). It creates
# the file "want-server" there when it wants the server; once the server answers, this
# script creates "server-up". The server stops when the script ends.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
dir=$1
shift
rm -rf "$dir"
mkdir -p "$dir"
export PULSE_DIR=$dir/pulse
export PULSE_SERVER=unix:$PULSE_DIR/native
MERIDEL_SOUND_SWITCH=$(winepath -w "$dir" 2>/dev/null)
export MERIDEL_SOUND_SWITCH
wine "$@" &
prog=$!
while kill -0 "$prog" 2>/dev/null && [ ! -e "$dir/want-server" ]; do sleep 0.1; done
if [ -e "$dir/want-server" ]; then
  source "$here/scripts/pulse.sh"
  touch "$dir/server-up"
fi
wait "$prog"
