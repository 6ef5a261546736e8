#!/usr/bin/env bash
# Builds and runs the Windows shift benchmark under Wine and prints its
# figures (key=value, in ns): how far a shift lands from where it should with
# the program's way (set at a millisecond boundary) and with a whole-millisecond
# reading of the local time. Needs the Windows build folder that
# scripts/windows-tests.sh configures (default build/windows-cross).
#
# The benchmark sets no clock (its setter is a stand-in); Wine runs as the
# unprivileged user 65534 all the same, in a prefix of its own that is removed
# at the end.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/windows-cross}
cmake --build "$build" --target quarnel_windows_shift_bench >/dev/null

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-wine-bench.XXXXXX")
as_user() {
    setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$scratch/home" USER=nobody \
        WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        LC_ALL=C.UTF-8 PATH=/usr/bin:/bin "$@"
}
finish() {
    as_user wineserver -k >/dev/null 2>&1 || true
    as_user wineserver -w >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap finish EXIT

mkdir "$scratch/home"
cp "$build/bench/windows/quarnel_windows_shift_bench.exe" "$scratch/"
chown -R 65534:65534 "$scratch"
as_user wineboot --init >/dev/null 2>&1
echo "date before: $(date '+%F %T.%N')"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
as_user wine "$scratch/quarnel_windows_shift_bench.exe" </dev/null | tr -d '\r'
echo "date after: $(date '+%F %T.%N')"
