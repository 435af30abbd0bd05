#!/usr/bin/env bash
# Times the tool against its reference programs and prints one line per measure: the
# tool's figure, the reference's, the ratio and the goal. Every measure alternates the tool
# and its reference in one run and reports medians; nothing is asserted about speed, and
# the test command does not run this.
#
#   scripts/bench.sh [ROUNDS]     (21 by default, at least 11)
#
# It builds what it needs in Release (the tool, the reference programs, the stand-ins) in
# build-release/ (BENCH_BUILD_DIR elsewhere), and makes a display and a Wine prefix of its
# own as the test command does. BENCH_TOOL=path/to/MeridelTest.exe times another build of
# the tool against the same references.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$here/build-release}
rounds=${1:-21}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build" Release bench_programs >/dev/null

source "$here/scripts/xvfb.sh"
# The prefix's graphs with sound need a sound server to be written.
source "$here/scripts/pulse.sh"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash "$here/standins/prefix/make-prefix.sh" "$build" "$WINEPREFIX" >/dev/null

tool=$build/bin/MeridelTest.exe
tool_args=()
if [ -n "${BENCH_TOOL:-}" ]; then
  tool=$(cd "$(dirname "$BENCH_TOOL")" && pwd)/$(basename "$BENCH_TOOL")
  tool_args=(--tool "$(winepath -w "$tool" 2>/dev/null)")
fi

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "machine: $(nproc) cores, $cpu; $(wine --version 2>/dev/null); $(date -u '+%Y-%m-%d %H:%M UTC')"
size=$(stat -c %s "$tool")
awk -v size="$size" 'BEGIN { printf "%-30s tool %8.1f KB   (%d bytes)%28s goal <= 80 KB\n",
                                     "size of MeridelTest.exe", size / 1024, size, "" }'
wine "$build/bin/meridel_bench.exe" --rounds "$rounds" "${tool_args[@]}"
wine "$build/bin/grfload_bench.exe" --rounds "$rounds"
