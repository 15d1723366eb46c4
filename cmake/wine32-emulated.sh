#!/usr/bin/env bash
# 32-bit Wine for machines that do not execute 32-bit x86 code: only the 32-bit Wine process
# runs, under qemu-i386 in user mode; the wineserver and Wine's 64-bit helper processes run
# natively in a WoW64 prefix. Everything lives in one folder of the build tree, so the
# machine's package database and binfmt handlers are left alone.
#
#   wine32-emulated.sh prepare ROOT VERSION   fetch and unpack 32-bit Wine VERSION (the version
#                                             of the installed 64-bit Wine) and qemu-i386
#   wine32-emulated.sh prefix ROOT PREFIX     make PREFIX a WoW64 prefix whose 32-bit side works
#
# ROOT/sysroot holds Debian's i386 Wine with its i386 libraries, ROOT/bin/qemu-i386 the
# emulator, ROOT/sysroot/usr/lib/wine/wine the loader to run 32-bit programs with.
set -eu
mirror=http://deb.debian.org/debian

# The X11 extensions Wine loads at run time; Debian only recommends them.
x11_extensions="libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
  libxcomposite1 libxxf86vm1"

private_apt() { # root, apt-get arguments...
  local apt=$1/apt; shift
  apt-get -q -o Dir::Etc="$apt/etc" -o Dir::State="$apt/state" \
    -o Dir::State::status="$apt/status" -o Dir::Cache="$apt/cache" -o Debug::NoLocking=1 \
    -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o APT::Architectures::=i386 \
    -o Dir::Etc::Trusted=/etc/apt/trusted.gpg -o Dir::Etc::TrustedParts=/etc/apt/trusted.gpg.d \
    -o APT::Install-Recommends=false -o APT::Sandbox::User="$(id -un)" "$@"
}

prepare() { # root, version
  local root=$1 version=$2
  [ "$(cat "$root/ready" 2>/dev/null)" = "$version" ] && return 0
  echo "wine32-emulated: fetching 32-bit Wine $version and qemu-i386 into $root"
  rm -rf "$root"
  mkdir -p "$root/apt/etc/preferences.d" "$root/apt/state/lists/partial" \
    "$root/apt/cache/archives/partial" "$root/sysroot" "$root/bin" "$root/qemu"
  : >"$root/apt/status"
  # bookworm's qemu 7.2 does not honour MAP_FIXED_NOREPLACE, and Wine then splits its
  # reservations into 64 KiB pieces: about 45 s of CPU per start. The backported 10.0 starts
  # Wine in well under a second.
  printf 'deb %s bookworm main\ndeb %s bookworm-backports main\n' "$mirror" "$mirror" \
    >"$root/apt/etc/sources.list"
  private_apt "$root" update -qq
  local wine="wine32:i386=$version libwine:i386=$version" extensions="" p
  for p in $x11_extensions; do extensions="$extensions $p:i386"; done
  # With an empty package database the whole dependency closure is fetched.
  private_apt "$root" install -qq --download-only -y $wine $extensions >/dev/null
  # The 64-bit loader and libraries of the same version beside them: a 64-bit Wine process
  # starts 32-bit programs with the loader in its own folder, which must be the emulating one
  # here even where the machine has a 32-bit Wine of its own. Their libraries are the
  # machine's (the installed 64-bit Wine brought them).
  local qemu
  qemu=$(private_apt "$root" -t bookworm-backports install -s qemu-user:amd64 |
    sed -n 's/^Inst qemu-user (\([^ ]*\) .*/\1/p')
  (cd "$root/qemu" && private_apt "$root" download "qemu-user:amd64=$qemu" \
    "wine64:amd64=$version" "libwine:amd64=$version" >/dev/null)
  local deb
  for deb in "$root"/apt/cache/archives/*.deb "$root"/qemu/wine64_*.deb "$root"/qemu/libwine_*.deb
  do
    dpkg -x "$deb" "$root/sysroot"
  done
  dpkg -x "$root"/qemu/qemu-user_*.deb "$root/qemu/unpacked"
  cp "$root/qemu/unpacked/usr/bin/qemu-i386" "$root/bin/qemu-i386"
  rm -rf "$root/qemu" "$root/apt/cache/archives"

  local sysroot=$root/sysroot
  # What the packages' install scripts would do: Wine's zlib1.dll is the MinGW build's.
  cp "$sysroot/usr/i686-w64-mingw32/lib/zlib1.dll" "$sysroot/usr/lib/i386-linux-gnu/wine/i386-windows/"
  cp "$sysroot/usr/x86_64-w64-mingw32/lib/zlib1.dll" "$sysroot/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/"
  # Without a cache of its own the emulated dynamic loader falls back to the machine's 64-bit
  # one: libz is not found, Wine has no FreeType, and programs crash in gdi32.
  echo 'include /etc/ld.so.conf.d/*.conf' >"$sysroot/etc/ld.so.conf"
  ldconfig -r "$sysroot"
  # Debian ships no preloader, so Wine's loader re-executes itself: natively that fails. The
  # real loader is renamed and its path runs it under the emulator, which names it by the
  # wrapper's path (-0), so that 32-bit programs can start 32-bit children the same way.
  local wine_dir=$sysroot/usr/lib/wine
  mv "$wine_dir/wine" "$wine_dir/wine-i386"
  cat >"$wine_dir/wine" <<'WRAPPER'
#!/bin/sh
here=$(cd "$(dirname "$0")" && pwd)
sysroot=${here%/usr/lib/wine}
WINELOADERNOEXEC=1 exec "$sysroot/../bin/qemu-i386" -L "$sysroot" -0 "$0" "$here/wine-i386" "$@"
WRAPPER
  chmod +x "$wine_dir/wine"
  echo "$version" >"$root/ready"
}

prefix() { # root, prefix
  local root=$1 prefix=$2
  [ -f "$prefix/wow64-ready" ] && return 0
  local sysroot=$root/sysroot
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local wine64=$sysroot/usr/lib/wine/wine64
  rm -rf "$prefix"
  # wineboot runs the 32-bit side of the WoW64 set-up (syswow64, the 32-bit COM classes)
  # through the emulating loader beside its own.
  # Its status is not its success (53 for a prefix made from nothing); syswow64 tells.
  "$wine64" wineboot -i >/dev/null 2>&1 || true
  "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w
  # The MinGW zlib1.dll that user32 imports is no builtin, and only an installed Wine's prefix
  # gets it by itself.
  cp "$sysroot/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll" "$prefix/drive_c/windows/syswow64/"
  cp "$sysroot/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/zlib1.dll" "$prefix/drive_c/windows/system32/"
  if [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "wine32-emulated: the 32-bit side of $prefix was not set up" >&2
    exit 1
  fi
  touch "$prefix/wow64-ready"
}

command=$1; shift
case $command in
  prepare) prepare "$@" ;;
  prefix) prefix "$@" ;;
  *) echo "wine32-emulated.sh: unknown command $command" >&2; exit 2 ;;
esac
