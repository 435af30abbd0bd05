#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on Xvfb
# displays of its own. Everything it makes stays under the build tree (default: ./build).
#   MERIDEL_TEST_DESKTOPS  how many tests that need a display run at once (default: one
#                          more than the cores; measured on two cores, a fresh tree's CTest
#                          total was 140 s with two desktops and 118 s with three, and 4 gave
#                          no more than 3); each gets a desktop of its own
#   MERIDEL_TEST_JOBS      how many tests run at once in all (default: one more than the
#                          desktops, for the tests that need none)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build"
# The product built by clang as well (its end-to-end cases run from the suite), and the gcc
# Release build, whose executables the suite reads as it does clang's.
"$here/scripts/build-product.sh" "$build/clang" clang
"$here/scripts/build-product.sh" "$build/gcc-release" gcc

desktops=${MERIDEL_TEST_DESKTOPS:-$(($(nproc) + 1))}
jobs=${MERIDEL_TEST_JOBS:-$((desktops + 1))}

# The static analysis of the clang build's compile commands needs no display: it runs
# beside the tests, and its verdict counts with theirs. It takes only the processor time
# that the tests leave (the idle scheduling class): the tests' Wine programs keep both
# cores of a two-core machine busy, and the analysis finishes after them if it must.
tidy_log=$build/tidy.log
chrt --idle 0 "$here/scripts/tidy.sh" "$build/clang" >"$tidy_log" 2>&1 &
tidy_pid=$!

# Displays of our own, so that tests never draw on (or depend on) the user's desktop, and
# sound servers of our own with a null sink each, for the graphs' DirectSound renderer: one
# of each per desktop. GStreamer (Wine's splitters, the clip maker) keeps its registry in
# the build tree.
export GST_REGISTRY=$build/gstreamer-registry.bin
XVFB_POOL=$desktops
source "$here/scripts/xvfb.sh"
PULSE_POOL=$desktops
source "$here/scripts/pulse.sh"
unset XVFB_POOL PULSE_POOL
# Stop the analysis too if the run is cut short.
test_prev_trap=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
trap "kill $tidy_pid 2>/dev/null || true; ${test_prev_trap:-:}" EXIT

# CTest hands the desktops out as a resource: a test that needs one waits for a free one.
desktops_file=$build/desktops.json
{
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"desktops": ['
  for k in $(seq 0 $((desktops - 1))); do
    [ "$k" -eq 0 ] || printf ', '
    printf '{"id": "%d", "slots": 1}' "$k"
  done
  printf ']}]}\n'
} >"$desktops_file"

cd "$build"
rc=0
ctest --output-on-failure --timeout 900 -j "$jobs" --resource-spec-file "$desktops_file" || rc=$?
tidy_rc=0
wait "$tidy_pid" || tidy_rc=$?
tail -n 1 "$tidy_log"
if [ "$tidy_rc" -ne 0 ]; then
  cat "$tidy_log"
  echo "test.sh: the static analysis failed" >&2
fi
[ "$rc" -eq 0 ] && [ "$tidy_rc" -eq 0 ]
