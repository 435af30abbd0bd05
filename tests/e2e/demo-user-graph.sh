#!/usr/bin/env bash
# The demo on a user's graph given on its command line: a graph file in Windows' layout
# (the suite prefix's demo graph, copied under another name and folder) is typed into the
# tool, built, played and shown in the viewer, with the pictures and the recording left as
# for the demo graph (mode walk). Or what the demo must refuse or fail with a message and a
# non-zero exit, with nothing of it left running (mode refusals): a missing graph file, a
# file that is no graph file, a filter DLL that does not register, and a walk-through
# that cannot show the graph because no viewer gets ready in time (the viewers it leaves
# running still hold the walk-through's output: the demo must not wait on them).
#   demo-user-graph.sh BUILD_DIR WORK_DIR refusals|walk
# The demo gets a prefix (a copy of the test's own, WINEPREFIX), a display and a sound server
# of its own under WORK_DIR.
set -uo pipefail
DEMO_PREFIX_COPY_OVERRIDE=
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$2
mode=$3
rm -rf "$work" && mkdir -p "$work"
work=$(cd "$work" && pwd)
fails=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fails=$((fails + 1)); fi; }

# Processes of the demo: every one it starts (Wine's, Xvfb, openbox, the sound server)
# carries its prefix in its environment.
demo_processes() {
  grep -lsz "^WINEPREFIX=$work/prefix\$" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | grep -vx "$$" || true
}
none_left() {
  for _ in $(seq 1 300); do
    [ -z "$(demo_processes)" ] && return 0
    sleep 0.1
  done
  echo "still running: $(demo_processes | tr '\n' ' ')"
  return 1
}
run_demo() {
  env -u DISPLAY DEMO_NO_BUILD=1 DEMO_PREFIX="$work/prefix" DEMO_PREFIX_COPY="${DEMO_PREFIX_COPY_OVERRIDE:-$WINEPREFIX}" DEMO_SHOTS="$work/shots" \
      PULSE_DIR="$work/pulse" \
      BUILD_DIR="$build" bash "$here/scripts/demo.sh" "$@" >"$work/out.log" 2>&1
}

user_graph="$work/graphs/My own graph.GRF"
mkdir -p "$work/graphs"
suite_graph=$(WINEPREFIX=$WINEPREFIX winepath -u 'D:\CVS\Dev\Filters\Special\Meridel\Graphs\Pixwell - Meridel.GRF' 2>/dev/null)
cp "$suite_graph" "$user_graph" || { echo "FAILED: no demo graph in the suite's prefix to copy"; exit 1; }

if [ "$mode" = refusals ]; then
  run_demo "$work/graphs/missing.GRF"; rc=$?
  check "a missing graph file: exit 2 with a message" '[ $rc -eq 2 ] && grep -q "does not exist" "$work/out.log"'
  printf 'not a graph\n' >"$work/graphs/text.GRF"
  run_demo "$work/graphs/text.GRF"; rc=$?
  check "a file that is no graph file: exit 2 with a message" '[ $rc -eq 2 ] && grep -q "no graph file" "$work/out.log"'
  check "nothing left running after those" none_left

  # The stand-in filters' DLL has no DllRegisterServer: regsvr32 refuses it.
  run_demo "$user_graph" "$build/standins/filters/standinfilters.dll"; rc=$?
  check "a filter DLL that does not register: exit 1 with a message" \
        '[ $rc -eq 1 ] && grep -q "did not register" "$work/out.log"'
  check "nothing left running after it" none_left

  # Viewers that get input-idle only well after the tool's wait: every Show graph click
  # ends in a box, and each viewer stays up for the user.
  slow=$work/slow-viewer-prefix
  bash "$here/standins/prefix/copy-prefix.sh" "$WINEPREFIX" "$slow"
  printf '\n[Software\\\\StandIns\\\\GraphViewer] 1\n"IdleDelayMs"=dword:00004e20\n' >>"$slow/user.reg"
  # Three clicks are enough to show it, and keep the case short.
  DEMO_PREFIX_COPY_OVERRIDE=$slow
  export WALKTHROUGH_SHOW_TRIES=3
  run_demo "$user_graph"; rc=$?
  unset WALKTHROUGH_SHOW_TRIES
  DEMO_PREFIX_COPY_OVERRIDE=
  check "no viewer ready in time: the walk-through clicks three times, says so, the demo exits 1" \
        '[ $rc -eq 1 ] && [ "$(grep -c "BOX Can.t show graph" "$work/out.log")" -eq 3 ] && grep -q "FAILED to show the graph" "$work/out.log"'
  check "nothing left running after it" none_left
  cat "$work/out.log"
  echo "$fails failed"
  [ "$fails" -eq 0 ]
  exit
fi

run_demo "$user_graph"; rc=$?
cat "$work/out.log"
check "the demo on the user's graph ends well" '[ $rc -eq 0 ]'
for step in start graph-path built duration playing the-end viewer; do
  check "a picture of step $step" 'compgen -G "$work/shots/*-$step.png" >/dev/null'
done
check "the recording and its picture" '[ -s "$work/shots/sound.wav" ] && [ -s "$work/shots/sound.png" ]'
check "nothing left running after the demo" none_left
echo "$fails failed"
[ "$fails" -eq 0 ]
