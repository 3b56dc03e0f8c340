#!/usr/bin/env bash
# Makes the README's screenshot, docs/screenshot.png: the main window after
# "Retr All" in the demo network (scripts/lib/demo-lan.sh), on an X server
# of its own, from a folder with an empty list. Needs root.
#   scripts/screenshot.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/screenshot.sh needs root to build its network namespaces; run it with sudo" >&2
    exit 1
fi

. "$top/scripts/dependencies.sh"
ensure_packages "${BUILD_PACKAGES[@]}" samba iproute2 xvfb xdotool
"$top/scripts/build.sh" "$top/build" -DNODESCOUT_BUILD_TESTS=OFF -DNODESCOUT_BUILD_BENCH=OFF
cmake --build "$top/build" --parallel "$(nproc)" --target nodescout_grab

. "$top/scripts/lib/lan.sh"
. "$top/scripts/lib/xdrive.sh"
. "$top/scripts/lib/demo-lan.sh"
export NODESCOUT_GRAB=$top/build/tools/grab/nodescout_grab

folder=$(mktemp -d /tmp/nodescout-shot-XXXXXX)
stop() {
    local status=$?
    demo_stop
    if [ "$status" -ne 0 ] && [ -s "$folder/stderr.txt" ]; then
        echo "Nodescout's standard error:" >&2
        cat "$folder/stderr.txt" >&2
    fi
    rm -rf "$folder"
}
trap stop EXIT
trap 'exit 130' INT TERM

cp "$top/build/app/nodescout" "$folder/nodescout"
demo_write_settings "$folder"
demo_lan_create "nsshot$$"
mkdir -p "$top/docs"
demo_scan_and_grab "$folder" "$top/docs/screenshot.png"
echo "Wrote $top/docs/screenshot.png"
