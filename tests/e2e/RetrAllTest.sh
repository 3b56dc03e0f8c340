#!/usr/bin/env bash
# End to end: the real program in the demo network (scripts/lib/demo-lan.sh),
# on an X server of its own, driven from outside as a person would, with
# real clicks and key presses. It starts Nodescout from a folder of its own,
# looks up one Samba host with "IP => MAC", scans the range table with
# "Retr All", adds a range whose end is a typo and runs "Retr All" again,
# which must refuse the table with a message box and probe nothing (the
# client's neighbour table shows every address it tried), leaves with Escape
# and "Yes", and then reads the saved list beside the program: every host
# with its MAC address, the Samba hosts with their names, the host of
# "IP => MAC" seen again, and nothing else; the settings keep the typo.
#
#   RetrAllTest.sh PROGRAM GRAB_TOOL
#
# Exit status 77 (a skip) without root or without the tools. On a failure
# it prints what it saw: the step, a screenshot, the program's errors and
# the saved list; the folder with them is kept.

set -u
program=$1
export NODESCOUT_GRAB=$2
top=$(cd "$(dirname "$0")/../.." && pwd)

skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in Xvfb xdotool nmbd nmblookup ip unshare; do
    command -v "$tool" >/dev/null 2>&1 || skip "needs $tool (scripts/dependencies.sh installs it)"
done

. "$top/scripts/lib/lan.sh"
. "$top/scripts/lib/xdrive.sh"
. "$top/scripts/lib/demo-lan.sh"

scratch=$(mktemp -d /tmp/nodescout-e2e-XXXXXX)
folder=$scratch/program
mkdir -p "$folder" "$scratch/runtime"
chmod 700 "$scratch/runtime"
DEMO_PID=
failed=0
started=$(date +%s)

cleanup() {
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null
    lan_destroy
    x_stop_server
    if [ "$failed" -eq 0 ]; then
        rm -rf "$scratch"
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    failed=1
    echo "FAILED: $*"
    if [ -n "$X_SERVER_PID" ] && x_grab "$scratch/screen.png"; then
        echo "the screen at that moment: $scratch/screen.png"
    fi
    echo "--- the program's standard error ($folder/stderr.txt):"
    cat "$folder/stderr.txt" 2>/dev/null
    echo "--- the saved list ($folder/Default.txt):"
    cat -A "$folder/Default.txt" 2>/dev/null
    exit 1
}

step() {
    echo "$(($(date +%s) - started)) s: $*"
}

# ------------------------------------------------ the network, the display, the program

step "building the demo network"
demo_lan_create "nse2e$$" || fail "the demo network could not be built"
demo_last_address_probed && fail "the client knows $DEMO_LAST_PROBED before any scan"
x_start_server "$scratch" || fail "no X server"

cp "$program" "$folder/nodescout"
demo_write_settings "$folder"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$scratch/runtime
# For a build with AddressSanitizer: Qt's X11 plugin brings a library that
# keeps memory to the end.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$top/tests/lsan.supp:print_suppressions=0"
unset WAYLAND_DISPLAY XAUTHORITY
step "starting $folder/nodescout on $DISPLAY"
demo_start "$folder"
main=$(x_wait_window "$DEMO_PID" "$X_MAIN_NAME" 60) || fail "the main window did not appear"

# ------------------------------------------------ IP => MAC on one Samba host

read -r looked_up _ <<<"$(demo_hosts | head -n 1)"
step "IP => MAC on $looked_up"
x_click "$main" "$X_MAIN_IP_TO_MAC" || fail "could not click IP => MAC"
dialog=$(x_wait_window "$DEMO_PID" "$X_BOX_NAME" 30 "$main") || fail "no address dialog"
x_click "$dialog" "$X_IP_INPUT_EDIT" || fail "could not click the address field"
x_type "$dialog" "$looked_up" || fail "could not type into the address field"
x_keys "$dialog" Return || fail "could not confirm the address dialog"
x_wait_gone "$dialog" 30 || fail "the address dialog stayed"

# ------------------------------------------------ Retr All over the table

step "Retr All over $DEMO_RANGE_START - $DEMO_RANGE_END"
demo_retr_all "$DEMO_PID" "$main" || fail "Retr All did not run to the end"

# ------------------------------------------------ a range end that is no address

