#!/bin/bash
# Prepares a Wine prefix for the program: creates it if needed and links the dialogs' font,
# MS Sans Serif, and the menus' font, Tahoma, to an installed font with Chinese characters, so
# the captions show whatever the locale. The ANSI code page stays the locale's.
# Usage: prepare-prefix.sh [prefix]   (default: $WINEPREFIX, or Wine's own default)
set -euo pipefail
if [ $# -gt 0 ]; then
    export WINEPREFIX="$1"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
font='wqy-microhei.ttc,WenQuanYi Micro Hei'

wineboot -u
for face in "MS Sans Serif" "Tahoma"; do
    wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$font" /f >/dev/null
    # A 64-bit prefix keeps a second view of the key; a 32-bit one ignores the switch.
    wine reg add "$link" /v "$face" /t REG_MULTI_SZ /d "$font" /f /reg:64 >/dev/null 2>&1 || true
done
wineserver -w
