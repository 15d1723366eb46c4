#!/usr/bin/env bash
# The 32-bit Wine of the win32 tree, in a folder of the build tree: Debian's i386 Wine at the
# pinned version (cmake/common.sh) with its i386 libraries, fetched through a private apt
# configuration from the main suite alone and unpacked there. Nothing enters the system: no
# foreign architecture, no i386 package that must match an amd64 twin, nothing that could make
# apt hold or remove the system's 64-bit Wine.
#
#   wine32-sysroot.sh prepare ROOT PATH    PATH is direct or emulated (cmake/wine32-probe.sh)
#
# ROOT/sysroot/usr/lib/wine holds the loaders: wine64 (64-bit, running on the system's
# libraries) and wine, which starts the real 32-bit loader wine-i386 natively on the direct
# path and under ROOT/bin/qemu-i386 (user mode, from bookworm-backports) on the emulated one.
# There the real loader names a dynamic loader that only the emulator finds, so that a 32-bit
# Wine program which bypassed the emulator fails at once: a run that passes on a machine that
# executes 32-bit code also passes where it does not.
# ROOT/ready records what was fetched: the pinned version and place, then each package with
# its version, and the emulator's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

# The X11 extensions Wine loads at run time; Debian only recommends them.
x11_extensions="libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
  libxcomposite1 libxxf86vm1"

private_apt() { # root, apt-get arguments...
  local apt=$1/apt; shift
  apt-get -q -o Dir::Etc="$apt/etc" -o Dir::State="$apt/state" \
    -o Dir::State::status="$apt/status" -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1 \
    -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o APT::Architectures::=i386 \
    -o APT::Install-Recommends=false -o APT::Sandbox::User="$(id -un)" \
    -o Acquire::http::Timeout=30 "$@"
}

private_sources() { # root, suites...
  local root=$1 suite; shift
  mkdir -p "$root/apt/etc/preferences.d" "$root/apt/state/lists/partial" \
    "$root/apt/cache/archives/partial"
  [ -f "$root/apt/status" ] || : >"$root/apt/status"
  for suite; do
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $debian_mirror $suite main"
  done >"$root/apt/etc/sources.list"
  retry "the package index of $* from $debian_mirror" private_apt "$root" update -qq
}

sysroot() { # root
  local root=$1 sysroot=$1/sysroot
  local recipe="wine $wine_version in $sysroot"
  if [ "$(head -n 1 "$root/ready" 2>/dev/null)" = "$recipe" ]; then
    echo "32-bit Wine: reusing $sysroot ($(($(wc -l <"$root/ready") - 1)) packages, see $root/ready)"
    return 0
  fi
  echo "32-bit Wine: fetching Wine $wine_version (i386) from bookworm into $sysroot"
  rm -rf "$root"
  mkdir -p "$sysroot" "$root/bin"
  private_sources "$root" bookworm
  local wine="wine32:i386=$wine_version libwine:i386=$wine_version" extensions="" p
  for p in $x11_extensions; do extensions="$extensions $p:i386"; done
  # With an empty package database the whole dependency closure is fetched. Beside it the 64-bit
  # loader of the same version: a 32-bit Wine process starts a 64-bit one with the loader whose
  # name is its own plus "64", in its own folder.
  retry "wine32:i386 $wine_version and its libraries from bookworm" \
    private_apt "$root" install -qq --download-only -y $wine $extensions >/dev/null
  # Its libraries are the system's, which the system's 64-bit Wine brought.
  (cd "$root/apt/cache/archives" && retry "wine64:amd64 $wine_version from bookworm" \
    private_apt "$root" download "wine64:amd64=$wine_version" "libwine:amd64=$wine_version" >/dev/null)
  local deb
  for deb in "$root"/apt/cache/archives/*.deb; do
    dpkg-deb --show --showformat='${Package}:${Architecture} ${Version}\n' "$deb"
    dpkg -x "$deb" "$sysroot"
  done >"$root/packages"
  rm -rf "$root/apt/cache/archives"

  # What the packages' install scripts would do: Wine's zlib1.dll is the MinGW build's.
  cp "$sysroot/usr/i686-w64-mingw32/lib/zlib1.dll" "$sysroot/usr/lib/i386-linux-gnu/wine/i386-windows/"
  cp "$sysroot/usr/x86_64-w64-mingw32/lib/zlib1.dll" "$sysroot/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/"
  # The real loader runs with the sysroot's dynamic loader (see loaders), and finds every library
  # in the sysroot through a forced path that also serves the libraries Wine opens later; without it
  # the system's cache would hand it the system's i386 libc, where there is one.
  local wine_dir=$sysroot/usr/lib/wine
  mv "$wine_dir/wine" "$wine_dir/wine-i386"
  patchelf --force-rpath --set-rpath "$sysroot/lib/i386-linux-gnu:$sysroot/usr/lib/i386-linux-gnu" \
    "$wine_dir/wine-i386"
  { echo "$recipe"; cat "$root/packages"; } >"$root/ready"
  rm "$root/packages"
  echo "32-bit Wine: $(($(wc -l <"$root/ready") - 1)) packages in $sysroot"
}

# bookworm's qemu 7.2 does not honour MAP_FIXED_NOREPLACE, and Wine then splits its reservations
# into 64 KiB pieces: about 45 s of CPU per start. The backported 10.0 starts Wine in well under
# a second. Its qemu-i386 is linked statically.
emulator() { # root
  local root=$1
  if [ -x "$root/bin/qemu-i386" ] && grep -q '^qemu-user:amd64 ' "$root/ready"; then
    echo "32-bit Wine: reusing $(grep '^qemu-user:amd64 ' "$root/ready")"
    return 0
  fi
  private_sources "$root" bookworm bookworm-backports
  local version
  version=$(private_apt "$root" -t bookworm-backports install -s qemu-user:amd64 |
    sed -n 's/^Inst qemu-user (\([^ ]*\) .*/\1/p')
  [ -n "$version" ] || { echo "32-bit Wine: no qemu-user in bookworm-backports" >&2; exit 1; }
  mkdir -p "$root/qemu"
  (cd "$root/qemu" && retry "qemu-user $version from bookworm-backports" \
    private_apt "$root" download "qemu-user:amd64=$version" >/dev/null)
  dpkg -x "$root"/qemu/qemu-user_*.deb "$root/qemu/unpacked"
  cp "$root/qemu/unpacked/usr/bin/qemu-i386" "$root/bin/qemu-i386"
  rm -rf "$root/qemu"
  echo "qemu-user:amd64 $version" >>"$root/ready"
  echo "32-bit Wine: qemu-user $version"
}

