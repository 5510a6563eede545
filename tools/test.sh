#!/bin/bash
# Installs what is missing, builds both builds, and runs every test of each under Xvfb, in the
# build folder's own Wine prefix (build/x86/wineprefix, build/x64/wineprefix), never the
# user's. A build this host cannot run shows its tests as skipped; the 64-bit tests still read
# the 32-bit program as data. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
bash tools/build.sh
unset WINEPREFIX
tools/wine-host.sh default >/dev/null    # says what is missing when neither build can run

tested=() skipped=() failed=()
for build in x86 x64; do
    if [ ! -f "build/$build/HarvexQuadrell.exe" ]; then
        echo "test: the $build build was not made (build/$build/HarvexQuadrell.exe is missing)"
        failed+=("$build")
        continue
    fi
    if reason=$(tools/wine-host.sh can "$build"); then
        echo "test: the $build build runs here: testing it"
        tested+=("$build")
    else
        echo "test: the $build build cannot run here, its tests are skipped: $reason"
        skipped+=("$build")
    fi
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "build/$build" --output-on-failure "$@" ||
        failed+=("$build")
done

echo
echo "test: builds tested: ${tested[*]:-none}; skipped: ${skipped[*]:-none}; failed: ${failed[*]:-none}"
[ ${#failed[@]} -eq 0 ]
