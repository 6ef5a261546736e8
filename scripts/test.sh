#!/usr/bin/env bash
# Builds Quarnel and runs its whole test suite, lane by lane: the Linux build
# with its logic, platform, window and end-to-end tests, the Debian package, a
# multi-config build, the logic and platform tests under ASan+UBSan, the fuzz
# targets, and the Windows program with its tests under Wine. Each lane prints
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

linux_lane() {
    cmake --preset dev -G "Unix Makefiles" &&
        cmake --build build/dev -j"$jobs" &&
        ctest --test-dir build/dev --output-on-failure -j"$jobs"
}

# The Debian package made from this build by CPack, checked with lintian,
# desktop-file-validate and appstreamcli (scripts/check-package.sh); a debug
# build, whose libc calls are not fortified.
package_lane() {
    (cd build/dev && cpack -G DEB >/dev/null) &&
        scripts/check-package.sh --unoptimized build/dev/quarnel_*.deb
}

# Multi-config generators (Visual Studio, Ninja Multi-Config) keep their
# generated headers per configuration: the program must build with one too.
multi_config_lane() {
    cmake -S . -B build/multi-config -G "Ninja Multi-Config" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
        -DBUILD_TESTING=OFF >/dev/null &&
        cmake --build build/multi-config --config Debug --target quarnel -j"$jobs"
}

# The logic and platform tests under ASan+UBSan: only those two test programs
# (and the platform tests' fixtures) are built.
asan_lane() {
    cmake --preset asan -G "Unix Makefiles" >/dev/null &&
        cmake --build build/asan -j"$jobs" --target quarnel_logic_tests quarnel_platform_tests &&
        ctest --test-dir build/asan --output-on-failure -j"$jobs" -L '^(logic|platform)$'
}

lane linux linux_lane
lane package package_lane
lane multi-config multi_config_lane
lane asan asan_lane
# Each libFuzzer target for a bounded time.
lane fuzz tests/fuzz/run-fuzzers.sh
# The Windows program, cross-built with MinGW-w64 against Qt for Windows,
# packed as a folder and zip, and tested under Wine (tools/windows-tests.sh
# prints the time of each step).
lane windows tools/windows-tests.sh
lane real-clock clock_guard_check

printf -v lanes '%s; ' "${summary[@]}"
echo "Test command: ${lanes}total $((SECONDS - started)) s"
echo "Lanes: $passed passed, $failed failed"
exit $status
