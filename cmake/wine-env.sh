# Sourced by the Wine runner and by scripts/wine-session: one prefix per build folder,
# 32-bit, with the Japanese ANSI code page (932) that the users' systems have.
repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VELLUNORA_WINDOWS_BUILD_DIR:-$repo_dir/build/windows}
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Tests use E: as a real extra drive letter; it points to a folder of the build.
wine_drive_e=$build_dir/drive-e
