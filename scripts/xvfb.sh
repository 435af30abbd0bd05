# Sourced by the scripts that need an X server of their own: starts Xvfb on the first free
# display from :91 on with openbox managing it, exports DISPLAY, and stops both when the
# calling script exits.
#
# A window manager is not decoration here: Wine waits about two seconds for one to confirm
# every withdrawal of a visible top-level window, so on a bare X server each hidden or
# destroyed window (a closing dialog, a released video window) stalls its program. It also
# draws the title bars that a user's desktop shows. openbox keeps the positions Wine asks
# for, so the tool's placements come out as on Windows.
xvfb_pid=
wm_pid=
stop_xvfb() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_xvfb EXIT
for n in $(seq 91 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

# openbox runs its start-up command once it manages the screen; until then a window
# could still be mapped unmanaged.
wm_ready=$(mktemp -u "${TMPDIR:-/tmp}/wm-ready.XXXXXX")
openbox --sm-disable --config-file "$(dirname "${BASH_SOURCE[0]}")/openbox/rc.xml" \
        --startup "touch $wm_ready" >/dev/null 2>&1 &
wm_pid=$!
for _ in $(seq 1 200); do [ -e "$wm_ready" ] && break; sleep 0.05; done
if [ ! -e "$wm_ready" ]; then echo "openbox did not start on $DISPLAY" >&2; exit 1; fi
rm -f "$wm_ready"
