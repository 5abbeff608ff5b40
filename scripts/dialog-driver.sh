# Sourced: drives the decoder dialog under Wine by keystrokes on an X display, as a user
# would. Used by the end-to-end test and by the demonstration of scripts/run.

dialog_window_name='Ver1\.03'
message_box_name='^Vellunora 復号化ツール$'

# Waits up to 20 s for a visible window whose name matches $1; prints its id.
wait_window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Gives the window matching $1 the focus and presses the keys that follow.
keys_to() {
  local name=$1 window
  shift
  window=$(wait_window "$name") || return 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
  xdotool key --delay 80 "$@"
}

# Types $2 into the window matching $1.
type_into() {
  local window
  window=$(wait_window "$1") || return 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.3
  xdotool type --delay 60 "$2"
}

# From the password field: Tab eight times to the select-all button, Enter selects every
# file, Tab wraps around to the password field, where Enter starts the run.
select_all_and_start() {
  keys_to "$dialog_window_name" Tab Tab Tab Tab Tab Tab Tab Tab Return Tab Return
}

# Waits up to 15 s for process $1 to end; returns its exit code, or 124 when it did not end.
wait_for_exit() {
  for _ in $(seq 150); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then
    kill "$1" 2>/dev/null || true
    return 124
  fi
  local status=0
  wait "$1" || status=$?
  return "$status"
}

# The Unix path of the Wine user's desktop folder, where the dialog writes by default.
wine_desktop_folder() {
  local user
  user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
  winepath -u "C:\\users\\$user\\Desktop" 2>/dev/null
}
