#!/usr/bin/env bash
# Starts the Wine server of a prefix for a whole test run and the prefix's own system
# processes with it, none of them attached to the caller's output:
#   serve-prefix.sh PREFIX_DIR
# A server that the first test program starts (and the system processes it starts) would
# inherit that program's output pipe; CTest reads a test's output until every holder of
# the pipe has gone, so each test would wait out the server's idle time (about three
# seconds) after it ended. The test run's cleanup ends this server (wineserver -k).
set -euo pipefail
export WINEPREFIX=$(cd "$1" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
