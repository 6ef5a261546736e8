#!/usr/bin/env bash
# The Windows lane: cross-builds Quarnel for 64-bit Windows with MinGW-w64
# against Qt for Windows, packs Quarnel.exe as a deployable folder, a zip and
# a setup program, and runs the tests under Wine: the logic, platform and
# window tests, then the end-to-end tests of Quarnel.exe and of the setup
# program (label e2e-windows). Each step prints its time.
#
# Needs (Debian 12, scripts/setup-debian.sh test): cmake ninja-build
#   googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
#   qt6-base-dev-tools libqrencode-dev nsis wine wine64, and for the end-to-end
#   tests root, xvfb openbox xdotool xclip tesseract-ocr.
# Qt for Windows: scripts/windows-qt.sh (a cache outside the repository).
# The window tests that ask a time server get Debian's chronyd on this
# machine's loopback through the CTest fixture time_server
# (tests/e2e/time_server.cmake): root, the package registry once, and this
# machine's C++ compiler for its clock library; they read its address from
# the file QUARNEL_TEST_TIME_SERVER_FILE names on Wine's drive Z:.
#
# Usage: tools/windows-tests.sh            (from anywhere in the repository)
#   QUARNEL_JOBS=N     parallel build jobs (default: all processors)
#   QUARNEL_WINDOWS_BUILD_DIR=DIR  build directory (default: build/windows)
#
# No test sets the clock: the unit tests hand every set to a stand-in, and
# the end-to-end tests run Wine as an unprivileged user, whose clock setter
# cannot reach the clock of the machine running the tests.
set -euo pipefail

started=$(date +%s)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_WINDOWS_BUILD_DIR:-$root/build/windows}
jobs=${QUARNEL_JOBS:-$(nproc)}

step_started=$started
step() {
    local now
    now=$(date +%s)
    [ -z "${step_name:-}" ] || echo "step $step_name: $((now - step_started)) s"
    step_name=$1
    step_started=$now
    [ -z "$step_name" ] || echo "== $step_name"
}

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

# The end-to-end tests keep their scratch folders (with the Wine prefixes of
# the unprivileged user) in here, so that a run cut short leaves nothing.
e2e_scratch=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-e2e-windows.XXXXXX")
chmod 755 "$e2e_scratch"

finish() {
    local status=$?
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX" || true
    for prefix in "$e2e_scratch"/*/prefix; do
        [ -d "$prefix" ] || continue
        setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/usr/bin:/bin \
            WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
    rm -rf "$e2e_scratch" || true
    step ""
    echo "Windows lane: $(($(date +%s) - started)) s"
    exit "$status"
}
trap finish EXIT

step "Qt for Windows"
qt=$("$root/scripts/windows-qt.sh")
echo "$qt"
# The test programs find Qt's DLLs (and the MinGW runtime beside them) here.
WINEPATH="Z:$(echo "$qt/bin" | tr / '\\')"
export WINEPATH

step "Windows cross build (MinGW-w64, Qt for Windows) in $build"
(cd "$root" && QUARNEL_WINDOWS_QT="$qt" cmake --preset windows-cross -B "$build" >/dev/null)
cmake --build "$build" -j "$jobs"

step "Quarnel.exe folder and zip"
cmake --build "$build" --target quarnel_windows_zip
folder=$(find "$build/package" -mindepth 1 -maxdepth 1 -type d -name 'Quarnel-*-win64')
python3 "$root/tools/check-windows-folder.py" "$folder"
ls -l "$build"/Quarnel-*-win64.zip

step "Setup program (CPack, NSIS)"
rm -f "$build"/Quarnel-*-win64-setup.exe
if ! (cd "$build" && cpack >"$build/cpack.log" 2>&1); then
    cat "$build/cpack.log" "$build"/_CPack_Packages/win64/NSIS/NSISOutput.log 2>/dev/null
    exit 1
fi
setup=$(find "$build" -maxdepth 1 -name 'Quarnel-*-win64-setup.exe')
# What the setup packs is CPack's copy of the install: checked like the folder.
python3 "$root/tools/check-windows-folder.py" \
    "$build/_CPack_Packages/win64/NSIS/$(basename "$setup" .exe)"
if ! x86_64-w64-mingw32-objdump -f "$setup" | grep -q 'file format pei-x86-64'; then
    echo "$setup is not a 64-bit Windows program" >&2
    exit 1
fi
ls -l "$setup"

step "Tests under Wine"
# One server for the whole run, so that each test program starts in a
# fraction of a second instead of bringing Wine's services up again.
wineserver -p >"$WINEPREFIX/wineserver.log" 2>&1 </dev/null
if ! wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null; then
    cat "$WINEPREFIX/wineboot.log"
    exit 1
fi
status=0
ctest --test-dir "$build" --output-on-failure --timeout 120 -LE e2e-windows -j "$jobs" || status=1

step "End-to-end tests of Quarnel.exe under Wine"
# A prefix and a user of their own; the one above is not used.
QUARNEL_E2E_WINDOWS_FOLDER=$folder QUARNEL_E2E_WINDOWS_SETUP=$setup TMPDIR=$e2e_scratch \
    ctest --test-dir "$build" --output-on-failure -L e2e-windows || status=1
exit "$status"
