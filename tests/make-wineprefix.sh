#!/bin/sh
# Creates (or updates) the tests' own Wine prefix and waits until Wine has settled.
set -e
export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -u
wineserver -w
