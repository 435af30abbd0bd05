# Sourced by the scripts that need a sound server of their own (the test command, and
# the demo when it runs without a display): starts a private PulseAudio daemon whose only
# output is a null sink named "meridel", its runtime folder under the build tree, points
# Wine's programs at it (PULSE_SERVER) and stops it when the calling script exits.
#   PULSE_DIR   the runtime folder (set by the caller; default <build>/pulse)
#   PULSE_POOL  how many such servers to start (default 1): the test command gives each
#               test that may run at once a server of its own, so that no test records
#               another's sound. The first is in PULSE_DIR, the others in PULSE_DIR-1, ...;
#               PULSE_SERVER names the first, MERIDEL_PULSE_SERVERS all of them (spaces
#               between).
# What was played can be recorded from the sink's monitor:
#   parec -d meridel.monitor --file-format=wav out.wav
# Chains with an EXIT trap that the caller set before sourcing.
pulse_dir=${PULSE_DIR:-${build:-$PWD/build}/pulse}
pulse_pids=()
stop_pulse() {
  local pid
  for pid in "${pulse_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pulse_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pulse_pids=()
}
# The clients' own files (a cookie, settings) stay in the runtime folder too.
pulse_ctl() { HOME=$pulse_dir/home pactl "$@"; }
pulse_prev_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "stop_pulse; ${pulse_prev_trap:-:}" EXIT

# Starts the server whose runtime folder is $1 and waits until it answers.
start_pulse_server() {
  local dir=$1 i
  mkdir -p "$dir/home" "$dir/runtime"
  chmod 700 "$dir/runtime"
  rm -f "$dir/native"
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
      --load="module-null-sink sink_name=meridel" \
      --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
      </dev/null >"$dir/daemon.log" 2>&1 &
  pulse_pids+=($!)
  for i in $(seq 1 100); do
    [ -S "$dir/native" ] && PULSE_SERVER=unix:$dir/native HOME=$dir/home pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! PULSE_SERVER=unix:$dir/native HOME=$dir/home pactl info >/dev/null 2>&1; then
    echo "pulse.sh: the sound server did not start (see $dir/daemon.log)" >&2
    exit 1
  fi
  PULSE_SERVER=unix:$dir/native HOME=$dir/home pactl set-default-sink meridel >/dev/null
  MERIDEL_PULSE_SERVERS="${MERIDEL_PULSE_SERVERS:+$MERIDEL_PULSE_SERVERS }unix:$dir/native"
}

MERIDEL_PULSE_SERVERS=
start_pulse_server "$pulse_dir"
for pulse_k in $(seq 1 $((${PULSE_POOL:-1} - 1))); do start_pulse_server "$pulse_dir-$pulse_k"; done
export MERIDEL_PULSE_SERVERS
export PULSE_SERVER=unix:$pulse_dir/native
# Clients would otherwise keep the server's cookie in the user's home.
export PULSE_COOKIE=$pulse_dir/cookie
