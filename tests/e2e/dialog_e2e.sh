#!/usr/bin/env bash
# The real VellunoraDecoder.exe under Wine on the virtual display, driven only by
# keystrokes (xdotool), as a user would drive it; and what both programs import.
#   dialog_e2e.sh DECODER_EXE MAKE_SAMPLE_LOG_EXE OUTPUT_FOLDER COMMAND_LINE_EXE
set -euo pipefail
decoder=$1
make_sample=$2
output_folder=$3
command_line=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../cmake/wine-env.sh"
: "${DISPLAY:?a display is needed}"
mkdir -p "$output_folder"

source "$here/../../scripts/dialog-driver.sh"
work=$(mktemp -d)
desktop=$(wine_desktop_folder)
mkdir -p "$desktop"
cleanup() {
  rm -rf "$work"
  rm -f "$desktop"/E2E*.CSV
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

press() { keys_to "$@" || fail "no window named $1 for keys ${*:2}"; }
typed() { type_into "$@" || fail "no window named $1 to type into"; }
start() { select_all_and_start || fail "no dialog to start a run in"; }

expect_exit_zero() {
  local status=0
  wait_for_exit "$1" || status=$?
  [ "$status" -eq 0 ] || fail "$2: exit code $status"
}

# MinGW's objdump for the executable's own kind (pe-i386 or pe-x86-64).
objdump_for() {
  if [ "$VELLUNORA_WINE_ARCH" = win64 ]; then
    x86_64-w64-mingw32-objdump "$@"
  else
    i686-w64-mingw32-objdump "$@"
  fi
}

make_log() {
  wine "$make_sample" "$(winepath -w "$1")" "$2" 2000 </dev/null >/dev/null 2>&1
}

dialog_name=$dialog_window_name
box_name=$message_box_name
password=secret

# 1. Two files on the command line, the password typed, all selected, Enter: both decrypted.
mkdir -p "$work/logs"
make_log "$work/logs/E2E1.\$S\$" "$password"
make_log "$work/logs/E2E2.\$S\$" "$password"
wine "$decoder" "$(winepath -w "$work/logs/E2E1.\$S\$")" "$(winepath -w "$work/logs/E2E2.\$S\$")" \
  </dev/null >/dev/null 2>&1 &
pid=$!
typed "$dialog_name" "$password"
wait_window "$dialog_name" >/dev/null || fail "the dialog did not open"
sleep 0.5
import -window root "$output_folder/dialog.png" 2>/dev/null || true
start
press "$box_name" Return
expect_exit_zero "$pid" "decrypting two files"
for n in 1 2; do
  [ -f "$desktop/E2E$n.CSV" ] || fail "E2E$n.CSV is not on the desktop"
  [ ! -e "$work/logs/E2E$n.\$S\$" ] || fail "E2E$n.\$S\$ was not deleted"
  head -c 8 "$desktop/E2E$n.CSV" 2>/dev/null | grep -q '^Vellunor$' || fail "E2E$n.CSV does not begin with the magic"
done

# 2. A wrong password: Cancel at the question goes on, OK stops; the input stays; Esc ends.
make_log "$work/logs/E2E3.\$S\$" "$password"
wine "$decoder" "$(winepath -w "$work/logs/E2E3.\$S\$")" </dev/null >/dev/null 2>&1 &
pid=$!
typed "$dialog_name" wrong
start
press "$box_name" Return        # 暗号パスが違います。
press "$box_name" Escape        # 処理を中断しますか？ -> Cancel
press "$dialog_name" Return     # run again
press "$box_name" Return
press "$box_name" Return        # -> OK: stop
sleep 1.5
kill -0 "$pid" 2>/dev/null || fail "the dialog closed after a wrong password"
press "$dialog_name" Escape
expect_exit_zero "$pid" "wrong password, then Esc"
[ -f "$work/logs/E2E3.\$S\$" ] || fail "the input of a wrong password was deleted"
[ ! -e "$desktop/E2E3.CSV" ] || fail "a wrong password left an output"

# 3. A file that cannot be found: the start-up error box, then exit code 0, no dialog.
wine "$decoder" "$(winepath -w "$work/logs/missing.\$S\$")" </dev/null >/dev/null 2>&1 &
pid=$!
box=$(wait_window '^Vellunoradecoder$') || fail "no start-up error box"
import -window root "$output_folder/startup-error.png" 2>/dev/null || true
[ -z "$(xdotool search --onlyvisible --name "$dialog_name" 2>/dev/null)" ] || fail "the dialog was shown"
keys_to '^Vellunoradecoder$' Return
expect_exit_zero "$pid" "start-up error"

# 4. Other programs find the dialog through the exported pointer.
exports=$(objdump_for -p "$decoder")
grep -q '\] _OKRightDlg$' <<<"$exports" || fail "_OKRightDlg is not exported"

# 5. Both programs import at load time only DLLs that Windows takes from the system folder
# whatever lies beside the program: those on its known-DLL list, and comctl32, which the
# manifest binds side by side. Any other DLL, MPR among them, is looked for beside the
# program first, where a download folder can hold anything; the programs load such DLLs
# themselves, from the system folder.
known_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll comctl32.dll "
for program in "$decoder" "$command_line"; do
  imports=$(objdump_for -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]') || true
  grep -qx kernel32.dll <<<"$imports" || fail "no import table read from $(basename "$program")"
  for dll in $imports; do
    [[ $known_dlls == *" $dll "* ]] || fail "$(basename "$program") imports $dll at load time"
  done
done

if [ "$failures" -eq 0 ]; then
  echo "dialog end-to-end: all scenarios passed"
fi
exit "$failures"
