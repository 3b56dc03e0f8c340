#!/usr/bin/env bash
# A throwaway LAN of network namespaces: a client namespace with a bridge
# br0, hosts joined to it by veth pairs, some of them running Samba's nmbd.
# Nothing here touches the machine's own network: no namespace gets a route
# beyond the LAN. Needs root.
#
# This file is the one description of such a LAN: how its namespaces and
# links are named, how the client and a host are set up, how nmbd is
# configured and started, and how the LAN is taken down. The demo, the
# end-to-end test and bench/peers.sh source it; the C++ tests' NetLab
# (tests/support/NetLab.cpp) runs it as a program.
#
# Sourced, for scripts that keep one LAN in shell variables:
#   lan_create PREFIX CLIENT_ADDRESS/BITS    e.g. lan_create nsdemo 198.18.0.1/24
#   lan_add_host NAME ADDRESS MAC            a host that answers ARP only
#   lan_start_nmbd NAME NETBIOS_NAME [WORKGROUP]
#                                            nmbd on that host (waits until it answers)
#   lan_start_responder NAME PROGRAM DELAY_MS NETBIOS_NAME ADAPTER
#                                            a late answerer on that host: PROGRAM is
#                                            nodescout_late_responder, ADAPTER "zero" or
#                                            a MAC (waits until it answers)
#   lan_exec COMMAND...                      runs a command in the client namespace
#   lan_destroy                              stops every nmbd, removes every namespace
#
# Run as a program, one step at a time (the caller keeps the state):
#   lan.sh create LAB CLIENT_ADDRESS/BITS    builds the client; prints its namespace
#   lan.sh add-host LAB NAME ADDRESS/BITS MAC
#                                            adds a host; prints its namespace
#   lan.sh nmbd NAMESPACE ADDRESS/BITS NETBIOS_NAME WORKGROUP FOLDER
#                                            writes FOLDER/smb.conf and becomes nmbd in the
#                                            host's namespace, in the foreground, logging
#                                            to stdout
#   lan.sh responder PROGRAM NAMESPACE ADDRESS DELAY_MS NETBIOS_NAME ADAPTER
#                                            becomes PROGRAM (nodescout_late_responder)
#                                            in the host's namespace, in the foreground:
#                                            it answers node status after DELAY_MS
#   lan.sh delete NAMESPACE...               kills what runs in them and removes them

# The MAC of the client's bridge, so that the client's own address has the
# same owner in every run.
LAN_BRIDGE_MAC=02:4e:53:00:00:01

lan_client_netns() { printf '%s-c\n' "$1"; }
lan_host_netns() { printf '%s-%s\n' "$1" "$2"; }
# The client's end of a host's veth pair (interface names have 15 bytes at most).
lan_host_link() { printf 'v-%s\n' "$1"; }

# LAB CLIENT_ADDRESS/BITS
lan_build_client() {
    local netns
    netns=$(lan_client_netns "$1")
    ip netns add "$netns" || return 1
    ip -n "$netns" link set lo up &&
        ip -n "$netns" link add br0 type bridge &&
        ip -n "$netns" link set br0 address "$LAN_BRIDGE_MAC" up &&
        ip -n "$netns" address add "$2" dev br0
}

# LAB NAME ADDRESS/BITS MAC
lan_build_host() {
    local client netns link
    client=$(lan_client_netns "$1")
    netns=$(lan_host_netns "$1" "$2")
    link=$(lan_host_link "$2")
    ip netns add "$netns" || return 1
    ip -n "$netns" link set lo up &&
        ip -n "$client" link add "$link" type veth peer name eth0 netns "$netns" &&
        ip -n "$client" link set "$link" master br0 up &&
        ip -n "$netns" link set eth0 address "$4" up &&
        ip -n "$netns" address add "$3" dev eth0
}

# FOLDER NETBIOS_NAME WORKGROUP ADDRESS/BITS: only what nmbd needs to answer
# on the one address, and nothing that makes it talk more than it must
# (browsing, WINS, DNS proxy).
lan_write_nmbd_configuration() {
    local folder=$1
    mkdir -p "$folder"/{lock,state,cache,pid,private,ncalrpc,log} || return 1
    cat >"$folder/smb.conf" <<CONF
[global]
    netbios name = $2
    workgroup = $3
    interfaces = $4
    bind interfaces only = yes
    lock directory = $folder/lock
    state directory = $folder/state
    cache directory = $folder/cache
    pid directory = $folder/pid
    private dir = $folder/private
    ncalrpc dir = $folder/ncalrpc
    log file = $folder/log/log.%m
    dns proxy = no
    wins support = no
    local master = no
    domain master = no
    preferred master = no
    os level = 0
    load printers = no
    disable spoolss = yes
CONF
}

# NAMESPACE ADDRESS/BITS NETBIOS_NAME WORKGROUP FOLDER; does not return.
#
# nmbd's socket for unexpected packets has a fixed place that no setting
# moves (/run/samba/nmbd); two nmbd starting at once would fight over it.
# Each gets a private one in a mount namespace of its own. nmbd runs at a
# real-time priority where the system allows it: walks in the LAN wait less
# than a millisecond for its answer, which a busy machine (parallel tests,
# sanitizers) often does not give an ordinary process in time.
lan_exec_nmbd() {
    lan_write_nmbd_configuration "$5" "$3" "$4" "$2" || exit 1
    # shellcheck disable=SC2016 # the inner shell expands $$ and $1
    exec ip netns exec "$1" unshare --mount --propagation private sh -c \
        'mkdir -p /run/samba/nmbd && mount -t tmpfs -o mode=0755 lan-nmbd /run/samba/nmbd &&
         { chrt --fifo --pid 20 $$ 2>/dev/null || true; } &&
         exec nmbd --foreground --no-process-group --debug-stdout -d1 --configfile="$1"' \
        nmbd "$5/smb.conf"
}

