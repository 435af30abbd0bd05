#!/usr/bin/env bash
# Runs one test's command on the desktop that CTest gave it: an X display with its window
# manager, a sound server and a Wine prefix that no other test uses meanwhile, so that tests
# on different desktops can run at once without seeing each other's windows, Running Object
# Table entries, registry switches, graph files or sound.
#   on-desktop.sh desktop|bare COMMAND [ARGS...]
# desktop: the desktop of the test's resource group (CTEST_RESOURCE_GROUP_0_DESKTOPS,
#          "id:K,slots:1"); desktop 0 when CTest allocated none (ctest run without the
#          resource file), which is the display and sound server of the caller's environment.
# bare:    a prefix of its own with no display, for the tests that need none; they run
#          beside the others.
# MERIDEL_BUILD_DIR names the build tree; MERIDEL_DISPLAYS and MERIDEL_PULSE_SERVERS (from
# scripts/xvfb.sh and scripts/pulse.sh) list the desktops' displays and servers in order.
set -euo pipefail
mode=$1
shift
build=${MERIDEL_BUILD_DIR:?on-desktop.sh: MERIDEL_BUILD_DIR is not set}
if [ "$mode" = bare ]; then
  export WINEPREFIX=$build/wineprefix-bare
  unset DISPLAY
  exec "$@"
fi
k=0
if [ -n "${CTEST_RESOURCE_GROUP_0_DESKTOPS:-}" ]; then
  k=${CTEST_RESOURCE_GROUP_0_DESKTOPS#id:}
  k=${k%%,*}
fi
read -r -a displays <<<"${MERIDEL_DISPLAYS:-}"
read -r -a servers <<<"${MERIDEL_PULSE_SERVERS:-}"
if [ "$k" -gt 0 ]; then
  if [ "$k" -ge "${#displays[@]}" ] || [ "$k" -ge "${#servers[@]}" ]; then
    echo "on-desktop.sh: desktop $k has no display or sound server (MERIDEL_DISPLAYS, MERIDEL_PULSE_SERVERS)" >&2
    exit 1
  fi
  export WINEPREFIX=$build/wineprefix-$k
else
  export WINEPREFIX=$build/wineprefix
fi
[ "${#displays[@]}" -eq 0 ] || export DISPLAY=${displays[$k]}
[ "${#servers[@]}" -eq 0 ] || export PULSE_SERVER=${servers[$k]}
echo "desktop $k: DISPLAY=${DISPLAY:-} WINEPREFIX=$WINEPREFIX"
exec "$@"
