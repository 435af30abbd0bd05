#!/usr/bin/env bash
# Static analysis of the product (app/, atl/, graph/, ui/, viewer/) with clang-tidy, the
# checks in .clang-tidy, on the compile commands of the clang build:
#   tidy.sh CLANG_BUILD_DIR
# Prints each finding once (a header's finding comes once per source that includes it)
# and a count by check; exits non-zero when there is any.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: tidy.sh CLANG_BUILD_DIR}
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: run scripts/build-product.sh first" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Every product source once; clang-tidy checks it under each of its compile commands. The
# commands are a release build's, and -UNDEBUG reads the code with its debug assertions
# and trace lines in, as the test suite's builds compile it: in the release form a result
# kept for an assertion is never read, which the analyzer would report at each of them
# (the compiler checks that form, with warnings as errors, in the release build itself).
find "$here/app" "$here/atl" "$here/graph" "$here/ui" "$here/viewer" -name '*.cpp' | sort |
  xargs -P "$(nproc)" -I{} sh -c 'clang-tidy -p "$1" --quiet --extra-arg=-UNDEBUG "$2" >"$3/$(echo "$2" | tr / _).log" 2>&1 || touch "$3/failed"' \
    sh "$build" {} "$out"
findings=$(cat "$out"/*.log | grep -E '^/.*:[0-9]+:[0-9]+: (warning|error): ' | sed 's/: error: /: warning: /' | sort -u || true)
if [ -n "$findings" ]; then
  echo "$findings" | sed "s|^$here/||"
  echo "clang-tidy findings by check:"
  echo "$findings" | sed -E 's/.*\[([^],]+)(,-warnings-as-errors)?\]$/\1/' | sort | uniq -c | sort -rn
  exit 1
fi
if [ -e "$out/failed" ]; then
  cat "$out"/*.log >&2
  echo "clang-tidy failed without a finding (see above)" >&2
  exit 1
fi
echo "clang-tidy: no findings in app/ atl/ graph/ ui/ viewer/"
