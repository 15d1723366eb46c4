#!/usr/bin/env bash
# Configures and builds the three trees under build/: native (first, since it also builds the
# tools that make resources for the others), win32 (the deliverable .8bf files) and win64 (the
# Windows code for execution under 64-bit Wine).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
configure() { # tree, extra cmake arguments...
  local tree=$1; shift
  [ -f "$root/build/$tree/build.ninja" ] || cmake -S "$root" -B "$root/build/$tree" -G Ninja "$@" >/dev/null
  cmake --build "$root/build/$tree" -j "$jobs"
}
configure native -DSKELVANE_WIN32_DIR="$root/build/win32"
configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" -DSKELVANE_TOOLS_DIR="$root/build/native/tools"
configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" -DSKELVANE_TOOLS_DIR="$root/build/native/tools"
