#!/usr/bin/env bash
# The 32-bit Wine of this machine, for the win32 tree: prints the shell assignments that make
# cmake/wine-run.sh run 32-bit programs on the path this machine takes (see wine32-probe.sh),
# after making the prefix (and, on the emulated path, the emulated Wine) when they are missing.
#
#   eval "$(cmake/wine32.sh env BUILD)"    BUILD is the build folder holding the win32 tree
#
# The two paths keep apart: each has its own prefix (so its own wineserver), and the emulated
# one its own loaders, never the machine's 32-bit Wine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ "${1:-}" = env ] && [ -n "${2:-}" ] || { echo "usage: wine32.sh env BUILD" >&2; exit 2; }
build=$(cd "$2" && pwd)
path=$("$here/wine32-probe.sh")
case $path in
  direct)
    prefix=$build/win32/wineprefix
    loader=/usr/lib/wine/wine loader64=/usr/lib/wine/wine64
    [ -x "$loader" ] || { echo "wine32.sh: no 32-bit Wine at $loader (run scripts/setup.sh)" >&2; exit 1; }
    # A prefix booted while no 32-bit Wine was installed has an empty syswow64.
    [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] || rm -rf "$prefix"
    "$here/wine-prefix.sh" "$prefix" >&2 ;;
  emulated)
    wine_version=$(dpkg-query -W -f='${Version}' wine64)
    root=$build/wine32-emulated
    prefix=$build/win32/wineprefix-emulated
    "$here/wine32-emulated.sh" prepare "$root" "$wine_version" >&2
    "$here/wine32-emulated.sh" prefix "$root" "$prefix" >&2
    loader=$root/sysroot/usr/lib/wine/wine loader64=$root/sysroot/usr/lib/wine/wine64 ;;
esac
printf 'export SKELVANE_WIN32_PATH=%s WINEPREFIX=%q SKELVANE_WINE32_LOADER=%q SKELVANE_WINE64_LOADER=%q\n' \
  "$path" "$prefix" "$loader" "$loader64"
