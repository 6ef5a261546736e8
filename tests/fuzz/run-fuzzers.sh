#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) in build/fuzz and runs each for a bounded time on a copy of its
# seed corpus. Exits non-zero on any finding; the input that caused it stays
# in a scratch folder whose path is printed. Nothing is written to the
# repository: new corpus entries and artifacts go to the scratch folder.
#   FUZZ_SECONDS   time per target (default 30)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${FUZZ_SECONDS:-30}"
build="$repo/build/fuzz"
instrumentation="-fsanitize=fuzzer-no-link"

cmake -S "$repo" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$instrumentation" \
    -DQUARNEL_SANITIZERS=ON -DQUARNEL_GUI=OFF -DBUILD_TESTING=OFF -DQUARNEL_FUZZ=ON >/dev/null
cmake --build "$build" --target quarnel_fuzzers -j"$(nproc)" >/dev/null

scratch="$(mktemp -d /tmp/quarnel-fuzz-XXXXXX)"
status=0
for corpus in "$repo"/tests/fuzz/corpus/*/; do
    name="$(basename "$corpus")"
    target="$build/tests/fuzz/fuzz_$name"
    if [ ! -x "$target" ]; then
        echo "fuzz $name: no target fuzz_$name was built" >&2
        status=1
        continue
    fi
    mkdir -p "$scratch/$name/corpus" "$scratch/$name/artifacts"
    cp -r "$corpus". "$scratch/$name/corpus/"
    if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        -artifact_prefix="$scratch/$name/artifacts/" "$scratch/$name/corpus" \
        >"$scratch/$name/log" 2>&1; then
        echo "fuzz $name: no finding in ${seconds} s ($(grep -o 'DONE.*' "$scratch/$name/log" | tail -1))"
    else
        echo "fuzz $name: FINDING, see $scratch/$name/log and $scratch/$name/artifacts/" >&2
        tail -n 30 "$scratch/$name/log" >&2
        status=1
    fi
done
if [ $status -eq 0 ]; then
    rm -rf "$scratch"
fi
exit $status
