#!/usr/bin/env bash
# The test command's clock guard must notice a step of the wall clock. A fake
# `date` first on PATH plays the stepped clock; the monotonic clock is real.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/clock-guard.sh"

fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
real_date=$(command -v date)
# Reads the real wall clock and adds the offset in the file `offset`.
cat >"$fake/date" <<FAKE
#!/bin/sh
[ "\$1" = "+%s%N" ] || exec "$real_date" "\$@"
echo \$(( \$("$real_date" +%s%N) + \$(cat "$fake/offset") ))
FAKE
chmod +x "$fake/date"

failures=0
expect() {  # expect pass|fail OFFSET_NS DESCRIPTION
    local want=$1 offset=$2 what=$3 got
    PATH="$fake:$PATH"
    echo 0 >"$fake/offset"
    clock_guard_begin
    echo "$offset" >"$fake/offset"
    if clock_guard_check >/dev/null 2>&1; then got=pass; else got=fail; fi
    PATH=${PATH#"$fake:"}
    if [ "$got" = "$want" ]; then
        echo "ok: $what"
    else
        echo "FAILED: $what: the guard said $got" >&2
        failures=$((failures + 1))
    fi
}

expect pass 0 "an unmoved clock passes"
expect pass 500000000 "half a second of jitter passes"
expect fail 60000000000 "a step forward by a minute is caught"
expect fail -5000000000 "a step back by five seconds is caught"
expect fail 3600000000000 "a step by an hour is caught"

[ "$failures" -eq 0 ]
