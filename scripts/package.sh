#!/usr/bin/env bash
# Builds the Debian package build-package/nodescout_<version>_<arch>.deb
# (installing the Debian packages it needs first, as root).
#   scripts/package.sh           build the package
#   scripts/package.sh --check   build it, run lintian, install it with
#                                apt-get, run /usr/bin/nodescout --version,
#                                purge it and check that nothing is left
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/dependencies.sh"
mode=${1:-build}
case "$mode" in build | --check) ;; *) echo "usage: $0 [--check]" >&2; exit 2 ;; esac

ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

out=$top/build-package
build=$out/build
stage=$out/debian/nodescout
# The package puts the README in /usr/share/doc/nodescout, so the window's
# link (NODESCOUT_HOME_PAGE left empty) points there.
"$top/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_DOCDIR=share/doc/nodescout -DNODESCOUT_HOME_PAGE= \
    -DNODESCOUT_BUILD_TESTS=OFF -DNODESCOUT_BUILD_BENCH=OFF
rm -rf "$out/debian"
DESTDIR=$stage cmake --install "$build" >/dev/null

doc=$stage/usr/share/doc/nodescout
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage/usr/bin/nodescout"
gzip -9n "$stage/usr/share/man/man1/nodescout.1"
install -m 644 "$top/packaging/copyright" "$doc/copyright"
gzip -9nc "$top/packaging/changelog" >"$doc/changelog.gz"
chmod -R u=rwX,go=rX "$stage"

version=$(sed -n 's/^nodescout \([0-9.]*\)$/\1/p' <("$stage/usr/bin/nodescout" --version))
[ -n "$version" ] || { echo "no version from nodescout --version" >&2; exit 1; }
arch=$(dpkg --print-architecture)

# dpkg-shlibdeps reads the libraries the program links and names their packages.
printf 'Source: nodescout\n\nPackage: nodescout\nArchitecture: any\n' >"$out/debian/control"
depends=$(cd "$out" && dpkg-shlibdeps -O debian/nodescout/usr/bin/nodescout |
    sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "dpkg-shlibdeps found no dependencies" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
cat >"$stage/DEBIAN/control" <<CONTROL
Package: nodescout
Version: $version
Architecture: $arch
Maintainer: Nodescout developers <nodescout@nodescout.org>
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Recommends: qt6-wayland, libqt6svg6, xdg-utils, ieee-data
Section: net
Priority: optional
Description: find the MAC address and NetBIOS name of IPv4 hosts
 Nodescout is a small desktop utility for the administrator of a local
 network. For IPv4 hosts it finds the MAC address and the NetBIOS computer
 name of each address: it sends a NetBIOS node-status query to UDP port 137
 and, when no usable answer comes, takes the MAC address from the neighbour
 (ARP) table. It scans tables of address ranges, finds the address of a MAC,
 re-scans a range again and again, sends Wake-on-LAN packets and exports the
 list.
CONTROL
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
deb=$out/nodescout_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
[ "$mode" = --check ] || exit 0

# lintian: errors fail, warnings are shown.
lintian --fail-on error "$deb"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q "$deb" >/dev/null
mapfile -t files < <(dpkg-query -L nodescout)
/usr/bin/nodescout --version
apt-get purge -y -q nodescout >/dev/null
left=0
for file in "${files[@]}"; do
    case "$file" in /usr | /usr/bin | /usr/share | /usr/share/*/ | /usr/share/applications | \
        /usr/share/icons* | /usr/share/man | /usr/share/man/man1 | /usr/share/metainfo | /usr/share/doc | /.) continue ;; esac
    if [ -e "$file" ] && [ ! -d "$file" ]; then echo "left after purge: $file" >&2; left=1; fi
done
[ -e /usr/share/doc/nodescout ] && { echo "left after purge: /usr/share/doc/nodescout" >&2; left=1; }
dpkg-query -W nodescout >/dev/null 2>&1 && { echo "nodescout still known to dpkg" >&2; left=1; }
exit "$left"
