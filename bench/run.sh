#!/bin/bash
# Builds and runs Quarnel's benchmarks and prints a Markdown report.
# Usage (as root): bench/run.sh [BUILD_DIR] [measure.py options]
# BUILD_DIR defaults to build/release, configured with the release preset when
# it does not exist yet. Installs the Debian packages it needs (Xvfb, xdotool,
# libxcb-damage0-dev, valgrind for the instruction counts); takes about four
# minutes beyond the build.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
command="bench/run.sh${*:+ $*}"
build=$(realpath -m "${1:-$root/build/release}")
shift || true
"$root/scripts/setup-debian.sh" bench

if [ ! -f "$build/CMakeCache.txt" ]; then
    if [ "$build" != "$root/build/release" ]; then
        echo "run.sh: $build is not a configured build directory" >&2
        exit 1
    fi
    (cd "$root" && cmake --preset release -G "Unix Makefiles" >/dev/null)
fi
cmake --build "$build" -j2 --target bench >/dev/null

echo "Command: \`$command\`"
echo
echo "Date before: $(date '+%F %T.%N')  "
python3 -B "$root/bench/measure.py" --build "$build" "$@"
echo
echo "Listening to the decoders:"
echo
"$build/bench/quarnel_decode_bench"
echo
echo "Asking a time server (the logic alone):"
echo
"$build/bench/quarnel_timeserver_bench"
echo
echo "Asking a time server (the window's side, on loopback):"
echo
"$build/bench/quarnel_timeserver_window_bench"
echo
echo "Date after: $(date '+%F %T.%N')"
