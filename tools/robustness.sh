#!/bin/bash
# Runs the program through random stored values round after round; prints rounds, crashes, hangs
# and mismatches. With --repeat-runs it opens and ends the dialog many times instead and prints
# whether the program grows.
# Usage: robustness.sh [rounds, default 300] [seed, default a new one]; a failing round prints how
#        to replay it.  robustness.sh --repeat-runs [count, default 300]
# HQ_BUILD picks the build, x86 or x64 (default: the one this host runs, see wine-host.sh); LANG
# and LC_ALL pick the code page (zh_TW.UTF-8: 950).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" = --repeat-runs ]; then
    mode=(--repeat-runs="${2:-300}")
else
    mode=(--rounds="${1:-300}" --seed="${2:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}")
fi
arch=${HQ_BUILD:-$(tools/wine-host.sh default)}
if ! reason=$(tools/wine-host.sh can "$arch"); then
    echo "robustness: the $arch build cannot run here: $reason" >&2
    exit 1
fi
bash tools/build.sh "$arch" >/dev/null
echo "robustness: the $arch build, build/$arch/HarvexQuadrell.exe"
build=$root/build/$arch
prefix=$build/wineprefix
[ -d "$prefix/drive_c" ] || tests/make-wineprefix.sh "$arch" "$prefix" >/dev/null 2>&1
export HQ_WINEPREFIX=$prefix HQ_EXE=HarvexQuadrell.exe
# A crash ends the program at once instead of waiting on the debugger's dialog.
cmake/wine-emulator.sh "$arch" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true

# Standard input from /dev/null: with a terminal or pipe there, Wine takes seconds to end a GUI process.
cd "$build"
"$root/cmake/wine-emulator.sh" "$arch" tests/robustness_test.exe "${mode[@]}" </dev/null 2>/dev/null
