# shellcheck shell=bash disable=SC2034
# The demo network: a throwaway LAN (scripts/lib/lan.sh) on 198.18.0.0/24
# with three Samba hosts of different NetBIOS names and two hosts that
# answer ARP only, and the settings file that points Nodescout at it.
# Used by scripts/demo.sh, scripts/screenshot.sh and the end-to-end test.
# Sourced after lan.sh; needs root.
#
#   demo_lan_create PREFIX        builds the LAN with namespaces named PREFIX-*
#   demo_write_settings FOLDER    writes FOLDER/Scout.ini for that LAN
#   demo_hosts                    prints each host: address, MAC text, NetBIOS name (or -)
#   demo_start FOLDER             starts FOLDER/nodescout in the client namespace, its
#                                 errors into FOLDER/stderr.txt; sets DEMO_PID
#   demo_retr_all PID WINDOW      "Retr All" over the table in the main window WINDOW of
#                                 Nodescout (process PID), until the last address is probed
#   demo_quit PID WINDOW          Escape, "Yes", and the end of the process
#   demo_scan_and_grab FOLDER PNG FOLDER/nodescout on an X server of its own: "Retr All",
#                                 a picture of the window, Escape and "Yes"
#   demo_stop                     ends the program, the X server and the network
# The window is driven through scripts/lib/xdrive.sh.

DEMO_CLIENT=198.18.0.1/24

# name address MAC NetBIOS-name ("-": the host answers ARP only)
DEMO_HOST_TABLE=(
    "files 198.18.0.2 52:54:00:1a:2b:02 FILESERVER"
    "print 198.18.0.3 52:54:00:1a:2b:03 PRINTHOST"
    "desk 198.18.0.4 52:54:00:1a:2b:04 DESKTOP-7"
    "camera 198.18.0.5 02:42:c6:12:00:05 -"
    "switch 198.18.0.6 02:42:c6:12:00:06 -"
)

# The range table walks .1 up to .7 (a range's end address is not probed):
# the client itself, the five hosts and one silent address.
DEMO_RANGE_START=198.18.0.1
DEMO_RANGE_END=198.18.0.8
# The last address the range walk probes.
DEMO_LAST_PROBED=198.18.0.7
# The host that "MAC => IP" is set up to look for.
DEMO_SEARCHED_MAC=0242c6120006

# The probe's wait: the setting is whole thousands of seconds plus the
# remainder in microseconds, so nothing lies between 999 us and one second.
# 999 us is shorter than an answer takes on a busy machine; one second
# makes every silent address of the range cost a second, which the short
# range keeps to about four seconds for a scan.
DEMO_TIMEOUT_MICROSECONDS=1000

demo_lan_create() {
    local entry name address mac netbios
    lan_create "$1" "$DEMO_CLIENT" || return 1
    for entry in "${DEMO_HOST_TABLE[@]}"; do
        read -r name address mac netbios <<<"$entry"
        lan_add_host "$name" "$address" "$mac" || return 1
    done
    for entry in "${DEMO_HOST_TABLE[@]}"; do
        read -r name address mac netbios <<<"$entry"
        if [ "$netbios" != - ]; then
            lan_start_nmbd "$name" "$netbios" || return 1
        fi
    done
}

demo_write_settings() {
    printf '%s\r\n' \
        "[Profile]" \
        "IP1=$DEMO_RANGE_START" \
        "IP2=$DEMO_RANGE_END" \
        "MAC=$DEMO_SEARCHED_MAC" \
        "Interval=10" \
        "TimeOutMicroseconds=$DEMO_TIMEOUT_MICROSECONDS" \
        "[IPRange]" \
        "Count=1" \
        "IP1-1=$DEMO_RANGE_START" \
        "IP1-2=$DEMO_RANGE_END" >"$1/Scout.ini"
}

demo_hosts() {
    local entry name address mac netbios
    for entry in "${DEMO_HOST_TABLE[@]}"; do
        read -r name address mac netbios <<<"$entry"
        printf '%s %s %s\n' "$address" "${mac//:/}" "$netbios"
    done
}

DEMO_PID=
DEMO_X_FOLDER=

demo_start() {
    # The display's variables pass through: X11 and Wayland reach the
    # display by a file-system socket, which works across network namespaces.
    ip netns exec "$LAN_CLIENT" "$1/nodescout" 2>"$1/stderr.txt" &
    DEMO_PID=$!
}

# How long a scan of the range table may take at most: every address
# costs the probe's wait at worst, plus two seconds of slack each (a slow
# build, a busy machine), plus time to start.
demo_scan_seconds() {
    local probes=$((${DEMO_RANGE_END##*.} - ${DEMO_RANGE_START##*.}))
    local wait=$((DEMO_TIMEOUT_MICROSECONDS / 1000 + 1))
    echo $((probes * (wait + 2) + 20))
}

# The walk goes up one address at a time and enters a host's row before it
# moves on, so once the client has looked for the last address's owner
# (its neighbour table has an entry for it), every row is in.
demo_last_address_probed() {
    ip -n "$LAN_CLIENT" neigh show "$DEMO_LAST_PROBED" 2>/dev/null | grep -q .
}

demo_retr_all() {
    local pid=$1 window=$2 dialog seconds
    seconds=$(demo_scan_seconds)
    x_click "$window" "$X_MAIN_RETR_ALL" || return 1
    dialog=$(x_wait_window "$pid" "$X_RANGE_NAME" 30) || return 1
    x_click "$dialog" "$X_RANGE_OK" || return 1
    x_wait_gone "$dialog" 30 || return 1
    if ! x_poll "$seconds" demo_last_address_probed; then
        echo "the scan did not reach $DEMO_LAST_PROBED within $seconds s" >&2
        return 1
    fi
}

demo_quit() {
    local pid=$1 window=$2 box
    x_keys "$window" Escape || return 1
    box=$(x_wait_window "$pid" "$X_BOX_NAME" 30) || return 1
    x_keys "$box" Return || return 1 # "Yes" is the default button
    x_wait_exit "$pid" 60
}

demo_scan_and_grab() {
    local folder=$1 output=$2 main
    DEMO_X_FOLDER=$(mktemp -d /tmp/nodescout-x-XXXXXX)
    mkdir -m 700 "$DEMO_X_FOLDER/runtime"
    x_start_server "$DEMO_X_FOLDER" || return 1
    export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$DEMO_X_FOLDER/runtime
    unset WAYLAND_DISPLAY XAUTHORITY
    demo_start "$folder"
    main=$(x_wait_window "$DEMO_PID" "$X_MAIN_NAME" 60) || return 1
    demo_retr_all "$DEMO_PID" "$main" || return 1
    # The last address is silent: its probe waits out the whole wait, and
    # only then does the bar show the scan's end.
    sleep $((DEMO_TIMEOUT_MICROSECONDS / 1000 + 1))
    if ! x_grab "$output" "$main"; then
        echo "could not save the window as $output" >&2
        return 1
    fi
    demo_quit "$DEMO_PID" "$main" || return 1
    DEMO_PID=
}

demo_stop() {
    # Runs from the callers' traps, also under set -e: a process that ends
    # with a status of its own must not cut the clean-up short.
    local -
    set +e
    if [ -n "$DEMO_PID" ]; then
        kill "$DEMO_PID" 2>/dev/null
        wait "$DEMO_PID" 2>/dev/null
        DEMO_PID=
    fi
    lan_destroy
    x_stop_server
    if [ -n "$DEMO_X_FOLDER" ]; then
        rm -rf "$DEMO_X_FOLDER"
        DEMO_X_FOLDER=
    fi
    return 0
}
