#!/bin/sh
# Creates (or updates) the tests' own Wine prefix, as a user's prefix is prepared. Windows are
# left unmanaged: with no window manager on the test display, Wine would wait for one to map
# every new window.
set -e
"$(dirname "$0")/../tools/prepare-prefix.sh" "$1"
WINEPREFIX="$1" WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
WINEPREFIX="$1" wineserver -w
