#!/usr/bin/env bash
# Builds Quarnel and runs its whole test suite: logic, platform and window
# tests, the end-to-end tests of the real program on a virtual display, and
# the Windows build's tests under Wine. Exits non-zero when anything fails.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

# Nothing here may move the real clock; compare it with elapsed time at the end.
clock_before=$(date +%s)
started=$SECONDS

scripts/setup-debian.sh test
cmake --preset dev -G "Unix Makefiles"
cmake --build build/dev -j"$(nproc)"

status=0
ctest --test-dir build/dev --output-on-failure -j"$(nproc)" || status=1

# Multi-config generators (Visual Studio, Ninja Multi-Config) keep their
# generated headers per configuration: the program must build with one too.
lane_started=$SECONDS
cmake -S . -B build/multi-config -G "Ninja Multi-Config" -DQUARNEL_WARNINGS_AS_ERRORS=ON \
    -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build build/multi-config --config Debug --target quarnel -j"$(nproc)" ||
    status=1
echo "lane multi-config: $((SECONDS - lane_started)) s"

# The Windows program, cross-built with MinGW-w64 against Qt for Windows,
# packed as a folder and zip, and tested under Wine (tools/windows-tests.sh
# prints the time of each step).
lane_started=$SECONDS
tools/windows-tests.sh || status=1
echo "lane windows: $((SECONDS - lane_started)) s"

clock_drift=$(( $(date +%s) - clock_before - (SECONDS - started) ))
if [ "${clock_drift#-}" -gt 2 ]; then
    echo "The real clock moved by about ${clock_drift} s during the tests." >&2
    status=1
fi
exit $status
