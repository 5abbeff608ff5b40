# Sourced by scripts/test and scripts/test-reliability: `build PRESET [TARGET...]` configures
# and builds one preset (all of it, or the targets named), logging to $log_dir. A compiler
# warning fails the build like an error: every build stays warning-free.
build() {
  local preset=$1
  shift
  cmake --preset "$preset" >"$log_dir/configure-$preset.log" 2>&1 ||
    { cat "$log_dir/configure-$preset.log"; return 1; }
  local built=0 targets=()
  (($#)) && targets=(--target "$@")
  cmake --build --preset "$preset" "${targets[@]}" >"$log_dir/build-$preset.log" 2>&1 || built=$?
  if grep -E -A5 'error:|warning:|FAILED:' "$log_dir/build-$preset.log"; then
    ((built != 0)) || echo "the $preset build has warnings"
    return 1
  fi
  return "$built"
}
