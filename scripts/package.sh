#!/usr/bin/env bash
# Builds the Debian package of Quarnel in build/package (a release build
# installed under /usr, without the tests) and checks it.
# Prints the package's path; install it with: sudo apt install ./quarnel_*.deb
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup-debian.sh package
cmake --preset package -G "Unix Makefiles" >/dev/null
cmake --build build/package -j"$(nproc)"
(cd build/package && cpack -G DEB >/dev/null)
package=$(ls build/package/quarnel_*.deb)
scripts/check-package.sh "$package"
echo "Package: $repo/$package"
