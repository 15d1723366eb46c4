#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree and runs every test.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
jobs=$(nproc)

echo "== native tests"
ctest --test-dir "$root/build/native" --output-on-failure -j "$jobs"

echo "== native tests under AddressSanitizer and UBSan (build/sanitize)"
[ -f "$root/build/sanitize/build.ninja" ] ||
  cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DSKELVANE_SANITIZE=ON >/dev/null
cmake --build "$root/build/sanitize" -j "$jobs"
# Any report fails its test; the readers expect a refused allocation to come back empty.
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:allocator_may_return_null=1:detect_leaks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs"

echo "== Windows tests under Wine (x86_64 build)"
export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/cmake/wine-prefix.sh" "$WINEPREFIX"
export SKELVANE_ARTIFACTS="$root/build/artifacts"
mkdir -p "$SKELVANE_ARTIFACTS"
# The dialog tests share one display, its focus and its mouse, so they run one at a time.
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$root/build/win64" --output-on-failure -j 1

echo "== fuzzed filter records through each plug-in's entry (x86_64 build)"
"$root/scripts/fuzz-records.sh" win64 500
# The 32-bit build too, where 32-bit Wine runs it: the host then prints its usage and gives 2.
host32="$root/build/win32/host/skelvane-host.exe"
runs_win32() {
  [ -x /usr/lib/wine/wine ] && [ -f "$host32" ] || return 1
  local code=0
  "$root/cmake/wine-run.sh" "$host32" >/dev/null 2>&1 </dev/null || code=$?
  [ "$code" = 2 ]
}
if runs_win32; then
  echo "== fuzzed filter records through each plug-in's entry (i686 build)"
  "$root/scripts/fuzz-records.sh" win32 500
fi
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
echo "Screenshots and images written by the tests: build/artifacts"