# What inet_addr makes of the typo, 255.255.255.255, would walk on from .9
# past the network. Every address the client tries leaves a neighbour entry;
# the first scan tried .2 up to the last address it probes.
typo_start=198.18.0.9
typo_end=198.18.0.2555
tried_outside() {
    local address
    ip -4 -n "$LAN_CLIENT" neigh show | awk '{print $1}' | while read -r address; do
        if [ "${address%.*}" != "${DEMO_RANGE_START%.*}" ] ||
            [ "${address##*.}" -gt "${DEMO_LAST_PROBED##*.}" ]; then
            echo "$address"
        fi
    done
}
step "Retr All with a range from $typo_start to $typo_end"
x_click "$main" "$X_MAIN_RETR_ALL" || fail "could not click Retr All"
dialog=$(x_wait_window "$DEMO_PID" "$X_RANGE_NAME" 30) || fail "no range dialog"
x_click "$dialog" "$X_RANGE_IP1" && x_keys "$dialog" ctrl+a && x_type "$dialog" "$typo_start" ||
    fail "could not type the start"
x_click "$dialog" "$X_RANGE_IP2" && x_keys "$dialog" ctrl+a && x_type "$dialog" "$typo_end" ||
    fail "could not type the end"
x_click "$dialog" "$X_RANGE_ADD" || fail "could not click Add"
x_click "$dialog" "$X_RANGE_OK" || fail "could not click OK"
x_wait_gone "$dialog" 30 || fail "the range dialog stayed"
box=$(x_wait_window "$DEMO_PID" "$X_BOX_NAME" 30 "$main") || fail "no box about the range"
x_keys "$box" Return || fail "could not close the box"
x_wait_gone "$box" 30 || fail "the box stayed"
# A walk would have tried .1 again and then .9 within this time.
sleep $((3 * (DEMO_TIMEOUT_MICROSECONDS / 1000 + 1)))
outside=$(tried_outside)
[ -z "$outside" ] || fail "addresses that no host has were tried: $outside"

step "Escape, Yes"
demo_quit "$DEMO_PID" "$main" || fail "the program did not end after Escape and Yes"
[ "$X_EXIT_STATUS" -eq 0 ] || fail "the program ended with status $X_EXIT_STATUS"

# Every host of the network in Default.txt with its MAC and name, once.
check_saved_list() {
    step "checking $folder/Default.txt"

    [ -f "$folder/Default.txt" ] || fail "no Default.txt beside the program"
    local saved rows hosts row number found_mac found_name
    saved=$(tr -d '\r' <"$folder/Default.txt")
    while read -r address mac name; do
        [ "$name" = - ] && name=
        row=$(awk -F '\t' -v a="$address" '$2 == a' <<<"$saved")
        [ -n "$row" ] || fail "no row for $address"
        IFS=$'\t' read -r number _ found_mac found_name <<<"$row"
        [ "$found_mac" = "$mac" ] || fail "$address has MAC '$found_mac', not $mac"
        [ "$found_name" = "$name" ] || fail "$address has the name '$found_name', not '$name'"
        if [ "$address" = "$looked_up" ]; then
            [ "$number" = +1 ] || fail "$address, found by IP => MAC and again by the scan, is '$number', not +1"
        fi
    done < <(demo_hosts)
    rows=$(grep -c . <<<"$saved")
    hosts=$(demo_hosts | wc -l)
    [ "$rows" -eq "$hosts" ] || fail "the list has $rows rows for $hosts hosts"
}

# ------------------------------------------------ the saved list

check_saved_list
grep -q "^IP2-2=$typo_end"$'\r'"\$" "$folder/Scout.ini" ||
    fail "the settings do not keep the range's end as typed"

# ------------------------------------------------ SIGTERM: the way out of a desktop logout

step "again: the saved list read, the file gone, Retr All, a dialog open, then SIGTERM"
# The range table without the typo, so that Retr All walks again.
demo_write_settings "$folder"
demo_start "$folder"
main=$(x_wait_window "$DEMO_PID" "$X_MAIN_NAME" 60) || fail "the main window did not appear again"
# The window has read the list: only a save on the way out brings it back.
rm -f "$folder/Default.txt"
demo_retr_all "$DEMO_PID" "$main" || fail "the second Retr All did not run to the end"
x_click "$main" "$X_MAIN_IP_TO_MAC" || fail "could not click IP => MAC"
x_wait_window "$DEMO_PID" "$X_BOX_NAME" 30 "$main" >/dev/null || fail "no address dialog"
kill -TERM "$DEMO_PID"
x_wait_exit "$DEMO_PID" 60 || fail "the program did not end after SIGTERM"
[ "$X_EXIT_STATUS" -eq 0 ] || fail "after SIGTERM the program ended with status $X_EXIT_STATUS"
DEMO_PID=
# The address dialog ended unconfirmed; the rows read from the file are
# numbered afresh, so the numbers are not checked again.
looked_up=
check_saved_list

step "passed"
