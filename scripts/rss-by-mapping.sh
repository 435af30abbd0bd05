#!/usr/bin/env bash
# Where a running Windows program's resident memory is, seen from the Unix side: every
# SECONDS, one line with the process's resident size split into mapped files, the threads'
# regions (each thread of this Wine maps one region of about 3 MB, of which close to 1 MB
# stays resident; a thread that ended may leave its region a while) and the rest of the
# anonymous memory, where the heaps are. With OUTDIR,
# each snapshot's resident size per mapping is kept there too, for comparing two of them.
#   scripts/rss-by-mapping.sh PATTERN [SECONDS [OUTDIR]]      (PATTERN as for pgrep -f)
# Run it beside scripts/stress.sh, as the user who runs Wine (or root). Stop it with Ctrl-C.
set -euo pipefail
pattern=$1 seconds=${2:-10} outdir=${3:-}
[ -n "$outdir" ] && mkdir -p "$outdir"
n=0
printf '%-8s %10s %10s %14s %17s %14s\n' time rss_kb files_kb thread_regions thread_regions_kb other_anon_kb
while true; do
  pid=$(pgrep -f "$pattern" | head -1 || true)
  if [ -n "$pid" ] && snapshot=$(awk '
      /^[0-9a-f]+-[0-9a-f]+ / { key = $1 " " ($6 == "" ? "[anon]" : $6) }
      /^Size:/ { size = $2 }
      /^Rss:/ { print key, size, $2 }' "/proc/$pid/smaps" 2>/dev/null); then
    if [ -n "$outdir" ]; then printf '%s\n' "$snapshot" > "$outdir/$(printf %05d "$n").txt"; fi
    printf '%s\n' "$snapshot" | awk -v t="$(date +%T)" '
      $2 == "[anon]" && $3 >= 2900 && $3 <= 3200 { threads++; threadkb += $4; next }
      $2 == "[anon]" { other += $4; next }
      { files += $4 }
      END { printf "%-8s %10d %10d %14d %17d %14d\n", t, files + threadkb + other, files, threads, threadkb, other }'
    n=$((n + 1))
  fi
  sleep "$seconds"
done
