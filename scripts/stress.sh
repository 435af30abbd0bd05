#!/usr/bin/env bash
# Runs one long session of the tool in the test prefix and prints its figures: Build graph
# BUILDS times, Show graph SHOWS times, DURATIONS duration changes while playing.
#   scripts/stress.sh [BUILDS [SHOWS [DURATIONS]]]      (default 1000 200 300)
# It installs what is missing, builds, and uses a display and a prefix of its own (under
# the build tree), like the test command. Extra checks: set STRESS_CHECK=1 to fail on a
# growing working set, a box other than the tolerated one, or objects a viewer kept, as the
# suite's short form does. STRESS_ARGS adds options of the session program (--wait-connect,
# --busy [CORES], --trace-copy, --viewer-switch NAME=VALUE); STRESS_ARGS="--busy 2" keeps both
# cores of this machine busy while Show graph is clicked. A click that does not return within
# 20 s, or a close that does not end the tool, fails the run with or without STRESS_CHECK. STRESS_PROGRAM=remote_read_cost runs that program
# instead, with the arguments given (CLIENTS [DEPTH]): the platform's own cost of a client
# that reads a published graph, the yardstick for the tool's working set over many viewers;
# STRESS_PROGRAM=delegating_stub_cost (CYCLES) what each generation of the stubs a viewer
# uses leaves in the heaps.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
builds=${1:-1000} shows=${2:-200} durations=${3:-300}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build" >/dev/null
# STRESS_NAME (default "stress") names the prefix and sound server folders under the build
# tree, so that several runs can share one build: STRESS_NAME=stress-2 for a second at once.
name=${STRESS_NAME:-stress}
export WINEPREFIX=$build/${name}prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source "$here/scripts/xvfb.sh"
# The prefix's graphs with sound need a sound server to be written.
PULSE_DIR=$build/${name}pulse source "$here/scripts/pulse.sh"
bash "$here/standins/prefix/make-prefix.sh" "$build" "$WINEPREFIX" >/dev/null
if [ -n "${STRESS_PROGRAM:-}" ]; then
  wine "$build/bin/$STRESS_PROGRAM.exe" "$@"
  exit 0
fi
check=
if [ "${STRESS_CHECK:-0}" = 1 ]; then check=--check; fi
# shellcheck disable=SC2086
wine "$build/bin/stress.exe" --builds "$builds" --shows "$shows" --durations "$durations" $check ${STRESS_ARGS:-}
