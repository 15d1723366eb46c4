#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root or through sudo.
# Does nothing when everything is already there.
set -eu
packages="cmake ninja-build g++ googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  wine64 xvfb xauth"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "setup: installing$missing"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
