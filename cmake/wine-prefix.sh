#!/usr/bin/env bash
# Creates the Wine prefix given as $1 once, and brings an older one up to the settings below.
# Windows are made unmanaged: without a window manager (Xvfb) Wine otherwise waits about two
# seconds for every top-level window it hides. A crash prints its backtrace and ends the
# program instead of opening the crash dialog, which nobody under Xvfb would ever close: a
# crashing test would otherwise hang until its time runs out, with nothing in its log.
set -u
prefix=$(realpath -m "$1")  # Wine takes only an absolute path
stamp=$prefix/.skelvane-settings-2
[ -f "$stamp" ] && exit 0
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$prefix" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# A server started without a display must be gone before the first GUI test starts.
/usr/lib/wine/wineserver64 -w
touch "$stamp"
