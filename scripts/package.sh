#!/usr/bin/env bash
# Builds the Debian package of Quarnel in build/package (a release build
# installed under /usr, without the tests) and checks it.
# Prints the package's path; install it with: sudo apt install ./quarnel_*.deb
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup-debian.sh package
# Configure, build and pack: the workflow preset "package" (CMakePresets.json).
CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)} cmake --workflow --preset package
package=$(ls build/package/quarnel_*.deb)
scripts/check-package.sh "$package"
echo "Package: $repo/$package"
