#!/usr/bin/env bash
# Configures and builds the three trees under build/: native (first, since it also builds the
# tools that make resources for the others), win32 (the deliverable .8bf files) and win64 (the
# Windows code for execution under 64-bit Wine).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/trees.sh"
for tree in native win32 win64; do
  configure_tree "$tree"
  cmake --build "$root/build/$tree" -j "$(nproc)"
done
