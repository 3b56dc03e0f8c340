#!/usr/bin/env bash
# A throwaway LAN of network namespaces, for the demo and the peer figures:
# a client namespace with a bridge, hosts joined to it by veth pairs, some
# of them running Samba's nmbd. Nothing here touches the machine's own
# network: no namespace gets a route beyond the LAN. Sourced by scripts;
# needs root.
#
#   lan_create PREFIX CLIENT_ADDRESS/BITS    e.g. lan_create nsdemo 198.18.0.1/24
#   lan_add_host NAME ADDRESS MAC            a host that answers ARP only
#   lan_start_nmbd NAME NETBIOS_NAME         nmbd on that host (waits until it answers)
#   lan_exec COMMAND...                      runs a command in the client namespace
#   lan_destroy                              stops every nmbd, removes every namespace

LAN_PREFIX=
LAN_CLIENT=
LAN_BITS=
LAN_FOLDER=
LAN_HOSTS=()
LAN_PIDS=()

lan_create() {
    LAN_PREFIX=$1
    LAN_CLIENT=$1-client
    LAN_BITS=${2#*/}
    LAN_FOLDER=$(mktemp -d "/tmp/$1-XXXXXX")
    ip netns add "$LAN_CLIENT"
    ip -n "$LAN_CLIENT" link set lo up
    ip -n "$LAN_CLIENT" link add br0 type bridge
    ip -n "$LAN_CLIENT" link set br0 up
    ip -n "$LAN_CLIENT" address add "$2" dev br0
}

lan_add_host() {
    local name=$1 address=$2 mac=$3
    local netns=$LAN_PREFIX-$name link=v-$name
    ip netns add "$netns"
    LAN_HOSTS+=("$netns")
    ip -n "$netns" link set lo up
    ip -n "$LAN_CLIENT" link add "$link" type veth peer name eth0 netns "$netns"
    ip -n "$LAN_CLIENT" link set "$link" master br0 up
    ip -n "$netns" link set eth0 address "$mac" up
    ip -n "$netns" address add "$address/$LAN_BITS" dev eth0
    eval "LAN_ADDRESS_$name=$address"
}

lan_start_nmbd() {
    local name=$1 netbios=$2
    local netns=$LAN_PREFIX-$name folder=$LAN_FOLDER/nmbd-$1 address_variable=LAN_ADDRESS_$1
    local address=${!address_variable}
    mkdir -p "$folder"/{lock,state,cache,pid,private,ncalrpc,log}
    cat >"$folder/smb.conf" <<CONF
[global]
    netbios name = $netbios
    workgroup = DEMOLAN
    interfaces = $address/$LAN_BITS
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
CONF
    # nmbd keeps a socket in a fixed folder that no setting moves; each nmbd
    # gets a private one in a mount namespace of its own.
    ip netns exec "$netns" unshare --mount --propagation private sh -c \
        'mkdir -p /run/samba/nmbd && mount -t tmpfs -o mode=0755 lan-nmbd /run/samba/nmbd &&
         exec nmbd --foreground --no-process-group --configfile="$1"' \
        nmbd "$folder/smb.conf" >"$folder/nmbd.out" 2>&1 &
    LAN_PIDS+=($!)
    local tries
    for tries in $(seq 1 50); do
        if ip netns exec "$LAN_CLIENT" nmblookup -U "$address" -A "$address" 2>/dev/null |
            grep -q "$netbios"; then
            return 0
        fi
        sleep 0.1
    done
    echo "nmbd for $netbios did not answer; see $folder/nmbd.out" >&2
    return 1
}

lan_exec() {
    ip netns exec "$LAN_CLIENT" "$@"
}

lan_destroy() {
    local pid netns
    for pid in "${LAN_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${LAN_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    for netns in "${LAN_HOSTS[@]}" "$LAN_CLIENT"; do
        [ -n "$netns" ] || continue
        ip netns pids "$netns" 2>/dev/null | xargs -r kill -9 2>/dev/null
        ip netns delete "$netns" 2>/dev/null
    done
    [ -n "$LAN_FOLDER" ] && rm -rf "$LAN_FOLDER"
    LAN_HOSTS=()
    LAN_PIDS=()
    LAN_CLIENT=
}
