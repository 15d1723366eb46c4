#!/usr/bin/env bash
# The 32-bit Wine of the win32 tree: prints the shell assignments that make cmake/wine-run.sh run
# 32-bit programs on the path this machine takes (cmake/wine32-probe.sh), after fetching the
# sysroot (cmake/wine32-sysroot.sh) and making the tree's WoW64 prefix when they are missing.
#
#   eval "$(cmake/wine32.sh env BUILD)"    BUILD is the build folder holding the win32 tree
#
# Both paths run the same sysroot's Wine in the same prefix; on the emulated one, where a
# program takes a few times longer, the tests' waits for dialogs are stretched by
# SKELVANE_WAIT_FACTOR (4 unless set).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ "${1:-}" = env ] && [ -n "${2:-}" ] || { echo "usage: wine32.sh env BUILD" >&2; exit 2; }
build=$(cd "$2" && pwd)
path=$("$here/wine32-probe.sh")
root=$build/wine32 prefix=$build/win32/wineprefix
"$here/wine32-sysroot.sh" prepare "$root" "$path" >&2
export SKELVANE_WIN32_PATH=$path
"$here/wine-prefix.sh" "$prefix" "$root/sysroot" >&2
factor=${SKELVANE_WAIT_FACTOR:-1}
[ "$path" = direct ] || factor=${SKELVANE_WAIT_FACTOR:-4}
printf 'export SKELVANE_WIN32_PATH=%s WINEPREFIX=%q SKELVANE_WINE32_LOADER=%q SKELVANE_WINE64_LOADER=%q SKELVANE_WAIT_FACTOR=%s\n' \
  "$path" "$prefix" "$root/sysroot/usr/lib/wine/wine" "$root/sysroot/usr/lib/wine/wine64" "$factor"
