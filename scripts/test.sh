#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree and runs every test, as a list
# of steps, each timed; the first step that fails ends the run and is named. A check that failed
# is never tried again. SKELVANE_WIN32_PATH=direct|emulated chooses how 32-bit programs run (by
# default the machine is probed, see cmake/wine32-probe.sh); SKELVANE_WINE_SLOTS is the number
# of Windows test programs run side by side (default 4).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export SKELVANE_ARTIFACTS="$root/build/artifacts"

step_setup() { "$root/scripts/setup.sh"; }

# The Windows trees' Wine prefixes are made beside the build: Wine's set-up mostly waits.
step_build() {
  local log=$root/build/prefixes.log
  mkdir -p "$root/build"
  { "$root/cmake/wine-prefix.sh" "$root/build/win64/wineprefix" &&
    "$root/cmake/wine32.sh" env "$root/build"; } >"$log" 2>&1 &
  local prefixes=$!
  local built=0
  "$root/scripts/build.sh" || built=$?
  wait $prefixes || { cat "$log"; return 1; }
  return $built
}

step_native_tests() { ctest --test-dir "$root/build/native" --output-on-failure -j "$jobs"; }

# The native suites once more under AddressSanitizer and UBSan, in a tree of their own. Any
# report fails its test; the readers expect a refused allocation to come back empty.
step_sanitize_tests() {
  [ -f "$root/build/sanitize/build.ninja" ] ||
    cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DSKELVANE_SANITIZE=ON >/dev/null
  cmake --build "$root/build/sanitize" -j "$jobs"
  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:allocator_may_return_null=1:detect_leaks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs"
}

# The x86_64 build under 64-bit Wine.
step_win64_tests() { "$root/cmake/wine-tests.sh" "$root/build/win64"; }

# Each plug-in of a Windows tree called through its entry with randomised filter records; the
# win32 tree on a seed of its own, with fewer records where each takes a few times longer.
step_fuzz_records_win64() { "$root/scripts/fuzz-records.sh" win64 500; }

step_fuzz_records_win32() {
  local records=500
  [ "$path" = direct ] || records=100
  SKELVANE_FUZZ_SEED=2 "$root/scripts/fuzz-records.sh" win32 "$records"
}

# The i686 build, the deliverable one, under 32-bit Wine on the path this machine takes.
step_win32_tests() {
  echo "32-bit Windows programs run on the $path path"
  "$root/cmake/wine-tests.sh" "$root/build/win32"
}

# The four .8bf files of the win32 tree end to end through the win32 test host, their result
# files and host reports compared byte for byte with the win64 build's.
step_win32_deliverables() {
  "$root/tests/deliverables/compare.sh" "$root/build"
}

# The README's main job, on the trees built above.
step_demo() { "$root/scripts/demo.sh"; }

steps="setup build native_tests sanitize_tests win64_tests fuzz_records_win64 win32_tests
  win32_deliverables fuzz_records_win32 demo"

path=$("$root/cmake/wine32-probe.sh")
mkdir -p "$SKELVANE_ARTIFACTS"
timings=""
for step in $steps; do
  echo "== $step"
  started=$(date +%s)
  status=0
  # Each step in a shell of its own, so that no step's Wine settings reach the next one; started
  # apart and waited for, so that the first failing command in it ends it.
  ( "step_$step" ) &
  wait $! || status=$?
  timings="$timings$(printf '%-20s %4d s' "$step" $(( $(date +%s) - started )))"$'\n'
  if [ $status != 0 ]; then
    echo "== $step FAILED (status $status)"
    printf '%s' "$timings"
    exit $status
  fi
done
echo "== times"
printf '%s' "$timings"
echo "Screenshots and images written by the tests: build/artifacts"