# The loaders for a path, on every preparation, so that a reused sysroot serves either path.
# Wine finds its folder through /proc/self/exe, so the real loader is executed, not handed to a
# dynamic loader; the wrapper keeps the name "wine" in its arguments, which Wine builds the
# 64-bit loader's name from. Debian ships no preloader, and under the emulator the loader must
# not re-execute itself. The real loader names the sysroot's dynamic loader by its own name on
# the direct path and, on the emulated one, by a name that exists only in the emulator's view of
# the files (qemu -L ROOT/qemu-root), where it leads to the same file.
loaders() { # root, path
  local root=$1 wine_dir=$1/sysroot/usr/lib/wine wanted=$1/sysroot/lib/ld-linux.so.2
  cat >"$wine_dir/wine.$$" <<'WRAPPER'
#!/bin/bash
here=$(cd "$(dirname "$0")" && pwd)
if [ "${SKELVANE_WIN32_PATH:-direct}" = emulated ]; then
  root=$here/../../../..
  WINELOADERNOEXEC=1 exec "$root/bin/qemu-i386" -L "$root/qemu-root" -0 "$0" "$here/wine-i386" "$@"
fi
exec -a "$0" "$here/wine-i386" "$@"
WRAPPER
  chmod +x "$wine_dir/wine.$$"
  if cmp -s "$wine_dir/wine.$$" "$wine_dir/wine"; then rm "$wine_dir/wine.$$"
  else mv "$wine_dir/wine.$$" "$wine_dir/wine"; fi
  if [ "$2" = emulated ]; then
    mkdir -p "$root/qemu-root/skelvane-emulated"
    ln -sfn "$wanted" "$root/qemu-root/skelvane-emulated/ld-linux.so.2"
    wanted=/skelvane-emulated/ld-linux.so.2
  fi
  [ "$(patchelf --print-interpreter "$wine_dir/wine-i386")" = "$wanted" ] ||
    patchelf --set-interpreter "$wanted" "$wine_dir/wine-i386"
}

command=${1:-}
case $command in
  prepare)
    [ $# = 3 ] || { echo "usage: wine32-sysroot.sh prepare ROOT direct|emulated" >&2; exit 2; }
    root=$(realpath -m "$2")
    sysroot "$root"
    [ "$3" != emulated ] || emulator "$root"
    loaders "$root" "$3"
    loader=$root/sysroot/usr/lib/wine/wine-i386
    run=("$loader")
    [ "$3" = direct ] || run=("$root/bin/qemu-i386" -L "$root/qemu-root" "$loader")
    if ! "${run[@]}" --version >/dev/null; then
      echo "32-bit Wine: the loader in $root/sysroot does not start on the $3 path" >&2
      rm -f "$root/ready"
      exit 1
    fi
    if [ "$3" = emulated ] && "$loader" --version >/dev/null 2>&1; then
      echo "32-bit Wine: the loader in $root/sysroot starts without the emulator" >&2
      exit 1
    fi ;;
  *) echo "wine32-sysroot.sh: unknown command '$command'" >&2; exit 2 ;;
esac
