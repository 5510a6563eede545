#!/bin/bash
# Installs what is missing, builds, and opens the settings dialog under Wine on this display.
# The settings go to $WINEPREFIX when set (the host program's prefix), else Wine's default.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
    echo "run: no display; run this in a desktop session, or without one: xvfb-run -a bash tools/run.sh" >&2
    exit 1
fi

bash tools/setup.sh
bash tools/build.sh
bash tools/prepare-prefix.sh
WINEDEBUG=-all exec wine build/HarvexQuadrell.exe
