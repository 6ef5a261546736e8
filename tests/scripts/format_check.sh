#!/usr/bin/env bash
# Fails when a C++ file of the sources differs from what clang-format makes of
# it with the repository's .clang-format, and names the places.
# Usage: format_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
formatter=$(command -v clang-format || command -v clang-format-14 || true)
if [ -z "$formatter" ]; then
    echo "format_check: clang-format is missing (Debian: apt-get install clang-format)" >&2
    exit 1
fi
find src tests tools bench cmake \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 "$formatter" --dry-run -Werror
