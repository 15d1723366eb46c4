#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's own prefix, so that tests never
# touch the user's ~/.wine and Wine never offers to install its .NET or browser add-ons.
# The prefix lives in the build tree (WINEPREFIX may override it).
set -u
exe=$1; shift
tree=$(cd "$(dirname "$exe")" && pwd)
while [ "$tree" != / ] && [ ! -f "$tree/CMakeCache.txt" ]; do tree=$(dirname "$tree"); done
export WINEPREFIX=${WINEPREFIX:-$tree/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case $(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ') in
  4c01) loader=/usr/lib/wine/wine ;;     # IMAGE_FILE_MACHINE_I386
  *)    loader=/usr/lib/wine/wine64 ;;
esac
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"  # at once when it is up to date
exec "$loader" "$exe" "$@"