# PROGRAM NAMESPACE ADDRESS DELAY_MS NETBIOS_NAME ADAPTER; does not return.
# At a real-time priority where the system allows it, like nmbd: the delay
# is the host's, not the busy machine's.
lan_exec_responder() {
    local program=$1 netns=$2
    shift 2
    # shellcheck disable=SC2016 # the inner shell expands $$ and $@
    exec ip netns exec "$netns" sh -c \
        '{ chrt --fifo --pid 20 $$ 2>/dev/null || true; } && exec "$@"' \
        responder "$program" "$@"
}

# NAMESPACE...: whatever still runs in them is killed first.
lan_delete_namespaces() {
    local netns
    for netns in "$@"; do
        [ -n "$netns" ] || continue
        ip netns pids "$netns" 2>/dev/null | xargs -r kill -9 2>/dev/null
        ip netns delete "$netns" 2>/dev/null
    done
    return 0
}

# ------------------------------------------------ one LAN kept in shell variables

LAN_SCRIPT=${BASH_SOURCE[0]}
LAN_PREFIX=
LAN_CLIENT=
LAN_BITS=
LAN_FOLDER=
LAN_HOSTS=()
LAN_PIDS=()

lan_create() {
    LAN_PREFIX=$1
    LAN_CLIENT=$(lan_client_netns "$1")
    LAN_BITS=${2#*/}
    LAN_FOLDER=$(mktemp -d "/tmp/$1-XXXXXX")
    lan_build_client "$1" "$2"
}

lan_add_host() {
    local name=$1 address=$2 mac=$3
    LAN_HOSTS+=("$(lan_host_netns "$LAN_PREFIX" "$name")")
    lan_build_host "$LAN_PREFIX" "$name" "$address/$LAN_BITS" "$mac" || return 1
    eval "LAN_ADDRESS_$name=$address"
}

lan_start_nmbd() {
    local name=$1 netbios=$2 workgroup=${3:-DEMOLAN}
    local folder=$LAN_FOLDER/nmbd-$1 address_variable=LAN_ADDRESS_$1
    local address=${!address_variable}
    mkdir -p "$folder"
    bash "$LAN_SCRIPT" nmbd "$(lan_host_netns "$LAN_PREFIX" "$name")" "$address/$LAN_BITS" \
        "$netbios" "$workgroup" "$folder" >"$folder/nmbd.out" 2>&1 &
    LAN_PIDS+=($!)
    lan_wait_for_name "$address" "$netbios" "$folder/nmbd.out"
}

lan_start_responder() {
    local name=$1 program=$2 delay=$3 netbios=$4 adapter=$5
    local address_variable=LAN_ADDRESS_$1 log=$LAN_FOLDER/responder-$1.out
    local address=${!address_variable}
    bash "$LAN_SCRIPT" responder "$program" "$(lan_host_netns "$LAN_PREFIX" "$name")" \
        "$address" "$delay" "$netbios" "$adapter" >"$log" 2>&1 &
    LAN_PIDS+=($!)
    lan_wait_for_name "$address" "$netbios" "$log"
}

# ADDRESS NETBIOS_NAME LOG: until a node-status query from the client gets
# the name, at most five seconds.
lan_wait_for_name() {
    local _
    for _ in $(seq 1 50); do
        if ip netns exec "$LAN_CLIENT" nmblookup -U "$1" -A "$1" 2>/dev/null | grep -q "$2"; then
            return 0
        fi
        sleep 0.1
    done
    echo "$2 on $1 did not answer; see $3" >&2
    return 1
}

lan_exec() {
    ip netns exec "$LAN_CLIENT" "$@"
}

lan_destroy() {
    local pid
    for pid in "${LAN_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${LAN_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    lan_delete_namespaces "${LAN_HOSTS[@]}" "$LAN_CLIENT"
    [ -n "$LAN_FOLDER" ] && rm -rf "$LAN_FOLDER"
    LAN_HOSTS=()
    LAN_PIDS=()
    LAN_CLIENT=
}

# ------------------------------------------------ run as a program

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -u
    command=${1:-}
    shift || true
    case "$command" in
    create)
        [ $# -eq 2 ] || { echo "usage: $0 create LAB CLIENT_ADDRESS/BITS" >&2; exit 2; }
        lan_build_client "$@" || exit 1
        lan_client_netns "$1"
        ;;
    add-host)
        [ $# -eq 4 ] || { echo "usage: $0 add-host LAB NAME ADDRESS/BITS MAC" >&2; exit 2; }
        lan_build_host "$@" || exit 1
        lan_host_netns "$1" "$2"
        ;;
    nmbd)
        [ $# -eq 5 ] ||
            { echo "usage: $0 nmbd NAMESPACE ADDRESS/BITS NETBIOS_NAME WORKGROUP FOLDER" >&2; exit 2; }
        lan_exec_nmbd "$@"
        ;;
    responder)
        [ $# -eq 6 ] || {
            echo "usage: $0 responder PROGRAM NAMESPACE ADDRESS DELAY_MS NETBIOS_NAME ADAPTER" >&2
            exit 2
        }
        lan_exec_responder "$@"
        ;;
    delete)
        lan_delete_namespaces "$@"
        ;;
    *)
        echo "usage: $0 create|add-host|nmbd|responder|delete ..." >&2
        exit 2
        ;;
    esac
fi
