#!/usr/bin/env bash
# Fuzzes the graph manager stand-in's graph text reader for SECONDS seconds:
#   fuzz.sh SECONDS
# A native build with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (tests/fuzz/native), in FUZZ_BUILD_DIR (default: build/fuzz). It runs on a scratch copy
# of the seeds (tests/fuzz/corpus in both layouts the reader takes, the reader tests'
# malformed texts, and the graph streams of the files saved on Windows in ../shared/realgrf
# beside the repository when that folder is there), so the committed corpus never grows
# and holds nothing of those files. It prints its figures and ends with libFuzzer's own
# "Done N runs in S second(s)" line. Any finding (crash, sanitizer report, leak,
# time-out, failed check in the harness) ends it with a non-zero exit; the input that
# found it is kept in FUZZ_BUILD_DIR/findings.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: fuzz.sh SECONDS (at least 1)" >&2
  exit 2
fi
build=${FUZZ_BUILD_DIR:-$here/build/fuzz}
mkdir -p "$build"
build=$(cd "$build" && pwd)

buildlog="$build/build.log"
if ! { cmake -S "$here/tests/fuzz/native" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
         -DCMAKE_BUILD_TYPE= && cmake --build "$build" -j2; } >"$buildlog" 2>&1; then
  cat "$buildlog" >&2
  echo "fuzz.sh: the native fuzzer build failed" >&2
  exit 1
fi

run="$build/run"
rm -rf "$run"
mkdir -p "$run/corpus" "$build/findings"
cp "$here"/tests/fuzz/corpus/*.grftext "$run/corpus/"
"$build/grftext_seeds" "$run/corpus"
realgrf="$here/../shared/realgrf"
real=0
if compgen -G "$realgrf/*.GRF" >/dev/null; then
  real=$("$build/grftext_extract" "$run/corpus" "$realgrf"/*.GRF)
fi
seeds=$(find "$run/corpus" -type f | wc -l)

# Leaks count as findings; any sanitizer report ends the run at once.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
log="$run/fuzz.log"
rc=0
"$build/grftext_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/tests/fuzz/grftext.dict" -artifact_prefix="$build/findings/" \
  "$run/corpus" >"$log" 2>&1 || rc=$?
if [ "$rc" -ne 0 ]; then
  tail -n 80 "$log" >&2
  echo "fuzz.sh: FINDING (libFuzzer exit $rc); the input is in $build/findings, the log in $log" >&2
  exit 1
fi

done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second\(s\)' "$log" | tail -n 1 || true)
if [ -z "$done_line" ]; then
  tail -n 40 "$log" >&2
  echo "fuzz.sh: libFuzzer ended without its summary line" >&2
  exit 1
fi
runs=$(sed -E 's/^Done ([0-9]+) runs.*/\1/' <<<"$done_line")
secs=$(sed -E 's/.* in ([0-9]+) second.*/\1/' <<<"$done_line")
coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
inputs=$(find "$run/corpus" -type f | wc -l)
echo "fuzz.sh: seeds $seeds ($real graph streams saved on Windows), scratch corpus now $inputs inputs, ${coverage:-no coverage figures}"
echo "fuzz.sh: $runs executions in $secs s, $((runs / (secs > 0 ? secs : 1))) exec/s, no findings"
echo "$done_line"
