#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's own prefix, so that tests never
# touch the user's ~/.wine and Wine never offers to install its .NET or browser add-ons.
# The prefix lives in the build tree (WINEPREFIX may override it; a pool of prefixes and
# displays from cmake/wine-pool.sh overrides both). A 32-bit program runs with the 32-bit Wine
# of cmake/wine32.sh, whose assignments are made here when the caller has not made them.
# SKELVANE_WINE_TIMEOUT (seconds) ends a program that runs longer, and names it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
exe=$1; shift
tree=$(cd "$(dirname "$exe")" && pwd)
while [ "$tree" != / ] && [ ! -f "$tree/CMakeCache.txt" ]; do tree=$(dirname "$tree"); done
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case $(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$exe") + 4 ))" -N2 "$exe" | tr -d ' ') in
  4c01)  # IMAGE_FILE_MACHINE_I386
    [ -n "${SKELVANE_WINE32_LOADER:-}" ] || wine_tree_env "$tree" || exit 1
    loader=$SKELVANE_WINE32_LOADER ;;
  *)
    [ -n "${WINEPREFIX:-}" ] || wine_tree_env "$tree" || exit 1
    loader=${SKELVANE_WINE64_LOADER:-/usr/lib/wine/wine64} ;;
esac
# A program that fails without a word (Wine's own errors are off) is named with its status.
run() {
  local status=0
  if [ -n "${SKELVANE_WINE_TIMEOUT:-}" ]; then
    limited "$SKELVANE_WINE_TIMEOUT" "$(basename "$exe") $*" "$loader" "$exe" "$@" || status=$?
  else
    "$loader" "$exe" "$@" || status=$?
  fi
  [ $status = 0 ] || echo "wine-run: $(basename "$exe") ended with status $status" >&2
  return $status
}
if [ -n "${SKELVANE_WINE_POOL:-}" ]; then
  # A slot of the pool (cmake/wine-pool.sh): held while the program runs, the lock kept by this
  # shell and not by Wine's processes, which may outlive the program. So may its output: the
  # slot's desktop process, started by the first program there that shows a window, inherits
  # that program's output and lives on while the slot is in use. The program therefore writes
  # into a file, shown here when it ends, so that whoever reads this script's output (ctest)
  # sees it end with the program.
  while :; do
    for slot in "$SKELVANE_WINE_POOL"/*/; do
      exec 9>"$slot/lock"
      if flock -n 9; then
        export WINEPREFIX=$slot/prefix DISPLAY=$(cat "$slot/display")
        status=0
        run "$@" 9>&- >"$slot/output" 2>&1 </dev/null || status=$?
        cat "$slot/output"
        rm -f "$slot/output"
        exit $status
      fi
      exec 9>&-
    done
    sleep 0.2
  done
fi
run "$@"
