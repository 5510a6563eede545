#!/bin/bash
# Makes dist/: one zip per build, HarvexQuadrell-VERSION-x86.zip and -x64.zip, each holding
# HarvexQuadrell.exe and README.txt, and dist/SHA256SUMS over them. The same commit gives the
# same bytes: the programs carry no time stamp or build folder, and the zips list their files in
# a fixed order with the commit's time (SOURCE_DATE_EPOCH, when not set already).
# Then each zip the host can run is unpacked and its program started and OK'd by the tests.
# Usage: release.sh [--allow-dirty] [--no-check]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

allow_dirty=0 check=1
for argument in "$@"; do
    case "$argument" in
        --allow-dirty) allow_dirty=1 ;;
        --no-check) check=0 ;;
        *) echo "release: unknown option $argument (--allow-dirty, --no-check)" >&2; exit 64 ;;
    esac
done

for tool in git:git zip:zip unzip:unzip sha256sum:coreutils; do
    command -v "${tool%%:*}" >/dev/null || { echo "release: ${tool%%:*} is missing (package ${tool#*:})" >&2; exit 1; }
done
if [ -n "$(git status --porcelain)" ]; then
    if [ $allow_dirty = 0 ]; then
        echo "release: the work tree has uncommitted changes; commit them, or go on with --allow-dirty" >&2
        exit 1
    fi
    echo "release: going on with uncommitted changes: the zips are not those of $(git rev-parse --short HEAD)" >&2
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(HarvexQuadrell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

bash tools/setup.sh
rm -rf dist
mkdir dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for build in x86 x64; do
    cmake -S . -B "build/$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$build.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "build/$build" -j "$(nproc)" --target HarvexQuadrell >/dev/null
    mkdir "$stage/$build"
    cp "build/$build/HarvexQuadrell.exe" "$stage/$build/HarvexQuadrell.exe"
    cp packaging/README-Windows.txt "$stage/$build/README.txt"
    chmod 644 "$stage/$build"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage/$build"/*
    # -X: no owner or extra time fields; -D: no folder entries; UTC: zip keeps local times.
    (cd "$stage/$build" && TZ=UTC zip -q -X -D "$root/dist/HarvexQuadrell-$version-$build.zip" \
        HarvexQuadrell.exe README.txt)
done
(cd dist && sha256sum HarvexQuadrell-*.zip >SHA256SUMS)
echo "release: dist/ for $(git rev-parse --short HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
sed 's/^/  /' dist/SHA256SUMS

[ $check = 1 ] || exit 0
# Each unpacked program must start, show what is stored and store the nine values on OK.
for build in x86 x64; do
    zip=dist/HarvexQuadrell-$version-$build.zip
    if ! reason=$(tools/wine-host.sh can "$build"); then
        echo "release: $zip not started here: $reason"
        continue
    fi
    cmake --build "build/$build" -j "$(nproc)" --target program_test >/dev/null
    unpacked=build/$build/release-check
    rm -rf "$unpacked"
    unzip -q "$zip" -d "$unpacked"
    prefix=$root/build/$build/wineprefix
    [ -d "$prefix/drive_c" ] || tests/make-wineprefix.sh "$build" "$prefix" >/dev/null 2>&1
    (cd "build/$build" && HQ_WINEPREFIX=$prefix HQ_EXE=release-check/HarvexQuadrell.exe \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$root/cmake/wine-emulator.sh" "$build" tests/program_test.exe \
        --gtest_filter='ProgramTest.*:*StoredValueTest*' --gtest_brief=1 </dev/null) >"$unpacked.log" 2>&1 ||
        { echo "release: the program in $zip failed its start and OK tests (build/$build/release-check.log)" >&2; exit 1; }
    echo "release: $zip unpacked, started and OK'd: $(grep -o '[0-9]* tests\?' "$unpacked.log" | tail -n 1) passed"
done
