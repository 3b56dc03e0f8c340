#!/usr/bin/env bash
# Installs the Debian packages Nodescout builds, runs and tests with, where
# they are missing. Sourced by the other scripts; call ensure_packages with
# the package names a script needs.
#
# Package installs never start services: samba's nmbd must not start on the
# machine's own network (tests run their own nmbd inside private network
# namespaces).

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libqt6svg6 fonts-dejavu-extra xdg-utils qt6-wayland ieee-data)
PACKAGE_PACKAGES=(dpkg-dev fakeroot lintian appstream desktop-file-utils man-db)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev samba iproute2 xvfb xauth xdotool)

missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            printf '%s\n' "$package"
        fi
    done
}

ensure_packages() {
    local missing
    mapfile -t missing < <(missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0

    if [ "$(id -u)" -ne 0 ]; then
        echo "Nodescout needs these Debian packages: ${missing[*]}" >&2
        echo "Install them as root:  apt-get install ${missing[*]}" >&2
        return 1
    fi

    echo "Installing ${missing[*]}" >&2
    local policy=/usr/sbin/policy-rc.d created_policy=0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' >"$policy"
        chmod 755 "$policy"
        created_policy=1
    fi
    local status=0
    export DEBIAN_FRONTEND=noninteractive
    if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >&2; then
        apt-get update -q >&2 &&
            apt-get install -y -q --no-install-recommends "${missing[@]}" >&2 || status=$?
    fi
    [ "$created_policy" -eq 1 ] && rm -f "$policy"
    return "$status"
}
