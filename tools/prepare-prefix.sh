#!/bin/bash
# Prepares a Wine prefix for the program: creates it if needed and links the dialogs' font,
# MS Sans Serif, and the menus' font, Tahoma, to an installed font with Chinese characters, so
# the captions show whatever the locale. The ANSI code page stays the locale's.
# Usage: prepare-prefix.sh BUILD [PREFIX]   BUILD: x86 or x64, the build that will run there;
#        PREFIX defaults to $WINEPREFIX, or Wine's own default.
set -euo pipefail
build=${1:?usage: prepare-prefix.sh x86|x64 [prefix]}
if [ $# -gt 1 ]; then
    export WINEPREFIX="$2"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
host="$(dirname "$0")/wine-host.sh"

link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
font='wqy-microhei.ttc,WenQuanYi Micro Hei'

# A new 64-bit prefix on a host without 32-bit code reports that its 32-bit half cannot be set up.
"$host" exec "$build" wineboot -u 2>&1 >/dev/null | { grep -v 'syswow64' >&2 || true; }
for face in "MS Sans Serif" "Tahoma"; do
    "$host" exec "$build" reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$font" /f >/dev/null
    # A 64-bit prefix keeps a second view of the key; a 32-bit one ignores the switch.
    "$host" exec "$build" reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$font" /f /reg:64 >/dev/null 2>&1 || true
done
"$host" server "$build" -w
