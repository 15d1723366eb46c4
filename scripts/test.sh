#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree and runs every test, as a list
# of steps, each timed. SKELVANE_WIN32_PATH=direct|emulated chooses how 32-bit programs run
# (by default the machine is probed, see cmake/wine32-probe.sh); SKELVANE_WINE_SLOTS is the
# number of Windows test programs run side by side (default 4).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export SKELVANE_ARTIFACTS="$root/build/artifacts"

step_setup() { "$root/scripts/setup.sh"; }

step_build() { "$root/scripts/build.sh"; }

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
step_win64_tests() {
  WINEPREFIX="$root/build/win64/wineprefix" \
    "$root/cmake/wine-tests.sh" "$root/build/win64" "$root/build/win64/wineprefix"
}

# The i686 build, the deliverable one, under 32-bit Wine on the path this machine takes. On the
# emulated path asked for where 32-bit code runs natively, any native 32-bit execution fails.
step_win32_tests() {
  "$root/cmake/wine32-watch.sh" "$root/cmake/wine32.sh" env "$root/build" >"$root/build/wine32.env"
  . "$root/build/wine32.env"
  echo "32-bit Windows programs run on the $SKELVANE_WIN32_PATH path"
  "$root/cmake/wine32-watch.sh" "$root/cmake/wine-tests.sh" "$root/build/win32" "$WINEPREFIX"
}

# The four .8bf files of the win32 tree end to end through the win32 test host, their result
# files and host reports compared byte for byte with the win64 build's.
step_win32_deliverables() {
  . "$root/build/wine32.env"
  "$root/cmake/wine32-watch.sh" "$root/tests/deliverables/compare.sh" "$root/build"
}

# Each plug-in of a Windows tree called through its entry with randomised filter records.
step_fuzz_records_win64() {
  WINEPREFIX="$root/build/win64/wineprefix" "$root/scripts/fuzz-records.sh" win64 500
}

step_fuzz_records_win32() {
  . "$root/build/wine32.env"
  "$root/cmake/wine32-watch.sh" "$root/scripts/fuzz-records.sh" win32 500
}

steps="setup build native_tests sanitize_tests win64_tests fuzz_records_win64 win32_tests
  win32_deliverables fuzz_records_win32"

mkdir -p "$SKELVANE_ARTIFACTS"
timings=""
for step in $steps; do
  echo "== $step"
  started=$(date +%s)
  "step_$step"
  timings="$timings$(printf '%-20s %4d s' "$step" $(( $(date +%s) - started )))"$'\n'
done
echo "== times"
printf '%s' "$timings"
echo "Screenshots and images written by the tests: build/artifacts"
