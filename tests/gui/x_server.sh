# Sourced by the scripts that need a virtual X server: start_x_server <folder> <screen> starts one
# on a display number it picks itself (-displayfd), since probing for a free number, as xvfb-run
# -a does, races with other servers starting at the same moment; it exports DISPLAY and leaves
# the server's process id in x_server. stop_x_server ends it. -noreset: a server left by its last
# client resets, and a program that connects in that moment is refused.
start_x_server() {
  Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp -noreset 3>"$1/display" 2>/dev/null &
  x_server=$!
  for _ in $(seq 200); do
    [ -s "$1/display" ] && break
    sleep 0.05
  done
  [ -s "$1/display" ] || { echo "the virtual X server did not start"; return 1; }
  export DISPLAY=:$(head -n 1 "$1/display")
}

# Waits for the server to go, so that none outlives the test that started it.
stop_x_server() {
  kill "$x_server" 2>/dev/null || true
  wait "$x_server" 2>/dev/null || true
}
