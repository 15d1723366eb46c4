#!/usr/bin/env bash
# Makes the Wine prefix PREFIX, once: for the system's 64-bit Wine or, given the sysroot of
# cmake/wine32-sysroot.sh, a WoW64 prefix whose 32-bit side is that sysroot's Wine.
#
#   wine-prefix.sh PREFIX [SYSROOT]
#
# Windows are made unmanaged: without a window manager (Xvfb) Wine otherwise waits about two
# seconds for every top-level window it hides. A crash prints its backtrace and ends the program
# instead of opening the crash dialog, which nobody under Xvfb would ever close: a crashing test
# would otherwise hang until its time runs out, with nothing in its log. The prefix is marked
# ready only when both settings are found in its registry files, which the copies of a pool
# (cmake/wine-pool.sh) are made from.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
prefix=$(realpath -m "$1")  # Wine takes only an absolute path
sysroot=${2:+$(realpath -m "$2")}
stamp=$prefix/.skelvane-ready
recipe="wine $wine_version ${sysroot:-system}"
[ "$(cat "$stamp" 2>/dev/null)" = "$recipe" ] && exit 0

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=${sysroot:-}/usr/lib/wine/wine64
fail() { echo "wine-prefix: $prefix: $*" >&2; exit 1; }
# A time limit ends the set-up; any other status is no verdict (wineboot gives 53 for a prefix
# made from nothing), the checks below are.
wine() { # name, limit, command...
  local status=0
  limited "$2" "$1 in $prefix" "$loader" "${@:3}" >/dev/null 2>&1 || status=$?
  [ $status != 124 ] && [ $status != 137 ] || exit 1
}
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
wine wineboot 300 wineboot -i
if [ -n "$sysroot" ]; then
  # The MinGW zlib1.dll that user32 imports is no builtin, and only an installed Wine's prefix
  # gets it by itself; without it no program that shows a window starts.
  cp "$sysroot/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll" "$prefix/drive_c/windows/syswow64/"
  cp "$sysroot/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/zlib1.dll" "$prefix/drive_c/windows/system32/"
  [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] || fail "its 32-bit side was not set up"
fi
wine "reg add" 60 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
wine "reg add" 60 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
# The registry files are written when the server ends; a server started without a display must
# be gone before the first GUI test starts anyway.
limited 120 "wineserver -w for $prefix" /usr/lib/wine/wineserver64 -w
grep -q '^"Managed"="N"' "$prefix/user.reg" || fail "windows are still managed"
grep -q '^"ShowCrashDialog"=dword:00000000' "$prefix/user.reg" || fail "the crash dialog is still on"
echo "$recipe" >"$stamp"
