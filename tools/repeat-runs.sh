#!/bin/bash
# Opens and ends the dialog many times in a row, OK and Cancel in turn; prints whether the program grows.
# Usage: repeat-runs.sh [count, default 300]; HQ_BUILD_DIR picks the build folder (default build/).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
cd "$(dirname "$0")/.."
root=$(pwd)

count=${1:-300}
build=${HQ_BUILD_DIR:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target HarvexQuadrell robustness_test >/dev/null
build=$(cd "$build" && pwd)
prefix=$build/wineprefix
[ -d "$prefix/drive_c" ] || tests/make-wineprefix.sh "$prefix" >/dev/null 2>&1
export HQ_WINEPREFIX=$prefix HQ_EXE=HarvexQuadrell.exe

cd "$build"
"$root/cmake/wine-emulator.sh" tests/robustness_test.exe --repeat-runs="$count" </dev/null 2>/dev/null
