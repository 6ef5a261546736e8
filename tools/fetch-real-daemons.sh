#!/usr/bin/env bash
# Fetches the Debian packages of the real time daemons that the tests run
# (systemd-timedated, polkitd, chronyd, gpsd) and unpacks them into a cache outside
# the repository. They are never installed: an installed systemd, polkitd or
# chrony package could start its services and replace the machine's own time
# service, and an installed gpsd its socket on port 2947.
#
# Usage: tools/fetch-real-daemons.sh [PACKAGE...]
# Fetches the named packages of the list below, or all of them. Prints one
# line per package, "<package>=<unpacked folder>". A folder that is
# already there for the package's current version is reused, so a later run
# needs no download. QUARNEL_DEBS_CACHE moves the cache (default
# /var/cache/quarnel/debs); run as root, or as a user who may write there.
set -euo pipefail

cache=${QUARNEL_DEBS_CACHE:-/var/cache/quarnel/debs}
# libsystemd-shared is unpacked rather than installed, so that its version is
# exactly the one systemd-timedated was built against.
known=(systemd libsystemd-shared polkitd chrony gpsd)
packages=("${@:-${known[@]}}")
for package in "${packages[@]}"; do
    if [[ " ${known[*]} " != *" $package "* ]]; then
        echo "fetch-real-daemons: $package is none of ${known[*]}" >&2
        exit 2
    fi
done

# The versions the registry offers now, one "<package> <version>" a line; one
# apt-cache run, as each takes seconds.
candidates() {
    apt-cache policy "${packages[@]}" 2>/dev/null |
        awk '/^[^ ].*:$/ { name = substr($1, 1, length($1) - 1) }
             /Candidate:/ && $2 != "(none)" { print name, $2 }'
}

# Prints "<package>=<folder>" for each package, downloading and unpacking the
# ones not yet in the cache; fails when the registry does not offer one.
fetch() {
    local package version folder work
    for package in "${packages[@]}"; do
        version=$(echo "$versions" | awk -v name="$package" '$1 == name { print $2 }')
        [ -n "$version" ] || return 1
        folder="$cache/${package}_$version"
        if [ ! -d "$folder" ]; then
            work=$(mktemp -d "$cache/.fetch-$package-XXXXXX") || return 1
            chmod 755 "$work"
            # apt downloads as its sandbox user when that user may write here.
            if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then
                chown _apt "$work"
            fi
            if ! (cd "$work" && apt-get download -qq "$package=$version") ||
                ! dpkg-deb -x "$work"/*.deb "$work/tree"; then
                rm -rf "$work"
                return 1
            fi
            chmod 755 "$work/tree"
            # Another run may have unpacked the same version meanwhile: keep the first.
            mv -T "$work/tree" "$folder" 2>/dev/null || true
            rm -rf "$work"
        fi
        echo "$package=$folder"
    done
}

mkdir -p "$cache"
versions=$(candidates)
# The package lists may be missing (a fresh machine) or older than the
# registry (a version no longer offered): read them anew and try once more.
if ! folders=$(fetch); then
    apt-get update -qq
    versions=$(candidates)
    if ! folders=$(fetch); then
        echo "fetch-real-daemons: the registry does not offer ${packages[*]}" >&2
        exit 1
    fi
fi
echo "$folders"
