#!/usr/bin/env bash
# Checks a Quarnel Debian package: lintian (no errors and no hardening tag;
# warnings and notes are printed), the menu entry with desktop-file-validate,
# the AppStream data with appstreamcli, the control fields, and that no
# maintainer script is there (nothing may grant the program a capability
# behind the user's back).
# Usage: scripts/check-package.sh quarnel_VERSION_ARCH.deb
set -euo pipefail
package=$(realpath "$1")
scratch=$(mktemp -d /tmp/quarnel-package-check-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
status=0
fail() { echo "check-package: $*" >&2; status=1; }

echo "--- lintian"
notes=$(lintian --fail-on error --display-info --tag-display-limit 0 "$package") ||
    fail "lintian reports errors"
echo "$notes"
# A program built without the hardening flags of cmake/ProjectOptions.cmake.
unhardened=$(sed -n 's/^.: [^:]*: \(hardening-[^ ]*\).*/\1/p' <<<"$notes")
[ -z "$unhardened" ] || fail "lintian finds the program not hardened:" $unhardened

dpkg-deb -x "$package" "$scratch/root"
dpkg-deb -e "$package" "$scratch/control"

echo "--- desktop-file-validate"
for entry in "$scratch"/root/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "$(basename "$entry") is not a valid desktop entry"
done
echo "--- appstreamcli validate --no-net"
for data in "$scratch"/root/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net --pedantic "$data" ||
        fail "$(basename "$data") is not valid AppStream data"
done

echo "--- control"
for script in preinst postinst prerm postrm config triggers; do
    [ ! -e "$scratch/control/$script" ] || fail "the package has a maintainer script: $script"
done
field() { dpkg-deb -f "$package" "$1"; }
[ "$(field Section)" = hamradio ] || fail "Section is '$(field Section)', not hamradio"
[ -n "$(field Depends)" ] || fail "no Depends: the libraries were not looked up"
echo "Depends: $(field Depends)"
exit $status
