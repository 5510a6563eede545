#!/bin/bash
# Runs the program through random stored values round after round; prints rounds, crashes, hangs, mismatches.
# Usage: robustness.sh [rounds, default 300] [seed, default a new one]; a failing round prints how to replay it.
# HQ_BUILD_DIR picks the build folder (default build/); LANG and LC_ALL pick the code page (zh_TW.UTF-8: 950).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
cd "$(dirname "$0")/.."
root=$(pwd)

rounds=${1:-300}
seed=${2:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
build=${HQ_BUILD_DIR:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target HarvexQuadrell robustness_test >/dev/null
build=$(cd "$build" && pwd)
prefix=$build/wineprefix
[ -d "$prefix/drive_c" ] || tests/make-wineprefix.sh "$prefix" >/dev/null 2>&1
export HQ_WINEPREFIX=$prefix HQ_EXE=HarvexQuadrell.exe
# A crash ends the program at once instead of waiting on the debugger's dialog.
cmake/wine-emulator.sh reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true

cd "$build"
"$root/cmake/wine-emulator.sh" tests/robustness_test.exe --rounds="$rounds" --seed="$seed" </dev/null 2>/dev/null
