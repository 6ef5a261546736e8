#!/bin/bash
# Runs the clock interception library's tests in the settings they need: as
# an unprivileged user with the library preloaded, with it told to refuse
# every set, with a clock that starts off the real one, and as that user
# without it (where every real set must be refused). Root switches to nobody for all; an ordinary user, who has no
# right to set the clock, runs them as itself.
# Usage: run_clockshim_tests.sh TEST_PROGRAM LIBRARY [SANITIZER_RUNTIME]
# A sanitizer build's runtime must be loaded before the library.
set -euo pipefail

program=$1
library=$2
runtime=${3:-}
if [ "$(id -u)" -eq 0 ]; then
    user=65534
    as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
else
    as_user=()
fi

echo "date before: $(date '+%F %T.%N')"

scratch=$(mktemp -d /tmp/quarnel-clockshim.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cp "$program" "$scratch/tests"
cp "$library" "$scratch/libquarnel_clockshim.so"
[ "$(id -u)" -ne 0 ] || chown -R "$user:$user" "$scratch"

status=0
"${as_user[@]}" env \
    LD_PRELOAD="${runtime:+$runtime }$scratch/libquarnel_clockshim.so" \
    QUARNEL_CLOCKSHIM_LOG="$scratch/clock.log" \
    QUARNEL_CLOCKSHIM_STATE="$scratch/clock.state" \
    "$scratch/tests" --gtest_filter='*UnderShim*' || status=1
"${as_user[@]}" env \
    LD_PRELOAD="${runtime:+$runtime }$scratch/libquarnel_clockshim.so" \
    QUARNEL_CLOCKSHIM_LOG="$scratch/clock.log" \
    QUARNEL_CLOCKSHIM_REFUSE=1 \
    "$scratch/tests" --gtest_filter='*UnderRefusingShim*' || status=1
# A clock that starts 0.73 s fast, with a state file no set has written yet.
"${as_user[@]}" env \
    LD_PRELOAD="${runtime:+$runtime }$scratch/libquarnel_clockshim.so" \
    QUARNEL_CLOCKSHIM_LOG="$scratch/clock.log" \
    QUARNEL_CLOCKSHIM_STATE="$scratch/start-offset.state" \
    QUARNEL_CLOCKSHIM_START_OFFSET_NS=730000000 \
    "$scratch/tests" --gtest_filter='*StartOffset*' || status=1
echo "--- clock log ---"
cat "$scratch/clock.log" || status=1

without_shim=(-u LD_PRELOAD)
if [ -n "$runtime" ]; then
    without_shim=(LD_PRELOAD="$runtime")
fi
"${as_user[@]}" env "${without_shim[@]}" "$scratch/tests" --gtest_filter='*WithoutShim*' || status=1

echo "date after: $(date '+%F %T.%N')"
exit "$status"
