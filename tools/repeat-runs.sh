#!/bin/bash
# Opens and ends the dialog many times in a row, OK and Cancel in turn; prints whether the program grows.
# Usage: repeat-runs.sh [count, default 300]; HQ_BUILD_DIR picks the build folder (default build/).
exec bash "$(dirname "$0")/robustness.sh" --repeat-runs "${1:-300}"
