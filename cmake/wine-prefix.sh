#!/usr/bin/env bash
# Creates the Wine prefix given as $1 once. Windows are made unmanaged: without a window manager
# (Xvfb) Wine otherwise waits about two seconds for every top-level window it hides.
set -u
prefix=$1
[ -d "$prefix" ] && exit 0
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A server started without a display must be gone before the first GUI test starts.
/usr/lib/wine/wineserver64 -w
