#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root or through sudo.
# Does nothing when everything is already there.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages="cmake ninja-build g++ googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  wine64 xvfb xauth strace"
missing=""
for p in $packages; do installed "$p" || missing="$missing $p"; done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends $missing >/dev/null
fi

# The 32-bit plug-ins run under 32-bit Wine at exactly the version of the 64-bit one, which runs
# the wineserver of their prefix.
wine_version=$(dpkg-query -W -f='${Version}' wine64)
case $("$root/cmake/wine32-probe.sh") in
  direct)
    if ! installed wine32:i386 || ! installed libwine:i386; then
      echo "setup: installing 32-bit Wine $wine_version"
      dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
      # A failed index of one architecture (a mirror in sync) must not stop the install; what
      # is missing then shows in the install below.
      apt_get update -qq || true
      wine32="wine32:i386=$wine_version libwine:i386=$wine_version"
      # The i386 libraries must match their installed amd64 twins; never let apt resolve that by
      # removing the 64-bit Wine. When the security suite's i386 index lags behind its amd64 one,
      # the point release has matching versions of both.
      apt_get install -y -qq --no-install-recommends --no-remove $wine32 >/dev/null ||
        apt_get install -y -qq --no-install-recommends --no-remove -t bookworm $wine32 >/dev/null
    fi ;;
  # Fetched into the build tree; the machine's package database stays as it is.
  emulated)
    "$root/cmake/wine32-emulated.sh" prepare "$root/build/wine32-emulated" "$wine_version" ;;
esac
