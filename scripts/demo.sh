#!/usr/bin/env bash
# The main job: a plug-in applied to a real telescope frame through the test host under Xvfb.
# Until the first filter library exists this runs the framework's test plug-in, whose dialog
# writes the inverted frame on OK.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
out="$root/build/demo"
mkdir -p "$out"
cat > "$out/demo.script" <<'SCRIPT'
window "Skelvane Test Filter"
screenshot dialog.png
click btnOK
wait-closed
SCRIPT
echo "demo: the test plug-in (no filter library is built yet) on samples/m51-simple.fits"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$root/cmake/wine-run.sh" "$root/build/win64/host/skelvane-host.exe" \
  --plugin "$root/build/win64/tests/testplugin/TestLucyRichardson.8bf" \
  --in "$root/samples/m51-simple.fits" --out "$out/m51-result.fits" \
  --script "$out/demo.script" --artifacts "$out"
echo "demo: wrote $out/m51-result.fits and $out/dialog.png"
