#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's own prefix, so that tests never
# touch the user's ~/.wine and Wine never offers to install its .NET or browser add-ons.
# The prefix lives in the build tree (WINEPREFIX may override it; a pool of prefixes and
# displays from cmake/wine-pool.sh overrides both).
set -u
exe=$1; shift
tree=$(cd "$(dirname "$exe")" && pwd)
while [ "$tree" != / ] && [ ! -f "$tree/CMakeCache.txt" ]; do tree=$(dirname "$tree"); done
export WINEPREFIX=${WINEPREFIX:-$tree/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case $(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ') in
  # IMAGE_FILE_MACHINE_I386: the machine's 32-bit Wine, or the one cmake/wine32.sh chose
  4c01) loader=${SKELVANE_WINE32_LOADER:-/usr/lib/wine/wine} ;;
  *)    loader=${SKELVANE_WINE64_LOADER:-/usr/lib/wine/wine64} ;;
esac
if [ -n "${SKELVANE_WINE_POOL:-}" ]; then
  # A slot of the pool (cmake/wine-pool.sh): held while the program runs, the lock kept by this
  # shell and not by Wine's processes, which may outlive the program for a moment.
  while :; do
    for slot in "$SKELVANE_WINE_POOL"/*/; do
      exec 9>"$slot/lock"
      if flock -n 9; then
        export WINEPREFIX=$slot/prefix DISPLAY=$(cat "$slot/display")
        "$loader" "$exe" "$@" 9>&-
        exit $?
      fi
      exec 9>&-
    done
    sleep 0.2
  done
fi
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"  # at once when it is up to date
exec "$loader" "$exe" "$@"
