#!/usr/bin/env bash
# Copies a prefix that make-prefix.sh made (its server ended, so its registry is on disk):
#   copy-prefix.sh SOURCE_PREFIX TARGET_PREFIX
# The platform's own libraries (system32: about 630 MB of the prefix's 840) are only ever
# read by what runs in a prefix: the copy links them instead of copying them, which takes a
# copy from about 3 s to a fraction of one. Everything else, the registry included, is a
# copy of its own.
set -euo pipefail
src=$(cd "$1" && pwd)
dst=$2
libs=drive_c/windows/system32
rm -rf "$dst"
mkdir -p "$dst"
tar -C "$src" --exclude="./$libs" -cf - . | tar -C "$dst" -xf -
cp -al "$src/$libs" "$dst/$libs"
