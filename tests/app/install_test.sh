#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts every file where a desktop
# looks for it, and the installed program runs from there.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/nodescout share/applications/nodescout.desktop \
    share/icons/hicolor/scalable/apps/nodescout.svg share/doc/Nodescout/README.md \
    share/metainfo/org.nodescout.Nodescout.metainfo.xml share/man/man1/nodescout.1; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
grep -qx 'Exec=nodescout' "$prefix/share/applications/nodescout.desktop"
grep -qx 'Icon=nodescout' "$prefix/share/applications/nodescout.desktop"
# The installed program answers on its command line without a display.
if "$prefix/bin/nodescout" --unknown 2>/dev/null; then
    echo "an unknown command line must fail" >&2
    exit 1
fi
env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/nodescout" --version | grep -q '^nodescout [0-9]'
echo "installed into $prefix"
