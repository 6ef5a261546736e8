#!/usr/bin/env bash
# Builds Quarnel and runs its whole test suite: logic, platform and window
# tests, the end-to-end tests of the real program on a virtual display, and
# the Windows build's tests under Wine, the logic and platform tests under
# ASan+UBSan and the fuzz targets. Exits non-zero when anything fails.
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

# The Windows implementation, cross-built with MinGW-w64 and run under Wine.
tools/windows-tests.sh || status=1

# --- lane asan: the logic and platform tests under ASan+UBSan ---------------
# Only the two test programs (and the platform tests' fixtures) are built.
lane_started=$SECONDS
cmake --preset asan -G "Unix Makefiles" >/dev/null
cmake --build build/asan -j"$(nproc)" --target quarnel_logic_tests quarnel_platform_tests
ctest --test-dir build/asan --output-on-failure -j"$(nproc)" -L '^(logic|platform)$' || status=1
echo "lane asan: $((SECONDS - lane_started)) s"

# --- lane fuzz: each libFuzzer target for a bounded time ---------------------
lane_started=$SECONDS
tests/fuzz/run-fuzzers.sh || status=1
echo "lane fuzz: $((SECONDS - lane_started)) s"

clock_drift=$(( $(date +%s) - clock_before - (SECONDS - started) ))
if [ "${clock_drift#-}" -gt 2 ]; then
    echo "The real clock moved by about ${clock_drift} s during the tests." >&2
    status=1
fi
exit $status
