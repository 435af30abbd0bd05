#!/usr/bin/env bash
# Copies a prefix that make-prefix.sh made (best with its server ended, so that its registry
# is on disk as it stands):
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
# A prefix whose server is still up (a test's own) may write a file while it is read: GNU
# tar then says so with status 1 and copies the rest, as a plain copy would; only a fatal
# status (2) fails the copy. (A fresh-clone run lost the libraries' links to that status.)
rc=0
tar -C "$src" --exclude="./$libs" --warning=no-file-changed -cf - . | tar -C "$dst" -xf - || rc=$?
[ "$rc" -le 1 ] || exit "$rc"
cp -al "$src/$libs" "$dst/$libs"
