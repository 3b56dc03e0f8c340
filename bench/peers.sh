#!/usr/bin/env bash
# Times Nodescout's range walk against nbtscan over one private /24 and
# counts what each finds. Builds a throwaway LAN of network namespaces on
# 198.18.0.0/24 (Samba nmbd hosts, hosts that answer ARP only, and hosts
# that answer node status 2 to 50 ms late like Wi-Fi clients and busy
# machines, with MACs chosen here), walks all 256 addresses with
# nodescout_walk in several modes and with nbtscan from the LAN's client
# namespace, and prints a Markdown table of medians. Nothing is sent on the
# machine's own network. Needs root; installs the Debian packages it misses.
#
#   bench/peers.sh [--quick] [REPEATS]   each measurement REPEATS times (default 3)
#
# Each Nodescout mode is nothing but the Scout.ini that nodescout_walk
# reads (see CONFIGS). TimeOutMicroseconds=1000 waits 1 s per silent
# address, so one such walk takes about 4 minutes; --quick leaves it out.
set -euo pipefail
export LC_ALL=C
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/dependencies.sh"
. "$top/scripts/lib/lan.sh"

quick=0
if [ "${1:-}" = --quick ]; then
    quick=1
    shift
fi
repeats=${1:-3}
if [ $# -gt 1 ] || ! [[ $repeats =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [--quick] [REPEATS]" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "bench/peers.sh builds network namespaces and needs root." >&2
    exit 1
fi

FIRST=198.18.0.0
END=198.18.1.0 # the walk stops before this one: .0 to .255
CIDR=198.18.0.0/24
CLIENT=198.18.0.1/24

# name address MAC NetBIOS-name; addresses spread over the /24.
SAMBA_HOSTS=(
    "smb12 198.18.0.12 02:50:45:45:52:0c PEERSMB12"
    "smb77 198.18.0.77 02:50:45:45:52:4d PEERSMB77"
    "smb140 198.18.0.140 02:50:45:45:52:8c PEERSMB140"
    "smb203 198.18.0.203 02:50:45:45:52:cb PEERSMB203"
)
# name address MAC NetBIOS-name delay-ms; nodescout_late_responder answers
# node status after the delay, with the host's own MAC as adapter address
# (as Windows sends it).
LATE_HOSTS=(
    "late2 198.18.0.33 02:50:45:45:52:21 LATE2MS 2"
    "late5 198.18.0.66 02:50:45:45:52:42 LATE5MS 5"
    "late10 198.18.0.109 02:50:45:45:52:6d LATE10MS 10"
    "late20 198.18.0.188 02:50:45:45:52:bc LATE20MS 20"
    "late50 198.18.0.231 02:50:45:45:52:e7 LATE50MS 50"
)
# name address MAC; no NetBIOS service, they answer ARP only.
SILENT_HOSTS=(
    "arp5 198.18.0.5 02:50:45:45:52:05"
    "arp98 198.18.0.98 02:50:45:45:52:62"
    "arp171 198.18.0.171 02:50:45:45:52:ab"
    "arp254 198.18.0.254 02:50:45:45:52:fe"
)

declare -A EXPECTED_MAC=() EXPECTED_NAME=()
work=

cleanup() {
    set +e
    trap - EXIT INT TERM HUP
    lan_destroy
    [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

say() { printf '%s\n' "$*" >&2; }

# A MAC as twelve lower-case hex digits, whatever its separators.
plain_mac() {
    local mac=${1//[:-]/}
    printf '%s' "${mac,,}"
}

build_walk() {
    local build_dir=$top/build-peers
    say "Building nodescout_walk and nodescout_late_responder in $build_dir"
    cmake -S "$top" -B "$build_dir" -G Ninja -DNODESCOUT_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build_dir" --target nodescout_walk nodescout_late_responder -j2 \
        >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; return 1; }
    WALK=$build_dir/bench/nodescout_walk
    RESPONDER=$build_dir/tests/support/nodescout_late_responder
}

build_lan() {
    local entry name address mac netbios
    lan_create "nspeers$$" "$CLIENT"
    for entry in "${SAMBA_HOSTS[@]}" "${LATE_HOSTS[@]}" "${SILENT_HOSTS[@]}"; do
        read -r name address mac netbios _ <<<"$entry"
        lan_add_host "$name" "$address" "$mac"
        EXPECTED_MAC[$address]=$(plain_mac "$mac")
    done
    for entry in "${SAMBA_HOSTS[@]}"; do
        read -r name address mac netbios <<<"$entry"
        say "Starting nmbd $netbios on $address"
        lan_start_nmbd "$name" "$netbios"
        EXPECTED_NAME[$address]=$netbios
    done
    for entry in "${LATE_HOSTS[@]}"; do
        read -r name address mac netbios delay <<<"$entry"
        say "Starting $netbios on $address, answering after $delay ms"
        lan_start_responder "$name" "$RESPONDER" "$delay" "$netbios" "$mac"
        EXPECTED_NAME[$address]=$netbios
    done
}

# Every measurement starts with an empty neighbour table in the client, so
# that no walk profits from the address resolution of the one before.
forget_neighbours() {
    lan_exec ip neigh flush all >/dev/null 2>&1 || true
}

# nodescout_walk with a Scout.ini whose [Profile] holds the keys $1
# (KEY=VALUE, separated by ";"; none: the defaults); rows "address mac
# name" to $2. Prints the wall time of the walk in seconds.
run_nodescout() {
    local keys=$1 rows=$2 settings=$work/Scout.ini raw=$work/walk.out log=$work/walk.err
    { echo '[Profile]'; [ -z "$keys" ] || tr ';' '\n' <<<"$keys"; } >"$settings"
    forget_neighbours
    lan_exec "$WALK" "$settings" "$FIRST" "$END" >"$raw" 2>"$log" ||
        { cat "$log" >&2; return 1; }
    awk -F'\t' '{ print $1, $2, ($3 == "" ? "-" : $3) }' "$raw" >"$rows"
    sed -n 's/^nodescout_walk: [0-9]* addresses in \([0-9.]*\) s$/\1/p' "$log"
}

# nbtscan with the extra options $2.. (none: its default wait); rows
# "address mac name" to $1. Prints its wall time in seconds, process start
# and exit included, taken inside the namespace.
run_nbtscan() {
    local rows=$1 raw=$work/nbtscan.out log=$work/nbtscan.err times start end status
    shift
    forget_neighbours
    times=$(lan_exec bash -c 'start=$EPOCHREALTIME; nbtscan "$@"; status=$?
        echo "$start $EPOCHREALTIME $status" >&2' nbtscan -q -s $'\t' "$@" "$CIDR" \
        2>&1 >"$raw" | tee "$log" | tail -n 1)
    read -r start end status <<<"$times"
    [ "$status" = 0 ] || say "nbtscan $* ended with status $status: $(head -n 3 "$log")"
    # -s TAB gives: address, name, <server> flag, user, MAC.
    awk -F'\t' 'NF >= 5 {
        name = $2; gsub(/ +$/, "", name); mac = $5; gsub(/[-:]/, "", mac)
        print $1, tolower(mac), (name == "" ? "-" : name) }' "$raw" >"$rows"
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f\n", e - s }'
}

# Scores rows "address mac name" against the hosts: prints
# "hosts names macs samba_macs others", samba_macs saying which MACs were
# reported for the hosts with a name (own: the one this script gave the
# host, zero: the all-zero adapter address of Samba's node-status answer)
# and others the rows at addresses no host has.
score() {
    local rows=$1 address mac name hosts=0 names=0 macs=0 samba_macs="" others=""
    while read -r address mac name; do
        if [ -z "${EXPECTED_MAC[$address]:-}" ]; then
            others+="${others:+,}$address/$mac/$name"
            continue
        fi
        hosts=$((hosts + 1))
        [ "$mac" = "${EXPECTED_MAC[$address]}" ] && macs=$((macs + 1))
        if [ -n "${EXPECTED_NAME[$address]:-}" ]; then
            [ "$name" = "${EXPECTED_NAME[$address]}" ] && names=$((names + 1))
            local kind=$mac
            [ "$mac" = "${EXPECTED_MAC[$address]}" ] && kind=own
            [ "$mac" = 000000000000 ] && kind=zero
            [[ ,$samba_macs, == *",$kind,"* ]] || samba_macs+="${samba_macs:+,}$kind"
        fi
    done <"$rows"
    printf '%s %s %s %s %s\n' "$hosts" "$names" "$macs" "${samba_macs:--}" "${others:--}"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The values of one column as "v" when all repeats agree, else "min-max".
spread() {
    sort -g | uniq | awk '{ v[NR] = $0 } END { print (NR == 1 ? v[1] : v[1] "-" v[NR]) }'
}

# "tool:options|label". Each repeat measures every one in turn, so that a
# change of the machine's load falls on all of them alike.
# For Nodescout the options are the [Profile] keys of its Scout.ini.
CONFIGS=(
    "nodescout:|Nodescout, the defaults (TimeOutMicroseconds=500: 500 us per address)"
    "nodescout:TimeOutMicroseconds=1000|Nodescout, TimeOutMicroseconds=1000 (1 s per address)"
    "nodescout:ParallelProbes=256;TimeOutMilliseconds=100|Nodescout, ParallelProbes=256 with TimeOutMilliseconds=100"
    "nbtscan:|nbtscan, default wait (-t 1000: 1 s after the last query)"
)
NBTSCAN_INDEX=3

if [ "$quick" -eq 1 ]; then
    unset 'CONFIGS[1]'
fi

measure_once() {
    local config=$1 rows=$2 tool options
    tool=${config%%:*}
    options=${config#*:}
    if [ "$tool" = nodescout ]; then
        run_nodescout "$options" "$rows"
    else
        # shellcheck disable=SC2086 # the options are words on purpose
        run_nbtscan "$rows" $options
    fi
}

main() {
    ensure_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev samba iproute2 nbtscan
    work=$(mktemp -d /tmp/nspeers-work-XXXXXX)
    build_walk
    build_lan

    local load_before load_after repeat index config label seconds
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    for repeat in $(seq 1 "$repeats"); do
        for index in "${!CONFIGS[@]}"; do
            config=${CONFIGS[$index]%%|*}
            label=${CONFIGS[$index]#*|}
            seconds=$(measure_once "$config" "$work/rows")
            read -r hosts names macs samba_macs others <<<"$(score "$work/rows")"
            say "run $repeat/$repeats  $label: ${seconds} s, hosts $hosts, names $names," \
                "MACs $macs, MACs of named hosts $samba_macs, other rows $others"
            printf '%s %s %s %s %s %s\n' "$seconds" "$hosts" "$names" "$macs" "$samba_macs" \
                "$others" >>"$work/result-$index"
        done
    done
    load_after=$(cut -d' ' -f1-3 /proc/loadavg)

    local date_now cpu
    date_now=$(date +%F)
    cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
    echo
    echo "$date_now; $(nproc) CPUs ($cpu), kernel $(uname -r); load average (1, 5, 15 min)" \
        "$load_before before, $load_after after; median of $repeats runs each."
    echo
    echo "| Tool and settings | Wall time (s) | nbtscan's time over this one |" \
        "Hosts found (of ${#EXPECTED_MAC[@]}) | Names found (of ${#EXPECTED_NAME[@]}) |" \
        "MACs right (of ${#EXPECTED_MAC[@]}) | MAC given for the hosts with a name |" \
        "Rows at no host's address |"
    echo "|---|---|---|---|---|---|---|---|"
    local nbtscan_seconds seconds
    nbtscan_seconds=$(cut -d' ' -f1 "$work/result-$NBTSCAN_INDEX" | median)
    for index in "${!CONFIGS[@]}"; do
        local file=$work/result-$index
        seconds=$(cut -d' ' -f1 "$file" | median)
        printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "${CONFIGS[$index]#*|}" \
            "$(printf '%.3f' "$seconds")" \
            "$(awk -v n="$nbtscan_seconds" -v s="$seconds" \
                'BEGIN { printf (n < s ? "%.2f" : "%.1f"), n / s }')" \
            "$(cut -d' ' -f2 "$file" | spread)" "$(cut -d' ' -f3 "$file" | spread)" \
            "$(cut -d' ' -f4 "$file" | spread)" "$(cut -d' ' -f5 "$file" | sort -u | paste -sd' ')" \
            "$(cut -d' ' -f6 "$file" | sort -u | paste -sd' ')"
    done
}

main
