#!/usr/bin/env bash
# Builds the product alone (MeridelTest.exe and its tracing copy) with clang for the MinGW
# target (cmake/mingw-w64-x86_64-clang.cmake), warnings as errors as in the gcc build:
#   build-clang.sh BUILD_DIR [BUILD_TYPE]
# Release by default: optimised, as a user builds the tool, which is where a compiler may
# drop what it finds unused. The tree also holds compile_commands.json for scripts/tidy.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: build-clang.sh BUILD_DIR [BUILD_TYPE]}
type=${2:-Release}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64-clang.cmake" \
      -DCMAKE_BUILD_TYPE="$type" -DMERIDEL_PRODUCT_ONLY=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
