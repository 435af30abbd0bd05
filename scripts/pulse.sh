# Sourced by the scripts that need a sound server of their own (the test command, and
# the demo when it runs without a display): starts a private PulseAudio daemon whose only
# output is a null sink named "meridel", its runtime folder under the build tree, points
# Wine's programs at it (PULSE_SERVER) and stops it when the calling script exits.
#   PULSE_DIR  the runtime folder (set by the caller; default <build>/pulse)
# What was played can be recorded from the sink's monitor:
#   parec -d meridel.monitor --file-format=wav out.wav
# Chains with an EXIT trap that the caller set before sourcing.
pulse_dir=${PULSE_DIR:-${build:-$PWD/build}/pulse}
pulse_pid=
mkdir -p "$pulse_dir/home" "$pulse_dir/runtime"
chmod 700 "$pulse_dir/runtime"
rm -f "$pulse_dir/native"
stop_pulse() {
  if [ -n "$pulse_pid" ]; then kill "$pulse_pid" 2>/dev/null || true; wait "$pulse_pid" 2>/dev/null || true; fi
  pulse_pid=
}
# The clients' own files (a cookie, settings) stay in the runtime folder too.
pulse_ctl() { HOME=$pulse_dir/home pactl "$@"; }
pulse_prev_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "stop_pulse; ${pulse_prev_trap:-:}" EXIT
HOME=$pulse_dir/home XDG_RUNTIME_DIR=$pulse_dir/runtime \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    --load="module-null-sink sink_name=meridel" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" \
    </dev/null >"$pulse_dir/daemon.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER=unix:$pulse_dir/native
# Clients would otherwise keep the server's cookie in the user's home.
export PULSE_COOKIE=$pulse_dir/cookie
for _ in $(seq 1 100); do
  [ -S "$pulse_dir/native" ] && pulse_ctl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pulse_ctl info >/dev/null 2>&1; then
  echo "pulse.sh: the sound server did not start (see $pulse_dir/daemon.log)" >&2
  exit 1
fi
pulse_ctl set-default-sink meridel >/dev/null
