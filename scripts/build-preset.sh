# Sourced by scripts/test and scripts/test-reliability: configures and builds one preset,
# logging to $log_dir. A compiler warning fails the build like an error: every build stays
# warning-free.
build() {
  cmake --preset "$1" >"$log_dir/configure-$1.log" 2>&1 || { cat "$log_dir/configure-$1.log"; return 1; }
  local built=0
  cmake --build --preset "$1" >"$log_dir/build-$1.log" 2>&1 || built=$?
  if grep -E -A5 'error:|warning:|FAILED:' "$log_dir/build-$1.log"; then
    ((built != 0)) || echo "the $1 build has warnings"
    return 1
  fi
  return "$built"
}
