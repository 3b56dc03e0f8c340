#!/usr/bin/env bash
# Configures and builds Nodescout with CMake and Ninja.
#   scripts/build.sh [BUILD_DIR] [extra CMake arguments...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build}
shift || true

cmake -S "$top" -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
