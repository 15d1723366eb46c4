#!/usr/bin/env bash
# Runs the ctest suite of a Windows tree under Wine, SLOTS programs side by side, each in a slot
# of a pool made from PREFIX (cmake/wine-pool.sh): its own display, prefix copy and wineserver.
#
#   wine-tests.sh TREE PREFIX [SLOTS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$1" && pwd) prefix=$(realpath -m "$2") slots=${3:-${SKELVANE_WINE_SLOTS:-4}}
pool=$tree/wine-pool
"$here/wine-prefix.sh" "$prefix"  # at once when it is up to date
eval "$("$here/wine-pool.sh" start "$pool" "$prefix" "$slots")"
status=0
# A program that fails is run once more, so that a rare hang inside Wine does not fail the run;
# one that fails twice does.
ctest --test-dir "$tree" --output-on-failure -j "$slots" --repeat until-pass:2 || status=$?
"$here/wine-pool.sh" stop "$pool"
exit $status
