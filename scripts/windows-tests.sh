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
# Usage: scripts/windows-tests.sh            (from anywhere in the repository)
#   QUARNEL_JOBS=N     parallel build jobs and tests (default: all processors)
# The build is the workflow preset windows-cross (CMakePresets.json), in
# build/windows-cross; this script does what CMake cannot: Qt for Windows, the
# Wine prefix and server, and the checks of what was packed.
#
# No test sets the clock: the unit tests hand every set to a stand-in, and
# the end-to-end tests run Wine as an unprivileged user, whose clock setter
# cannot reach the clock of the machine running the tests.
set -euo pipefail

started=$(date +%s)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/windows-cross
jobs=${QUARNEL_JOBS:-$(nproc)}
export CMAKE_BUILD_PARALLEL_LEVEL=$jobs CTEST_PARALLEL_LEVEL=$jobs

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

step "Wine"
# One server for the whole run, so that each test program starts in a
# fraction of a second instead of bringing Wine's services up again.
wineserver -p >"$WINEPREFIX/wineserver.log" 2>&1 </dev/null
if ! wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null; then
    cat "$WINEPREFIX/wineboot.log"
    exit 1
fi

step "Cross build (MinGW-w64, Qt for Windows), folder, zip and setup program, tests under Wine"
rm -f "$build"/Quarnel-*-win64-setup.exe
status=0
(cd "$root" && QUARNEL_WINDOWS_QT="$qt" cmake --workflow --preset windows-cross) || status=1
if [ ! -d "$build/package" ]; then
    exit 1
fi

step "What the folder, the zip and the setup program hold"
folder=$(find "$build/package" -mindepth 1 -maxdepth 1 -type d -name 'Quarnel-*-win64')
python3 "$root/tools/check-windows-folder.py" "$folder"
ls -l "$build"/Quarnel-*-win64.zip
setup=$(find "$build" -maxdepth 1 -name 'Quarnel-*-win64-setup.exe')
if [ -z "$setup" ]; then
    echo "No setup program was made" >&2
    exit 1
fi
# What the setup packs is CPack's copy of the install: checked like the folder.
python3 "$root/tools/check-windows-folder.py" \
    "$build/_CPack_Packages/win64/NSIS/$(basename "$setup" .exe)"
if ! x86_64-w64-mingw32-objdump -f "$setup" | grep -q 'file format pei-x86-64'; then
    echo "$setup is not a 64-bit Windows program" >&2
    exit 1
fi
ls -l "$setup"

step "End-to-end tests of Quarnel.exe under Wine"
# A prefix and a user of their own; the one above is not used. One at a
# time: they share the unprivileged user's display.
(cd "$root" && QUARNEL_E2E_WINDOWS_FOLDER=$folder QUARNEL_E2E_WINDOWS_SETUP=$setup \
    TMPDIR=$e2e_scratch CTEST_PARALLEL_LEVEL=1 ctest --preset windows-cross-e2e) || status=1
exit "$status"
