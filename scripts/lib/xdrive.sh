# shellcheck shell=bash disable=SC2034
# Drives Nodescout's real window from outside, as a person would: an X
# server of its own (Xvfb), real key presses and clicks through the XTEST
# extension (xdotool), and pictures of what the screen shows
# (nodescout_grab). Without a window manager a top-level X window is the
# window's client area, so a control's place follows from its dialog-unit
# rectangle: the dialog font's base units are 6 x 13 pixels, so x dialog
# units are x*6/4 pixels and y units are y*13/8. Every wait has a time
# limit; a function that runs out of time says what it waited for and
# returns 1. Sourced by scripts and tests.
#
#   x_start_server FOLDER          Xvfb on a free display: sets DISPLAY, X_SERVER_PID
#   x_stop_server
#   x_wait_window PID REGEX SECONDS [ID...]   prints the id of a visible window of
#                                  process PID whose name matches, other than the IDs
#   x_wait_gone WINDOW SECONDS     until WINDOW is no longer shown
#   x_click WINDOW "X Y W H"       clicks the middle of that dialog-unit rectangle
#   x_keys WINDOW KEY...           gives WINDOW the keyboard focus and presses the keys
#   x_type WINDOW TEXT             gives WINDOW the keyboard focus and types TEXT
#   x_grab OUTPUT.png [WINDOW]     a picture of WINDOW or of the whole screen
#   x_wait_exit PID SECONDS        until process PID has ended; its status in X_EXIT_STATUS
#
# Needs Xvfb, xdotool and NODESCOUT_GRAB (the path of nodescout_grab).

# Controls, as "x y width height" in dialog units.
X_MAIN_RETR_ALL="14 11 43 15"     # main window
X_MAIN_IP_TO_MAC="66 11 43 15"    # main window
X_IP_INPUT_EDIT="75 17 68 12"     # the one-address dialog
X_RANGE_IP1="20 26 64 12"         # the range table dialog
X_RANGE_IP2="103 26 64 12"        # the range table dialog
X_RANGE_ADD="193 44 50 14"        # the range table dialog
X_RANGE_OK="193 105 50 14"        # the range table dialog

# Names of the windows (extended regular expressions).
X_MAIN_NAME='^Nodescout 2\.1$'
X_RANGE_NAME='^IP Range$'
# Message boxes carry the program's name; so does a dialog without a caption.
X_BOX_NAME='^Nodescout$'

X_SERVER_PID=

x_start_server() {
    local folder=$1 tries
    : >"$folder/display"
    # Xvfb picks a free display itself and writes its number once it listens.
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
        3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
    X_SERVER_PID=$!
    for tries in $(seq 1 100); do
        if grep -q '^[0-9]' "$folder/display" 2>/dev/null; then
            DISPLAY=:$(head -n 1 "$folder/display")
            export DISPLAY
            return 0
        fi
        sleep 0.1
    done
    echo "Xvfb did not start; see $folder/xvfb.log" >&2
    return 1
}

x_stop_server() {
    if [ -n "$X_SERVER_PID" ]; then
        kill "$X_SERVER_PID" 2>/dev/null
        wait "$X_SERVER_PID" 2>/dev/null
        X_SERVER_PID=
    fi
    return 0
}

# Polls every tenth of a second until COMMAND succeeds or SECONDS pass.
x_poll() {
    local seconds=$1 deadline
    shift
    deadline=$(($(date +%s%N) + seconds * 1000000000))
    until "$@"; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# The visible windows of process PID whose names match REGEX, one a line.
# The names are those that getwindowname reads: xdotool's own name search
# misses the windows whose caption Qt fills in with the program's name.
x_windows_of() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$window" 2>/dev/null)" =~ $2 ]] && echo "$window"
    done
    return 0
}

x_new_window_of() {
    local pid=$1 regex=$2 window known
    shift 2
    for window in $(x_windows_of "$pid" "$regex"); do
        for known in "$@"; do
            [ "$window" = "$known" ] && continue 2
        done
        X_FOUND_WINDOW=$window
        return 0
    done
    return 1
}

x_wait_window() {
    local pid=$1 regex=$2 seconds=$3
    shift 3
    X_FOUND_WINDOW=
    if ! x_poll "$seconds" x_new_window_of "$pid" "$regex" "$@"; then
        echo "no window named $regex appeared within $seconds s" >&2
        return 1
    fi
    echo "$X_FOUND_WINDOW"
}

x_window_shown() {
    xdotool search --onlyvisible --name '' 2>/dev/null | grep -qx "$1"
}

x_window_gone() {
    ! x_window_shown "$1"
}

x_wait_gone() {
    if ! x_poll "$2" x_window_gone "$1"; then
        echo "window $1 was still shown after $2 s" >&2
        return 1
    fi
}

x_click() {
    local window=$1 x y width height
    read -r x y width height <<<"$2"
    xdotool mousemove --window "$window" $(((2 * x + width) * 3 / 4)) \
        $(((2 * y + height) * 13 / 16)) click 1
}

x_has_focus() {
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# Without a window manager nobody hands the focus back when a dialog
# closes; this gives it as a window manager would.
x_focus() {
    xdotool windowfocus "$1" 2>/dev/null
    if ! x_poll 5 x_has_focus "$1"; then
        echo "window $1 did not take the keyboard focus" >&2
        return 1
    fi
}

x_keys() {
    local window=$1
    shift
    x_focus "$window" || return 1
    xdotool key --delay 50 "$@"
}

x_type() {
    x_focus "$1" || return 1
    xdotool type --delay 30 "$2"
}

x_grab() {
    "$NODESCOUT_GRAB" "$@" 2>/dev/null
}

x_process_ended() {
    ! kill -0 "$1" 2>/dev/null
}

x_wait_exit() {
    X_EXIT_STATUS=
    if ! x_poll "$2" x_process_ended "$1"; then
        echo "process $1 was still running after $2 s" >&2
        return 1
    fi
    wait "$1" 2>/dev/null
    X_EXIT_STATUS=$?
}
