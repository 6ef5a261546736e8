#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (MinGW-w64, posix threads) from Debian's
# own qt6-base source, so that the host's moc, rcc and uic (qt6-base-dev-tools
# 6.4.2) match it, and installs it into PREFIX: shared, Release, only what
# Quarnel uses (Core, Gui, Widgets, Network without TLS, Test; the windows,
# offscreen and minimal platform plugins, the Vista style). The MinGW runtime
# DLLs go into PREFIX/bin beside Qt's.
#
# Cost: about 50 minutes on 2 cores (20 on 2 idle ones), 1.5 GB of space while
# it builds, 71 MB installed. scripts/windows-qt.sh calls it only when neither
# its cache nor the prebuilt archive is there.
#
# Usage (as root, for apt): scripts/build-windows-qt.sh PREFIX
#   QUARNEL_JOBS=N   parallel build jobs (default: all processors)
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
prefix=$(realpath -m "$1")
version=6.4.2+dfsg-10
jobs=${QUARNEL_JOBS:-$(nproc)}
work=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-qt-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
started=$(date +%s)

echo "== Packages"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends cmake ninja-build dpkg-dev xz-utils perl \
    qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix >/dev/null

echo "== Source of qt6-base $version"
# apt-get source needs a deb-src entry for the mirror the packages come from.
if ! apt-get source --print-uris --download-only "qt6-base=$version" >/dev/null 2>&1; then
    # shellcheck disable=SC2016  # apt's own format placeholders
    mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' | head -n 1)
    echo "deb-src $mirror bookworm main" >/etc/apt/sources.list.d/quarnel-deb-src.list
    apt-get update -qq
fi
(cd "$work" && apt-get source --download-only "qt6-base=$version" >/dev/null)
tar -xJf "$work"/qt6-base_6.4.2+dfsg.orig.tar.xz -C "$work"
source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qtbase*' | head -n 1)

echo "== Configure ($source)"
mkdir -p "$prefix"
cat >"$prefix/mingw-w64-toolchain.cmake" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
# Why these: OpenGL turned off feature by feature breaks the windows plugin in
# 6.4.2, INPUT_opengl=no works; Direct2D off needs DirectWrite off; tablet
# events need a header Debian removed from the source; with TLS off the
# Schannel plugin must be off too; the bundled third-party libraries need no
# Windows builds of their own.
cmake -S "$source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_pkg_config=OFF -DFEATURE_sql=OFF -DFEATURE_network=ON -DFEATURE_ssl=OFF \
    -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF -DFEATURE_dbus=OFF -DINPUT_opengl=no \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_testlib=ON \
    -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_freetype=ON \
    -DFEATURE_system_freetype=OFF -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_androiddeployqt=OFF >"$work/configure.log"

echo "== Build and install (the long part)"
cmake --build "$work/build" -j "$jobs"
cmake --install "$work/build" --strip >/dev/null

echo "== Runtime DLLs and a movable prefix"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")" "$prefix/bin/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/"
# Qt's toolchain file names the chain-loaded toolchain by its absolute path;
# relative to itself, the prefix can be moved or unpacked anywhere.
sed -i "s|\"$prefix/mingw-w64-toolchain.cmake\"|\"\${CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64-toolchain.cmake\"|" \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
echo "Qt for Windows in $prefix: $(($(date +%s) - started)) s"
