#!/usr/bin/env bash
# Installs the Debian 12 packages Quarnel needs to build, run and test.
# Usage: scripts/setup-debian.sh [run|test|bench|package]   (default: test)
set -euo pipefail

build=(cmake g++ make ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools
       libgl-dev libx11-dev libgtest-dev libgmock-dev googletest libqrencode-dev librsvg2-bin)
display=(xvfb xauth x11-utils xdotool imagemagick fonts-liberation2)
# setcap, to give the built program the right to set the clock (see README)
rights=(libcap2-bin)
# nsis: makensis, which CPack runs for the Windows setup program; clang-format:
# the test that every C++ file is formatted (tests/scripts/format_check.sh).
testing=(python3 xclip util-linux mount g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine
         wine64 nsis openbox tesseract-ocr dbus-daemon python3-dbus python3-gi
         clang-format python3-pyatspi at-spi2-core)
# The libraries of the real systemd-timedated and polkitd that e2e.real_daemons
# runs from their packages, unpacked by tools/fetch-real-daemons.sh; those
# packages themselves are never installed.
real_daemon_libraries=(libpolkit-gobject-1-0 libduktape207 libexpat1 libglib2.0-0 libsystemd0
                       libacl1 libaudit1 libblkid1 libcap2 libcrypt1 libgcrypt20 libip4tc2
                       libkmod2 liblz4-1 liblzma5 libmount1 libpam0g libseccomp2 libselinux1
                       libssl3 libzstd1 libbluetooth3 libgps28)
# chronyd (the time server of e2e.time_server and the fixture time_server) needs
# libcap2 and libseccomp2 of this list, and GnuTLS and Nettle, which every
# Debian has for apt. gpsd (e2e.gps) needs libbluetooth3 and libgps28.
# Making the Debian package and checking it.
packaging=(dpkg-dev file lintian desktop-file-utils appstream)
# libFuzzer: clang and its runtime libraries (tests/fuzz/run-fuzzers.sh).
fuzzing=(clang libclang-rt-14-dev)
benchmarks=(valgrind libxcb-damage0-dev)

case "${1:-test}" in
    run) wanted=("${build[@]}" "${display[@]}" "${rights[@]}") ;;
    test) wanted=("${build[@]}" "${display[@]}" "${testing[@]}" "${real_daemon_libraries[@]}"
                  "${packaging[@]}" "${fuzzing[@]}") ;;
    package) wanted=("${build[@]}" "${packaging[@]}") ;;
    bench) wanted=("${build[@]}" "${display[@]}" "${benchmarks[@]}") ;;
    *) echo "usage: $0 [run|test|bench|package]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run this command as root, or install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
