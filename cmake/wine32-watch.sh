#!/usr/bin/env bash
# Runs a command; when the emulated path was asked for on a machine that executes 32-bit code,
# under strace, failing if any 32-bit x86 program was executed natively: that would pass here
# and fail where 32-bit execution is off.
#
#   wine32-watch.sh COMMAND...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ "$("$here/wine32-probe.sh")" != emulated ] ||
   [ "$(SKELVANE_WIN32_PATH= "$here/wine32-probe.sh")" != direct ]; then
  exec "$@"
fi
if ! command -v strace >/dev/null; then
  echo "wine32-watch: no strace here, native 32-bit execution is not watched" >&2
  exec "$@"
fi
traces=$(mktemp -d)
trap 'rm -rf "$traces"' EXIT
status=0
# One file per process, so that no call is split by another process's line.
strace -ff -qq --seccomp-bpf -e trace=execve -e signal=none -o "$traces/trace" "$@" || status=$?
log=$traces/all
cat "$traces"/trace.* >"$log"
native=0
# Each successful execve: "execve("FILE", ...) = 0".
while IFS= read -r file; do
  # ELF, class 1 (32-bit), machine 3 (i386).
  if [ "$(od -An -tx1 -N5 "$file" 2>/dev/null | tr -d ' ')" = 7f454c4601 ] &&
     [ "$(od -An -tx1 -j18 -N2 "$file" | tr -d ' ')" = 0300 ]; then
    echo "wine32-watch: executed natively: $file" >&2
    native=1
  fi
done < <(sed -n 's/^execve("\([^"]*\)".* = 0$/\1/p' "$log" | sort -u)
started=$(grep -c ' = 0$' "$log" || true)
if [ $native != 0 ]; then
  echo "wine32-watch: of $started programs started, some were 32-bit and ran natively" >&2
  exit 1
fi
echo "wine32-watch: $started programs started, no 32-bit one natively" >&2
exit $status
