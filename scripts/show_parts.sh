# The show's parts on its timeline, for scripts that play one part alone. Sourced, not run.
# Played alone, a part starts the timeline at its own start and ends by itself at the next part's
# start; Escape (counted from the music's start) is only a backstop. The finale has no end.

# Milliseconds from the music's start to each part's start, parts 1 to 10.
show_part_starts=(0 18041 36083 45162 50793 54172 72190 107010 126223 136382)

# show_part_length PART [FINALE_MS]: how long PART (1..10) plays alone, in milliseconds; the finale
# is played for FINALE_MS (default a minute).
show_part_length() {
  if [ "$1" -ge ${#show_part_starts[@]} ]; then
    echo "${2:-60000}"
  else
    echo $((show_part_starts[$1] - show_part_starts[$1 - 1]))
  fi
}
