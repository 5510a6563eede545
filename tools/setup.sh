#!/bin/bash
# Installs what building, running and testing need on Debian 12: the mingw-w64 cross compilers
# for both builds, CMake, GoogleTest's sources, 64-bit Wine, Xvfb and a font with Chinese
# characters, the tools of the install step and the release (icotool, desktop-file-validate,
# zip); and 32-bit Wine where this host can run 32-bit code (a wine32 that is already
# installed on a host that cannot is left alone: nothing here uses it).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake make
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    googletest
    wine wine64
    xvfb xauth
    fonts-wqy-microhei
    icoutils desktop-file-utils zip unzip
)
if [ "${HQ_64BIT_ONLY:-0}" != 1 ] && tools/wine-host.sh elf32; then
    packages+=(wine32:i386)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "setup: root is needed to install: ${missing[*]} (run this script as root)" >&2
        exit 1
    fi
    as_root=(sudo)
fi

echo "setup: installing ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
