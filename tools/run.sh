#!/bin/bash
# Installs what is missing, builds, and opens the settings dialog under Wine on this display:
# the 32-bit build where this host runs 32-bit code, else the 64-bit one (or the one named).
# The settings go to $WINEPREFIX when set (the host program's prefix), else Wine's default.
# Usage: run.sh [x86|x64]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
    echo "run: no display; run this in a desktop session, or without one: xvfb-run -a bash tools/run.sh" >&2
    exit 1
fi

bash tools/setup.sh
build=${1:-$(tools/wine-host.sh default)}
if ! reason=$(tools/wine-host.sh can "$build"); then
    echo "run: the $build build cannot run here: $reason" >&2
    exit 1
fi
# The prefix first: one this build cannot use is refused before anything is built.
bash tools/prepare-prefix.sh "$build"
bash tools/build.sh "$build" >/dev/null
note=
if [ "$build" = x64 ] && [ -z "${1:-}" ]; then
    note=" ($(tools/wine-host.sh can x86 || true))"
fi
echo "run: opening the $build build, build/$build/HarvexQuadrell.exe$note"
exec tools/wine-host.sh exec "$build" "build/$build/HarvexQuadrell.exe"
