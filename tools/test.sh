#!/bin/bash
# Installs what is missing, builds, and runs every test under Xvfb in the build folder's own
# Wine prefix (build/wineprefix), never the user's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
bash tools/build.sh
unset WINEPREFIX
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure "$@"
