#!/bin/sh
# Runs a built Windows program under Wine in the build folder's own prefix, never the user's.
# HQ_WINEPREFIX is set by ctest; outside ctest the prefix is ./wineprefix of the current folder.
WINEPREFIX=${HQ_WINEPREFIX:-$PWD/wineprefix}
WINEDEBUG=${WINEDEBUG:--all}
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
