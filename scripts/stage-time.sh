# Sourced: `timed NAME COMMAND...` runs the command and records how long it took, one line per
# stage in $log_dir/stage-times (stages may run side by side, in other processes);
# scripts/test prints them at the end.
timed() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  local result=$?
  echo "$name $((SECONDS - start)) s" >>"$log_dir/stage-times"
  return "$result"
}
