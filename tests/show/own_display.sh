# Sourced by the tests that need a window: an X display of their own (Xvfb), in the current folder.
# own_display XVFB_OPTIONS...: starts it with those screens, waits for its number and exports
# DISPLAY; its process in $xvfb, for the caller's trap to end.
own_display() {
  Xvfb -displayfd 3 "$@" 3>display 2>/dev/null &
  xvfb=$!
  for _ in $(seq 50); do [ -s display ] && break; sleep 0.1; done
  export DISPLAY=":$(cat display)"
}
