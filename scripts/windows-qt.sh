#!/usr/bin/env bash
# Prints the folder of Qt for Windows (MinGW-w64) that the Windows build uses,
# after making sure it is there. In this order:
#   1. $QUARNEL_WINDOWS_QT, when set;
#   2. the cache folder $QUARNEL_CACHE_DIR/qt-6.4.2-mingw64 (default
#      /var/cache/quarnel), when it is complete;
#   3. the prebuilt archive ../shared/windows-qt/qt-6.4.2-mingw64.tar.xz beside
#      the repository, unpacked into the cache (a few seconds);
#   4. scripts/build-windows-qt.sh, which builds the same from Debian's source
#      into the cache (about 50 minutes on 2 cores).
# The cache lies outside the repository and is reused by every later run.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name=qt-6.4.2-mingw64
cache=${QUARNEL_CACHE_DIR:-/var/cache/quarnel}
prefix=$cache/$name
archive=$root/../shared/windows-qt/$name.tar.xz

complete() { [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ] && [ -f "$1/bin/Qt6Widgets.dll" ]; }

if [ -n "${QUARNEL_WINDOWS_QT:-}" ]; then
    complete "$QUARNEL_WINDOWS_QT" || { echo "No Qt for Windows in $QUARNEL_WINDOWS_QT" >&2; exit 1; }
    echo "$QUARNEL_WINDOWS_QT"
    exit 0
fi
if complete "$prefix"; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
if [ -f "$archive" ]; then
    echo "Unpacking $archive into $cache" >&2
    # Into a folder of its own first, so that an interrupted run leaves no
    # half-unpacked Qt that would count as complete.
    unpacked=$(mktemp -d "$cache/.unpack.XXXXXX")
    trap 'rm -rf "$unpacked"' EXIT
    tar -xJf "$archive" -C "$unpacked"
    rm -rf "$prefix"
    mv "$unpacked/$name" "$prefix"
else
    echo "No prebuilt Qt for Windows at $archive: building it from source (about 50 minutes)" >&2
    "$root/scripts/build-windows-qt.sh" "$prefix" >&2
fi
complete "$prefix" || { echo "Qt for Windows in $prefix is incomplete" >&2; exit 1; }
echo "$prefix"
