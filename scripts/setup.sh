#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root or through sudo, and
# fetches the 32-bit Wine into the build tree (cmake/wine32-sysroot.sh). Does nothing when
# everything is already there. The system gets amd64 packages only, the 64-bit Wine at the
# pinned version of cmake/common.sh.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/cmake/common.sh"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
apt_get() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 \
    -o Acquire::Retries=3 -o Acquire::http::Timeout=30 "$@"
}
# An index that cannot be fetched (a mirror in sync, a suite out of reach) is no failure by
# itself: every pinned version is in the main suite, and the install says what is missing.
install() {
  apt_get update -qq || echo "setup: some package indexes could not be fetched (above)" >&2
  apt_get install -y -qq --no-install-recommends --no-remove --allow-downgrades "$@" >/dev/null
}

packages="cmake ninja-build g++ googletest libbenchmark-dev libfftw3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  xvfb xauth patchelf"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
for p in wine64 libwine; do
  [ "$(dpkg-query -W -f='${Version}' "$p" 2>/dev/null)" = "$wine_version" ] ||
    missing="$missing $p=$wine_version"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  retry "installing$missing" install $missing
fi
"$root/cmake/wine32-sysroot.sh" prepare "$root/build/wine32" "$("$root/cmake/wine32-probe.sh")"
