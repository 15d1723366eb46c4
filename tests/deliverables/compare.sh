#!/usr/bin/env bash
# The four deliverables end to end: each .8bf of the win32 tree through the win32 test host on
# a real frame, an RGB crop of it and a 32-bit float crop, its dialog driven by its script here,
# and the result file and the host's report compared byte for byte with those of the win64
# build on the same input and script. Any difference fails.
#
# Each run must end within its time limit with status 0, which the test host gives only when
# the plug-in was called and the dialog script ran to its end.
#
#   compare.sh BUILD
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
. "$root/cmake/common.sh"
wine_tree_env "$build/win32"
out=$build/deliverables
rm -rf "$out"
mkdir -p "$out/frames" "$out/win32" "$out/win64"
"$build/native/tests/deliverables/TestFrames" "$root/samples/m51-simple.fits" 160 "$out/frames"

plugins="lucyrichardson/SVLucyRichardson.8bf maxent/SVMaxEnt.8bf ddp/SVDDP.8bf
  statistics/SVStatistics.8bf"
frames="gray16.fits rgb16.ppm float32.pfm"
slots=${SKELVANE_WINE_SLOTS:-4}
trap '"$root/cmake/wine-pool.sh" stop "$out/pool"' EXIT
trap 'exit 130' INT TERM
assignment=$("$root/cmake/wine-pool.sh" start "$out/pool" "$WINEPREFIX" "$slots")
eval "$assignment"

# One line per run: tree plug-in frame [name host-options...]. The last run calls the 32-bit
# Lucy-Richardson filter as a host built with another compiler may: x87 precision at 53 bits,
# the stack aligned to 4 bytes only; it must still write the win64 build's bytes.
runs=$out/runs
: >"$runs"
for plugin in $plugins; do
  for frame in $frames; do
    for tree in win32 win64; do echo "$tree $plugin $frame" >>"$runs"; done
  done
done
hostile=SVLucyRichardson-hostile-gray16.fits
echo "win32 lucyrichardson/SVLucyRichardson.8bf gray16.fits $hostile --x87-precision 53 --stack-align 4" >>"$runs"
run() { # tree plugin frame [name host-options...]
  local tree=$1 plugin=$2 frame=$3 name=${4:-}
  shift 3; [ $# = 0 ] || shift
  [ -n "$name" ] || name=$(basename "$plugin" .8bf)-$frame
  if SKELVANE_WINE_TIMEOUT=300 "$root/cmake/wine-run.sh" "$build/$tree/host/skelvane-host.exe" \
      "$@" --plugin "$build/$tree/$plugin" --in "$out/frames/$frame" \
      --script "$here/$(dirname "$plugin").script" --artifacts "$out/$tree" \
      --out "$out/$tree/$name" --report "$out/$tree/$name.report" \
      >"$out/$tree/$name.log" 2>&1; then
    echo "ran $tree $name"
  else
    echo "FAILED $tree $name (status $?):"; cat "$out/$tree/$name.log"
    return 1
  fi
}
export -f run
export root build out here
failed=0 compared=0
xargs -P "$slots" -L 1 bash -c 'run "$@"' _ <"$runs" || failed=1
for plugin in $plugins; do
  for frame in $frames; do
    name=$(basename "$plugin" .8bf)-$frame
    for file in "$name" "$name.report"; do
      compared=$((compared + 1))
      if [ ! -f "$out/win32/$file" ] || ! cmp -s "$out/win32/$file" "$out/win64/$file"; then
        echo "DIFFERENT: $file (win32 and win64 in $out)"
        failed=1
      fi
    done
    # The statistics filter only shows figures: it ends as a cancel, so the host applies nothing.
    expected='^applied=1'
    [ "$plugin" != statistics/SVStatistics.8bf ] || expected='^result=-128'
    grep -q "$expected" "$out/win32/$name.report" 2>/dev/null ||
      { echo "NOT AS EXPECTED ($expected): $name"; failed=1; }
  done
done
for file in "" .report; do
  compared=$((compared + 1))
  if ! cmp -s "$out/win32/$hostile$file" "$out/win64/SVLucyRichardson-gray16.fits$file"; then
    echo "DIFFERENT: $hostile$file (win32, called at 53 bits with a 4-byte stack) and win64"
    failed=1
  fi
done
echo "deliverables: $compared files compared between the win32 and win64 runs"
exit $failed
