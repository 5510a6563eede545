#!/bin/bash
# How a Windows program runs on this host: which Wine loader and wineserver serve the 32-bit
# (x86) or the 64-bit (x64) build. Debian's `wine` script picks the 32-bit loader whenever
# wine32 is installed, even on a kernel that cannot run 32-bit code, so nothing here uses it.
#
#   wine-host.sh can x86|x64          exit 0 when this host runs that build; else one line why
#   wine-host.sh default              prints the build this host runs: x86 where it can, else x64
#   wine-host.sh exec x86|x64 PROGRAM [ARGS...]
#                                     runs a Windows program, or a Wine tool such as reg or
#                                     wineboot, in $WINEPREFIX with that build's loader
#   wine-host.sh server x86|x64 [ARGS...]
#                                     runs that build's wineserver (-w, -k, -p ...)
#   wine-host.sh loader x86|x64       prints the loader that runs that build
#   wine-host.sh elf32                exit 0 when the kernel runs 32-bit programs at all
#
# HQ_64BIT_ONLY=1 makes the host count as one that cannot run 32-bit code, so that the
# 64-bit-only path can be tried anywhere. Exit status 77 means the build cannot run here.
set -euo pipefail

wine_dir=/usr/lib/wine
cannot=77

# A 32-bit ELF program of a few bytes that only exits: the kernel either runs it or refuses it
# with "Exec format error". It needs no 32-bit library, so it answers before wine32 is installed.
kernel_runs_32bit() {
    local folder probe status
    # Where /tmp does not let programs run, the home folder may.
    for folder in "${TMPDIR:-/tmp}" "$HOME"; do
        probe=$(mktemp -p "$folder" 2>/dev/null) || continue
        printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000T\200\004\0104\000\000\000\000\000\000\000\000\000\000\0004\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\0001\333\315\200' >"$probe" >"$probe"
        chmod +x "$probe"
        status=0
        "$probe" 2>/dev/null || status=$?
        rm -f "$probe"
        # 126 is the kernel's refusal, unless the folder runs no programs at all (noexec).
        [ "$status" -eq 0 ] && return 0
        [ "$status" -eq 126 ] || return 1
        mount | grep -q " on $(df --output=target "$folder" | tail -n 1) .*noexec" || return 1
    done
    return 1
}

loader() {
    case "$1" in
        x86) echo "$wine_dir/wine" ;;
        x64) echo "$wine_dir/wine64" ;;
        *) echo "wine-host: unknown build '$1' (x86 or x64)" >&2; exit 64 ;;
    esac
}

# Prints nothing when the build can run; otherwise the reason, in one line.
why_not() {
    local build=$1 path
    path=$(loader "$build")
    if [ "$build" = x86 ]; then
        if [ "${HQ_64BIT_ONLY:-0}" = 1 ]; then
            echo "HQ_64BIT_ONLY=1 treats this host as one that cannot run 32-bit code"
            return
        fi
        if ! kernel_runs_32bit; then
            echo "this host cannot run 32-bit code (a 32-bit program fails with Exec format error)"
            return
        fi
        if [ ! -x "$path" ]; then
            echo "Wine's 32-bit loader is not installed (package wine32:i386)"
            return
        fi
    elif [ ! -x "$path" ]; then
        echo "Wine's 64-bit loader is not installed (package wine64)"
        return
    fi
    "$path" --version >/dev/null 2>&1 || echo "$path does not start on this host"
}

server() {
    if [ "$1" = x64 ] || [ -x "$wine_dir/wineserver64" ]; then
        echo "$wine_dir/wineserver64"
    else
        echo "$wine_dir/wineserver32"
    fi
}

# A prefix made for 32-bit Windows only holds no 64-bit system; the 64-bit loader refuses it.
check_prefix() {
    local build=$1 prefix=${WINEPREFIX:-$HOME/.wine}
    if [ "$build" = x64 ] && grep -qs '^#arch=win32' "$prefix/system.reg"; then
        local also=
        [ -z "$(why_not x86)" ] || also=", and this host cannot run the 32-bit one"
        echo "wine-host: $prefix is a 32-bit Wine prefix, which cannot run the 64-bit build$also; set WINEPREFIX to a 64-bit prefix (or a new folder)" >&2
        exit $cannot
    fi
}

setup_env() {
    local build=$1 reason
    reason=$(why_not "$build")
    if [ -n "$reason" ]; then
        echo "wine-host: the $build build cannot run here: $reason" >&2
        exit $cannot
    fi
    check_prefix "$build"
    WINELOADER=$(loader "$build")
    WINESERVER=$(server "$build")
    WINEDEBUG=${WINEDEBUG:--all}
    export WINELOADER WINESERVER WINEDEBUG
}

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
    can)
        reason=$(why_not "${1:?build}")
        [ -z "$reason" ] && exit 0
        echo "$reason"
        exit $cannot
        ;;
    default)
        if [ -z "$(why_not x86)" ]; then
            echo x86
        elif [ -z "$(why_not x64)" ]; then
            echo x64
        else
            echo "wine-host: this host runs neither build: $(why_not x64)" >&2
            exit $cannot
        fi
        ;;
    exec)
        build=${1:?build}
        shift
        setup_env "$build"
        exec "$WINELOADER" "$@"
        ;;
    server)
        build=${1:?build}
        shift
        setup_env "$build"
        exec "$WINESERVER" "$@"
        ;;
    loader)
        loader "${1:?build}"
        ;;
    elf32)
        kernel_runs_32bit
        ;;
    *)
        sed -n '2,/^set -e/p' "$0" | sed '$d' >&2
        exit 64
        ;;
esac
