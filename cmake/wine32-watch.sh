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
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
strace -f -qq --seccomp-bpf -e trace=execve -e signal=none -o "$log" "$@" || status=$?
native=0
# Each successful execve: "PID execve("FILE", ...) = 0".
while IFS= read -r file; do
  # ELF, class 1 (32-bit), machine 3 (i386).
  if [ "$(od -An -tx1 -N5 "$file" 2>/dev/null | tr -d ' ')" = 7f454c4601 ] &&
     [ "$(od -An -tx1 -j18 -N2 "$file" | tr -d ' ')" = 0300 ]; then
    echo "wine32-watch: executed natively: $file" >&2
    native=1
  fi
done < <(sed -n 's/^[0-9]* *execve("\([^"]*\)".* = 0$/\1/p' "$log" | sort -u)
echo "wine32-watch: $(grep -c ' = 0$' "$log") programs started, none of them 32-bit natively" \
  "$( [ $native = 0 ] || echo '(NOT SO)')" >&2
[ $native = 0 ] || exit 1
exit $status
