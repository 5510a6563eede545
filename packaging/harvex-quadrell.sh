#!/bin/bash
# Opens the Harvex Quadrell settings dialog under Wine, in $WINEPREFIX (the download manager's
# prefix) or Wine's default ~/.wine: the 32-bit program where this host runs 32-bit code, else
# the 64-bit one. The first start in a prefix links the dialog's fonts there, once.
set -euo pipefail
lib=$(cd "$(dirname "$(readlink -f "$0")")/../lib/harvex-quadrell" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    echo "harvex-quadrell: no display; start it from a desktop session (or under xvfb-run -a)" >&2
    exit 1
fi
if [ ! -x /usr/lib/wine/wine64 ] && [ ! -x /usr/lib/wine/wine ]; then
    echo "harvex-quadrell: Wine is not installed (as root: apt-get install wine wine64)" >&2
    exit 1
fi

build=x64
if [ -f "$lib/x86/HarvexQuadrell.exe" ] && "$lib/wine-host.sh" can x86 >/dev/null; then
    build=x86
fi
if [ ! -f "$lib/$build/HarvexQuadrell.exe" ]; then
    echo "harvex-quadrell: the $build program is not installed in $lib and this host cannot run the other" >&2
    exit 1
fi
if ! reason=$("$lib/wine-host.sh" can "$build"); then
    echo "harvex-quadrell: the $build program cannot run here: $reason" >&2
    exit 1
fi

prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/.harvex-quadrell-fonts" ]; then
    "$lib/prepare-prefix.sh" "$build" "$prefix"
    touch "$prefix/.harvex-quadrell-fonts"
fi
export WINEPREFIX=$prefix
exec "$lib/wine-host.sh" exec "$build" "$lib/$build/HarvexQuadrell.exe"
