#!/usr/bin/env bash
# Runs the ctest suite of a Windows tree under its Wine, SLOTS programs side by side, each in a
# slot of a pool made from the tree's prefix (cmake/wine-pool.sh): its own display, prefix copy
# and wineserver. The pool is stopped however the run ends. A test that fails has failed:
# nothing is run twice.
#
#   wine-tests.sh TREE [SLOTS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
tree=$(cd "$1" && pwd) slots=${2:-${SKELVANE_WINE_SLOTS:-4}}
pool=$tree/wine-pool
wine_tree_env "$tree"
trap '"$here/wine-pool.sh" stop "$pool"' EXIT
trap 'exit 130' INT TERM
assignment=$("$here/wine-pool.sh" start "$pool" "$WINEPREFIX" "$slots")
eval "$assignment"
ctest --test-dir "$tree" --output-on-failure -j "$slots"
