# Sourced: picks the Windows build whose programs this machine can run under Wine and sets
# windows_preset to its preset name. Users get the 32-bit build ("windows"); where the kernel
# runs no 32-bit program (32-bit emulation switched off), 32-bit Wine cannot start, and the
# same code is run as the 64-bit build ("windows64") under 64-bit Wine instead.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  windows_preset=windows
  export VELLUNORA_WINE_ARCH=win32
else
  windows_preset=windows64
  export VELLUNORA_WINE_ARCH=win64
  echo "this machine cannot run 32-bit programs: Windows programs run from the 64-bit build" \
    "under 64-bit Wine" >&2
fi
