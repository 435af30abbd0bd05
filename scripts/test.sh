#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine on an Xvfb
# display of its own. Everything it makes stays under the build tree (default: ./build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$build"
# The product built by clang as well (its end-to-end cases run from the suite), and its
# static analysis on that build's compile commands; and the gcc Release build, whose
# executables the suite reads as it does clang's.
"$here/scripts/build-product.sh" "$build/clang" clang
"$here/scripts/build-product.sh" "$build/gcc-release" gcc
"$here/scripts/tidy.sh" "$build/clang"

# A display of our own, so that tests never draw on (or depend on) the user's desktop,
# and a sound server of our own with a null sink, for the graphs' DirectSound renderer.
# GStreamer (Wine's splitters, the clip maker) keeps its registry in the build tree.
export GST_REGISTRY=$build/gstreamer-registry.bin
source "$here/scripts/xvfb.sh"
source "$here/scripts/pulse.sh"

cd "$build"
ctest --output-on-failure --timeout 900
