#!/usr/bin/env bash
# Builds Nodescout and starts it in a throwaway network of its own, to try
# every command on real hosts: on 198.18.0.0/24, three Samba hosts with
# NetBIOS names and two hosts that answer ARP only (scripts/lib/demo-lan.sh).
# Nodescout runs from build/demo/, with a settings file there whose range
# table, addresses and MAC search are filled in for that network; its saved
# list stays there too, apart from the user's. The network and everything
# started for it go when Nodescout ends or the command is interrupted.
#
# Nodescout appears on the user's display (X11 or Wayland: the display's
# variables pass through). Without a display it runs on an X server of its
# own, scans the range table and leaves a screenshot in build/demo/.
#
#   scripts/demo.sh        as root
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "scripts/demo.sh needs root to build its network namespaces; run it with sudo" >&2
    exit 1
fi

. "$top/scripts/dependencies.sh"
headless=0
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && headless=1
packages=("${BUILD_PACKAGES[@]}" samba iproute2)
[ "$headless" -eq 1 ] && packages+=(xvfb xdotool)
ensure_packages "${packages[@]}"
"$top/scripts/build.sh" "$top/build" -DNODESCOUT_BUILD_TESTS=OFF -DNODESCOUT_BUILD_BENCH=OFF
if [ "$headless" -eq 1 ]; then
    cmake --build "$top/build" --parallel "$(nproc)" --target nodescout_grab
fi

. "$top/scripts/lib/lan.sh"
. "$top/scripts/lib/xdrive.sh"
. "$top/scripts/lib/demo-lan.sh"
export NODESCOUT_GRAB=$top/build/tools/grab/nodescout_grab

folder=$top/build/demo
mkdir -p "$folder"
cp "$top/build/app/nodescout" "$folder/nodescout"
demo_write_settings "$folder"

trap demo_stop EXIT
trap 'exit 130' INT TERM

echo "Building the demo network (namespaces nsdemo$$-*)"
demo_lan_create "nsdemo$$"
echo "Nodescout's network: it is ${DEMO_CLIENT%/*}; the hosts:"
while read -r address mac name; do
    [ "$name" = - ] && name="(answers ARP only)"
    printf '  %-12s %s  %s\n' "$address" "$mac" "$name"
done < <(demo_hosts)
echo "\"Retr All\" scans $DEMO_RANGE_START to $DEMO_RANGE_END (the end not included);" \
    "\"MAC => IP\" looks for $DEMO_SEARCHED_MAC."

if [ "$headless" -eq 0 ]; then
    # Root under sudo often lacks the user's X11 cookie.
    if [ -n "${DISPLAY:-}" ] && [ -z "${XAUTHORITY:-}" ] && [ -n "${SUDO_USER:-}" ]; then
        cookie=$(getent passwd "$SUDO_USER" | cut -d: -f6)/.Xauthority
        [ -f "$cookie" ] && export XAUTHORITY=$cookie
    fi
    echo "Starting $folder/nodescout; close it to remove the network."
    demo_start "$folder"
    status=0
    wait "$DEMO_PID" || status=$?
    DEMO_PID=
    [ "$status" -eq 0 ] || echo "Nodescout ended with status $status; see $folder/stderr.txt" >&2
    exit "$status"
fi

echo "No display: Nodescout runs on an X server of its own and scans the range table."
demo_scan_and_grab "$folder" "$folder/screenshot.png"
echo "Screenshot of the window after the scan: $folder/screenshot.png"
echo "The list it saved: $folder/Default.txt"
