#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, if any is missing.
set -euo pipefail
pkgs="cmake make g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64
      fonts-wine xvfb xauth imagemagick openbox clang libclang-rt-14-dev
      gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
      pulseaudio pulseaudio-utils sox xdotool"
pkgs="$pkgs clang-tidy"  # the product's static analysis (scripts/tidy.sh)
# The A/V offset measurement (scripts/av-offset.sh): one recorder for the screen and the
# sound server, on one clock, and the plot of its figures.
pkgs="$pkgs ffmpeg gnuplot-nox"
missing=
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
