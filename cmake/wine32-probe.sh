#!/usr/bin/env bash
# Prints how this machine runs 32-bit Windows programs: "direct" when it executes 32-bit x86
# code (32-bit Wine runs as it is), "emulated" when it does not (some machines boot with 32-bit
# execution off: a 32-bit ELF gets ENOEXEC) and only the 32-bit Wine process runs under
# qemu-i386. SKELVANE_WIN32_PATH=direct|emulated overrides the probe.
set -eu
case ${SKELVANE_WIN32_PATH:-} in
  direct|emulated) echo "$SKELVANE_WIN32_PATH"; exit 0 ;;
  "") ;;
  *) echo "SKELVANE_WIN32_PATH must be direct or emulated, not '$SKELVANE_WIN32_PATH'" >&2; exit 2 ;;
esac
# The smallest static i386 program: one load segment whose code is exit(42).
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
b() { printf "$1"; }
{
  b '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'
  b '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000'
  b '\064\000\040\000\001\000\000\000\000\000\000\000'
  b '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'
  b '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'
  b '\270\001\000\000\000\273\052\000\000\000\315\200'
} >"$probe"
chmod +x "$probe"
status=0
"$probe" 2>/dev/null || status=$?
if [ "$status" = 42 ]; then echo direct; else echo emulated; fi
