# Sourced: gives this shell a virtual X display (Xvfb on a free display number) unless one
# is already set, and stops it when the shell exits. Wine's windows open there for real.
start_virtual_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$number_file" >/dev/null 2>&1 &
  virtual_display_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$number_file" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(cat "$number_file")"
  rm -f "$number_file"
}

stop_virtual_display() {
  if [ -n "${virtual_display_pid:-}" ]; then
    kill "$virtual_display_pid" 2>/dev/null || true
    wait "$virtual_display_pid" 2>/dev/null || true
  fi
}
