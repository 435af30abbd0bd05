#!/usr/bin/env bash
# The release executables carry no C++ run-time: the product neither throws nor catches,
# so the exception machinery, std::terminate and the thread library they drag in are dead
# weight (and a throwing allocation would end the tool in std::terminate instead of giving
# a result code). Each marker below is text that only that run-time puts in an image.
#   no-cxx-runtime.sh EXE...
set -uo pipefail
markers=("std::exception" "terminate called" "__cxxabiv1" "winpthreads")
failed=0
for exe in "$@"; do
  if [ ! -s "$exe" ]; then echo "FAIL $exe: missing"; failed=1; continue; fi
  found=()
  for marker in "${markers[@]}"; do
    if LC_ALL=C grep -a -q -F -- "$marker" "$exe"; then found+=("\"$marker\""); fi
  done
  size=$(stat -c %s "$exe")
  if [ ${#found[@]} -gt 0 ]; then
    echo "FAIL $exe ($size bytes) holds the C++ run-time: ${found[*]}"
    failed=1
  else
    echo "ok   $exe ($size bytes)"
  fi
done
exit $failed
