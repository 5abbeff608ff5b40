# Sourced by the Wine runners and by scripts/wine-session: one prefix per build folder, with
# the Japanese ANSI code page (932) that the users' systems have.
#
# VELLUNORA_WINE_ARCH picks the build whose programs are run: win32 (the default) is the
# 32-bit build that users get; win64 is the 64-bit build of the same code, for machines whose
# kernel cannot run 32-bit programs and so cannot run 32-bit Wine (scripts/test chooses).
repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELLUNORA_WINE_ARCH=${VELLUNORA_WINE_ARCH:-win32}
if [ "$VELLUNORA_WINE_ARCH" = win64 ]; then
  build_dir=${VELLUNORA_WINDOWS_BUILD_DIR:-$repo_dir/build/windows64}
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  case ":$PATH:" in
    *":$repo_dir/cmake/wine64-bin:"*) ;;
    *) export PATH=$repo_dir/cmake/wine64-bin:$PATH ;;
  esac
else
  build_dir=${VELLUNORA_WINDOWS_BUILD_DIR:-$repo_dir/build/windows}
  export WINEARCH=win32
fi
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Tests use E: as a real extra drive letter; it points to a folder of the build.
wine_drive_e=$build_dir/drive-e
