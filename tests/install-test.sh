#!/bin/bash
# The install step: installs the build folder into a scratch prefix and checks what a Wine user
# gets: both programs where both were built, the launcher, a desktop entry that validates, and
# the icon as 16 and 32 pixel PNGs. Usage: install-test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
prefix=$build/install-test
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() { echo "install-test: $*"; failed=1; }
for file in lib/harvex-quadrell/x86/HarvexQuadrell.exe lib/harvex-quadrell/x64/HarvexQuadrell.exe \
            lib/harvex-quadrell/wine-host.sh lib/harvex-quadrell/prepare-prefix.sh bin/harvex-quadrell; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/harvex-quadrell" ] || fail "the launcher is not executable"
cmp -s "$build/HarvexQuadrell.exe" "$prefix/lib/harvex-quadrell/$(basename "$build")/HarvexQuadrell.exe" ||
    fail "the installed program is not this build's"

desktop=$prefix/share/applications/harvex-quadrell.desktop
if output=$(desktop-file-validate "$desktop" 2>&1); then
    grep -qx 'Exec=harvex-quadrell' "$desktop" && grep -qx 'Icon=harvex-quadrell' "$desktop" ||
        fail "the desktop entry does not start the launcher with its icon"
else
    fail "desktop-file-validate: $output"
fi

for size in 16 32; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/harvex-quadrell.png
    # The PNG signature, then the header chunk's width and height as big-endian numbers.
    header=$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')
    [ "${header:0:16}" = 89504e470d0a1a0a ] || { fail "no PNG at $png"; continue; }
    [ $((16#${header:32:8})) -eq $size ] && [ $((16#${header:40:8})) -eq $size ] ||
        fail "$png is not $size by $size"
done

# Without a display the launcher says so in one line and starts nothing.
message=$(env -u DISPLAY "$prefix/bin/harvex-quadrell" 2>&1) && fail "the launcher ran without a display"
[ "$(printf '%s\n' "$message" | wc -l)" -eq 1 ] && [[ "$message" == *"no display"* ]] ||
    fail "without a display the launcher said: $message"

rm -rf "$prefix"
[ $failed -eq 0 ] && echo "install-test: installed, launcher, desktop entry and icons as expected"
exit $failed
