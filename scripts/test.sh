#!/usr/bin/env bash
# Builds Nodescout and runs every test (installing missing Debian packages
# first). Tests that need network namespaces need root; without it they are
# skipped with a reason.
#   scripts/test.sh                 the whole suite
#   scripts/test.sh --asan          the whole suite under AddressSanitizer + UBSan
#   scripts/test.sh --tsan          the threading tests under ThreadSanitizer
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/dependencies.sh"

mode=${1:-plain}
case "$mode" in
plain) build_dir=$top/build-tests; options=(); selection=() ;;
--asan) build_dir=$top/build-asan; options=(-DNODESCOUT_SANITIZE_ADDRESS=ON -DNODESCOUT_BUILD_BENCH=OFF); selection=() ;;
--tsan) build_dir=$top/build-tsan; options=(-DNODESCOUT_SANITIZE_THREAD=ON -DNODESCOUT_BUILD_BENCH=OFF); selection=(-L threading) ;;
*) echo "usage: $0 [--asan|--tsan]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
"$top/scripts/build.sh" "$build_dir" "${options[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp"
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "${selection[@]}"
