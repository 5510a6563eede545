#!/bin/bash
# Takes the README's screenshots under Xvfb: the settings dialog with a custom icon, its system
# menu, and the About box. Uses a Wine prefix of its own in build/screenshot-prefix, and the
# build this host runs (or the one named: screenshots.sh [x86|x64]).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
command -v xdotool >/dev/null && command -v import >/dev/null || {
    as_root=(); [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xdotool imagemagick >/dev/null
}
arch=${1:-$(tools/wine-host.sh default)}
bash tools/build.sh "$arch" >/dev/null
wine() { tools/wine-host.sh exec "$arch" "$@"; }
wineserver() { tools/wine-host.sh server "$arch" "$@"; }
winepath() { wine winepath "$@" | tr -d '\r'; }

export WINEPREFIX=$PWD/build/screenshot-prefix-$arch WINEDEBUG=-all
bash tools/prepare-prefix.sh "$arch"
# No window manager runs on Xvfb: Wine draws the frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
key='HKCU\Software\Tollbury\Harvex\Config'
wine reg delete "$key" /f >/dev/null 2>&1 || true
wine reg add "$key" /v TrayIconNormal /d "$(winepath -w res/main.ico)" /f >/dev/null
wine reg add "$key" /v UserAgent /d "mozilla/4.0" /f >/dev/null
wineserver -w

shoot() {   # file, then the width and height of the area at the top left
    import -window root -crop "$2x$3+0+0" "docs/$1"
}

export DISPLAY=:$((100 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k; kill $xvfb' EXIT
sleep 1

wine "build/$arch/HarvexQuadrell.exe" &
sleep 3
window=$(xdotool search --name '^Harvex Quadrell$' | head -n 1)
xdotool windowmove "$window" 0 0
sleep 0.5
shoot settings.png 480 460

xdotool windowfocus "$window" key alt+space
sleep 1
shoot system-menu.png 480 460

xdotool key Up Return
sleep 1.5
about=$(xdotool search --name 'HarvexAnal' | head -n 1)
xdotool windowmove "$about" 40 60
sleep 0.5
shoot about.png 480 460
