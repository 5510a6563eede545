#!/bin/sh
# Creates (or updates) one build's test prefix, as a user's prefix is prepared:
# make-wineprefix.sh BUILD PREFIX. Windows are left unmanaged: with no window manager on the
# test display, Wine would wait for one to map every new window. Exits 77 (a skip for ctest)
# when this host cannot run the build.
set -e
build=$1 prefix=$2
host="$(dirname "$0")/../tools/wine-host.sh"
if ! reason=$("$host" can "$build"); then
    echo "skipped: the $build build cannot run here: $reason"
    exit 77
fi
"$(dirname "$0")/../tools/prepare-prefix.sh" "$build" "$prefix"
WINEPREFIX="$prefix" "$host" exec "$build" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
WINEPREFIX="$prefix" "$host" server "$build" -w
