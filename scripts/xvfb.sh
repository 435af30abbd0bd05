# Sourced by the scripts that need an X server of their own: starts Xvfb on the first free
# display from :91 on with openbox managing it, exports DISPLAY, and stops both when the
# calling script exits.
#   XVFB_POOL  how many such displays to start (default 1), each with its own openbox; the
#              test command starts one per test that may run at once. DISPLAY is the first;
#              MERIDEL_DISPLAYS lists them all, separated by spaces.
#
# A window manager is not decoration here: Wine waits about two seconds for one to confirm
# every withdrawal of a visible top-level window, so on a bare X server each hidden or
# destroyed window (a closing dialog, a released video window) stalls its program. It also
# draws the title bars that a user's desktop shows. openbox keeps the positions Wine asks
# for, so the tool's placements come out as on Windows.
xvfb_pids=()
wm_pids=()
stop_xvfb() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  local pid
  for pid in "${wm_pids[@]}" "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${wm_pids[@]}" "${xvfb_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_xvfb EXIT

# Starts one display with its window manager; prints nothing, appends to MERIDEL_DISPLAYS.
start_xvfb_display() {
  local n display=
  for n in $(seq 91 190); do
    # The lock file is Xvfb's own claim; a display being started here has none yet.
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ] && [[ " $MERIDEL_DISPLAYS " != *" :$n "* ]]; then
      display=:$n
      break
    fi
  done
  if [ -z "$display" ]; then echo "xvfb.sh: no free display from :91 to :190" >&2; exit 1; fi
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pids+=($!)
  MERIDEL_DISPLAYS="${MERIDEL_DISPLAYS:+$MERIDEL_DISPLAYS }$display"
  local i
  for i in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

  # openbox runs its start-up command once it manages the screen; until then a window
  # could still be mapped unmanaged.
  local wm_ready
  wm_ready=$(mktemp -u "${TMPDIR:-/tmp}/wm-ready.XXXXXX")
  DISPLAY=$display openbox --sm-disable --config-file "$(dirname "${BASH_SOURCE[0]}")/openbox/rc.xml" \
          --startup "touch $wm_ready" >/dev/null 2>&1 &
  wm_pids+=($!)
  for i in $(seq 1 200); do [ -e "$wm_ready" ] && break; sleep 0.05; done
  if [ ! -e "$wm_ready" ]; then echo "openbox did not start on $display" >&2; exit 1; fi
  rm -f "$wm_ready"
}

MERIDEL_DISPLAYS=
for _ in $(seq 1 "${XVFB_POOL:-1}"); do start_xvfb_display; done
export MERIDEL_DISPLAYS
export DISPLAY=${MERIDEL_DISPLAYS%% *}
