#!/usr/bin/env bash
# Builds Quarnel and runs its whole test suite, lane by lane: the Linux build
# with its logic, platform, window and end-to-end tests and the formatting, the
# Debian package, a multi-config build, the logic and platform tests under
# ASan+UBSan, the build without Qt, the fuzz targets, and the Windows program
# with its tests under Wine. Each lane prints
# its time; the last lines sum them up. Exits non-zero when anything fails.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
jobs=${QUARNEL_JOBS:-$(nproc)}

# Nothing here may move the real clock; the guard compares it with elapsed
# time at the end.
source scripts/clock-guard.sh
clock_guard_begin
started=$SECONDS

scripts/setup-debian.sh test

# The tests get a home and XDG folders of their own, so that nothing they or
# the programs they start write (Qt's and Wine's folders) stays behind.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-test-home.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache \
    XDG_DATA_HOME=$scratch/data XDG_STATE_HOME=$scratch/state XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

status=0
passed=0
failed=0
summary=()
# lane NAME COMMAND...: runs one lane, records its result and time.
lane() {
    local name=$1 begun=$SECONDS result
    shift
    echo "== lane $name"
    if "$@"; then
        result=passed
        passed=$((passed + 1))
    else
        result=FAILED
        failed=$((failed + 1))
        status=1
    fi
    echo "== lane $name: $result in $((SECONDS - begun)) s"
    summary+=("$name $result $((SECONDS - begun)) s")
}

# Each lane is a workflow of CMakePresets.json (configure, build, test or
# package; `cmake --workflow --list-presets` lists them) and what CMake cannot
# do itself around it. The workflows build and test with $jobs jobs.
export CMAKE_BUILD_PARALLEL_LEVEL=$jobs CTEST_PARALLEL_LEVEL=$jobs

# The release build installed under /usr, as scripts/package.sh makes it,
# packed by CPack and checked with lintian, desktop-file-validate and
# appstreamcli (scripts/check-package.sh).
package_lane() {
    cmake --workflow --preset package &&
        scripts/check-package.sh build/package/quarnel_*.deb
}

# The dev build (warnings as errors) and all its tests, the formatting among
# them.
lane linux cmake --workflow --preset dev
lane package package_lane
# Multi-config generators (Visual Studio, Ninja Multi-Config) keep their
# generated headers per configuration: the program must build with one too.
lane multi-config cmake --workflow --preset multi-config
# The logic and platform tests under ASan+UBSan: only those two test programs
# (and the platform tests' fixtures) are built.
lane asan cmake --workflow --preset asan
# Built without Qt, as offered for a system without it: the logic and platform
# layers with their tests.
lane no-gui cmake --workflow --preset no-gui
# Each libFuzzer target for a bounded time.
lane fuzz tests/fuzz/run-fuzzers.sh
# The Windows program, cross-built with MinGW-w64 against Qt for Windows,
# packed as a folder and zip, and tested under Wine (scripts/windows-tests.sh
# prints the time of each step).
lane windows scripts/windows-tests.sh
lane real-clock clock_guard_check

printf -v lanes '%s; ' "${summary[@]}"
echo "Test command: ${lanes}total $((SECONDS - started)) s"
echo "Lanes: $passed passed, $failed failed"
exit $status
