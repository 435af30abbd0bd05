#!/usr/bin/env bash
# Configures and builds with the mingw-w64 toolchain:
#   build.sh [BUILD_DIR] [BUILD_TYPE] [TARGET...]
# BUILD_TYPE Debug (the default, and what the test suite runs: debug information, trace
# lines and assertion reports) or Release (optimised, no debug information, stripped).
# Without targets everything is built: product, stand-ins, tests, demo, benchmark programs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
type=${2:-Debug}
shift $(($# < 2 ? $# : 2))
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE="$type" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$build" -j"$(nproc)" --target "$@"
else
  cmake --build "$build" -j"$(nproc)"
fi
