#!/bin/bash
# Opens and ends the dialog many times in a row, OK and Cancel in turn; prints whether the program grows.
# Usage: repeat-runs.sh [count, default 300]; HQ_BUILD picks the build (x86 or x64).
exec bash "$(dirname "$0")/robustness.sh" --repeat-runs "${1:-300}"
