#!/usr/bin/env bash
# Builds the product alone (MeridelTest.exe and its tracing copy) with one of the two
# tested compilers, warnings as errors:
#   build-product.sh BUILD_DIR [gcc|clang] [BUILD_TYPE]
# clang builds for the MinGW target (cmake/mingw-w64-x86_64-clang.cmake). Release by
# default: optimised, as a user builds the tool, which is where a compiler may drop what it
# finds unused and where the executable's size is measured. The tree also holds
# compile_commands.json for scripts/tidy.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: build-product.sh BUILD_DIR [gcc|clang] [BUILD_TYPE]}
compiler=${2:-clang}
type=${3:-Release}
case $compiler in
  gcc) toolchain=$here/cmake/mingw-w64-x86_64.cmake ;;
  clang) toolchain=$here/cmake/mingw-w64-x86_64-clang.cmake ;;
  *) echo "build-product.sh: unknown compiler $compiler (gcc or clang)" >&2; exit 2 ;;
esac
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE="$type" -DMERIDEL_PRODUCT_ONLY=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
