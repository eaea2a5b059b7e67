#!/usr/bin/env bash
# How long a start at a moment takes: for each part, its start plus 1 s, on the software device at
# 1280x960 on the real clock (as a viewer starts it): the timeline before the moment played without
# drawing, from the seek's own --stats line, against the goal of 1 s; and the loading pause, which
# comes before it and is the same for every moment. From a Release build that makes the show's
# data. A measurement, not a test.
#   bench/start_at.sh [PART...]   (01 to 10; default all)
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
enter_show_folder
starts=(0 18041 36083 45162 50793 54172 72190 107010 126223 136382)
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(01 02 03 04 05 06 07 08 09 10)
printf '%-6s %9s %10s %9s %8s %s\n' part moment "reached" "seek s" "frames" "loading pause"
for part in "${parts[@]}"; do
  moment=$((starts[10#$part - 1] + 1000))
  out=$("$build/host/vornhold" --headless --silent --size 1280x960 --start-at "$moment" \
    --escape-at $((moment + 100)) --stats 2>&1 || true)
  # "seek: reached MS ms on the timeline in S s (N frames played undrawn)"
  read -r reached seconds frames <<<"$(sed -n 's/.*seek: reached \([0-9]*\) ms .* in \([0-9.]*\) s (\([0-9]*\) frames.*/\1 \2 \3/p' <<<"$out")"
  pause=$(sed -n 's/.*longest pause \([0-9.]*\) s.*/\1/p' <<<"$out")
  if [ -n "${seconds:-}" ]; then
    printf 'part%s %9d %10d %9.3f %8d %s s   %s\n' "$part" "$moment" "$reached" "$seconds" "$frames" "$pause" \
      "$(awk -v s="$seconds" 'BEGIN { print (s < 1 ? "under the 1 s goal" : "OVER the 1 s goal") }')"
  else
    echo "part$part: no seek line: $(tail -n 2 <<<"$out")"
  fi
done
