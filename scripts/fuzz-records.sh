#!/usr/bin/env bash
# Calls each of the four plug-ins of a Windows tree through that tree's test host with
# randomised filter records (see host/FuzzRecords.h), their dialogs answered by scripts.
#   scripts/fuzz-records.sh [win64|win32] [records a plug-in, default 500]
# The seed is printed; SKELVANE_FUZZ_SEED picks another (default 1). The four run side by side,
# each in a slot of a pool of the tree's prefix (cmake/wine-pool.sh), which is stopped however
# the run ends; each within SKELVANE_WINE_TIMEOUT (default 900 s). Fails when any record fails;
# each plug-in's log goes to build/artifacts.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/cmake/common.sh"
tree=${1:-win64}
records=${2:-500}
seed=${SKELVANE_FUZZ_SEED:-1}
host="$root/build/$tree/host/skelvane-host.exe"
logs="$root/build/artifacts"
plugins="lucyrichardson/SVLucyRichardson maxent/SVMaxEnt ddp/SVDDP statistics/SVStatistics"
pool="$root/build/$tree/fuzz-pool"

wine_tree_env "$root/build/$tree"
mkdir -p "$logs"
trap '"$root/cmake/wine-pool.sh" stop "$pool"' EXIT
trap 'exit 130' INT TERM
assignment=$("$root/cmake/wine-pool.sh" start "$pool" "$WINEPREFIX" 4)
eval "$assignment"
export SKELVANE_WINE_TIMEOUT=${SKELVANE_WINE_TIMEOUT:-900}
echo "fuzzed filter records: $tree, $records a plug-in, seed $seed"

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
    grep -A4 '^record \|^time limit' "$log" | head -40 || true
    status=1
  fi
done
exit $status
