#!/bin/bash
# Configures and builds the program and its tests (Release, stripped), each build in a folder
# of its own: build/x86 (the 32-bit program) and build/x64 (the 64-bit one).
# Usage: build.sh [x86|x64 ...]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- x86 x64
for build in "$@"; do
    case "$build" in
        x86|x64) ;;
        *) echo "build: unknown build '$build' (x86 or x64)" >&2; exit 64 ;;
    esac
    cmake -S . -B "build/$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$build.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "build/$build" -j "$(nproc)"
done
