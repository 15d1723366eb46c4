#!/usr/bin/env bash
# Calls each of the four plug-ins of a Windows tree through that tree's test host with
# randomised filter records (see host/FuzzRecords.h), their dialogs answered by scripts.
#   scripts/fuzz-records.sh [win64|win32] [records a plug-in, default 500]
# The seed is printed; SKELVANE_FUZZ_SEED picks another. The four run side by side on one X
# server (the answers are posted clicks and closes, which need neither focus nor the mouse).
# Fails when any record fails; each plug-in's log goes to build/artifacts.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-win64}
records=${2:-500}
seed=${SKELVANE_FUZZ_SEED:-1}
host="$root/build/$tree/host/skelvane-host.exe"
logs="$root/build/artifacts"
plugins="lucyrichardson/SVLucyRichardson maxent/SVMaxEnt ddp/SVDDP statistics/SVStatistics"

if [ -z "${SKELVANE_FUZZ_INSIDE:-}" ]; then
  export WINEPREFIX=${WINEPREFIX:-$root/build/$tree/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  "$root/cmake/wine-prefix.sh" "$WINEPREFIX"
  mkdir -p "$logs"
  echo "fuzzed filter records: $tree, $records a plug-in, seed $seed"
  SKELVANE_FUZZ_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$tree" "$records"
fi

pids=""
for plugin in $plugins; do
  name=$(basename "$plugin")
  "$root/cmake/wine-run.sh" "$host" --plugin "$root/build/$tree/$plugin.8bf" \
    --fuzz-records "$records" --seed "$seed" >"$logs/fuzz-records-$tree-$name.log" 2>&1 &
  pids="$pids $!"
done
status=0
set -- $plugins
for pid in $pids; do
  name=$(basename "$1"); shift
  if wait "$pid"; then code=0; else code=$?; fi
  log="$logs/fuzz-records-$tree-$name.log"
  summary=$(grep '^fuzz: [0-9]' "$log" || true)
  echo "$name: ${summary:-no summary (exit $code)}"
  if [ "$code" != 0 ]; then
    grep -A4 '^record ' "$log" | head -40 || true
    status=1
  fi
done
exit $status
