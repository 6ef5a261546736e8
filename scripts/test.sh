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

# --- lane package: the Debian package made from this build by CPack, checked
# with lintian, desktop-file-validate and appstreamcli (scripts/check-package.sh).
lane_started=$SECONDS
(cd build/dev && cpack -G DEB >/dev/null) &&
    scripts/check-package.sh build/dev/quarnel_*.deb || status=1
echo "lane package: $((SECONDS - lane_started)) s"
# --- end of lane package

# The Windows implementation, cross-built with MinGW-w64 and run under Wine.
tools/windows-tests.sh || status=1

clock_drift=$(( $(date +%s) - clock_before - (SECONDS - started) ))
if [ "${clock_drift#-}" -gt 2 ]; then
    echo "The real clock moved by about ${clock_drift} s during the tests." >&2
    status=1
fi
exit $status
