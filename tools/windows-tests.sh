#!/usr/bin/env bash
# Cross-builds Quarnel's logic and platform layers for 64-bit Windows with
# MinGW-w64 and runs their tests under Wine, in a throw-away Wine prefix that
# is removed afterwards. The GUI is left out: there is no Qt for Windows here.
#
# Needs (Debian 12): cmake make googletest g++-mingw-w64-x86-64-posix wine wine64
# Usage: tools/windows-tests.sh            (from anywhere in the repository)
#   QUARNEL_JOBS=N     parallel build jobs (default: all processors)
#   QUARNEL_WINDOWS_BUILD_DIR=DIR  build directory (default: build/windows)
#
# No test sets the clock: under Wine a clock setter could reach the clock of
# the machine running the tests.
set -euo pipefail

started=$(date +%s)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_WINDOWS_BUILD_DIR:-$root/build/windows}
jobs=${QUARNEL_JOBS:-$(nproc)}

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-wine.XXXXXX")
export WINEPREFIX
# Quiet, headless, and without the offers to install Mono and Gecko.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Wine stores Windows file names in the Unix locale's character set: without a
# UTF-8 locale, names such as "Prüfung" cannot be created at all. A fixed
# locale also keeps Windows' own texts (the system's reasons) in English.
export LC_ALL=C.UTF-8

finish() {
    local status=$?
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX" || true
    echo "Windows cross build and Wine tests: $(($(date +%s) - started)) s"
    exit "$status"
}
trap finish EXIT

echo "== Windows cross build (MinGW-w64) in $build"
cmake -S "$root" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug \
    -DQUARNEL_GUI=OFF \
    -DQUARNEL_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j "$jobs"

echo "== Wine prefix $WINEPREFIX"
# One server for the whole run, so that each test program starts in a
# fraction of a second instead of bringing Wine's services up again.
wineserver -p >"$WINEPREFIX/wineserver.log" 2>&1 </dev/null
if ! wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null; then
    cat "$WINEPREFIX/wineboot.log"
    exit 1
fi

echo "== Tests under Wine"
ctest --test-dir "$build" --output-on-failure --timeout 120
