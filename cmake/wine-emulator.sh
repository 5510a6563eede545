#!/bin/sh
# Runs a built Windows program of one build (x86 or x64) under Wine in the build folder's own
# prefix, never the user's: wine-emulator.sh BUILD PROGRAM [ARGS...]. HQ_WINEPREFIX is set by
# ctest; outside ctest the prefix is ./wineprefix of the current folder. Exits 77 (a skip for
# ctest) when this host cannot run the build.
build=$1
shift
WINEPREFIX=${HQ_WINEPREFIX:-$PWD/wineprefix}
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX WINEDLLOVERRIDES
exec "$(dirname "$0")/../tools/wine-host.sh" exec "$build" "$@"
