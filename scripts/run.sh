#!/usr/bin/env bash
# Builds Nodescout (installing missing Debian packages first) and starts it.
#   scripts/run.sh [arguments for nodescout...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/dependencies.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
"$top/scripts/build.sh" "$top/build" -DNODESCOUT_BUILD_TESTS=OFF -DNODESCOUT_BUILD_BENCH=OFF
exec "$top/build/app/nodescout" "$@"
