#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (installing missing Debian packages
# first), replays the inputs of every earlier finding, then fuzzes each
# target for a fixed time from its seed corpus with a fixed seed. Fails when
# a regression input or the fuzzing crashes a target or breaks an invariant.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 40)
#   scripts/fuzz.sh 40 fuzz_profile ...      only the targets named
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/dependencies.sh"

seconds=${1:-40}
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(fuzz_node_status fuzz_profile fuzz_saved_list fuzz_command_line)
build_dir=$top/build-fuzz
work_dir=$build_dir/fuzz-run

ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DNODESCOUT_BUILD_FUZZERS=ON -DNODESCOUT_BUILD_TESTS=OFF -DNODESCOUT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target nodescout_fuzzers

# The settings-file target writes a file on every run: its scratch folders
# go to tmpfs, where flushing to disk costs nothing, and leave nothing behind.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/nodescout-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
for target in "${targets[@]}"; do
    program=$build_dir/fuzz/$target
    name=${target#fuzz_}
    regressions=$top/fuzz/regressions/$name
    artifacts=$work_dir/artifacts/$name
    corpus=$work_dir/corpus/$name
    rm -rf "$corpus" "$artifacts"
    mkdir -p "$corpus" "$artifacts"

    if compgen -G "$regressions/*" >/dev/null; then
        echo "== $target: replaying $(find "$regressions" -type f | wc -l) regression inputs"
        if ! find "$regressions" -type f -print0 | xargs -0 "$program" \
            >"$work_dir/$name-regressions.log" 2>&1; then
            tail -n 40 "$work_dir/$name-regressions.log" >&2
            failed+=("$target (regression input)")
            continue
        fi
    fi

    # New inputs go to the build folder's corpus; the seeds stay as they are.
    echo "== $target: fuzzing for $seconds s"
    if "$program" -seed=1 -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$top/fuzz/corpus/$name" >"$work_dir/$name.log" 2>&1; then
        grep -E '^#[0-9]+[[:space:]]+DONE' "$work_dir/$name.log" || true
    else
        tail -n 60 "$work_dir/$name.log" >&2
        echo "$target failed; the input is in $artifacts. Reproduce with: $program $artifacts/<file>;" \
            "keep it in fuzz/regressions/$name/ once fixed" >&2
        failed+=("$target")
    fi
done

[ "${#failed[@]}" -eq 0 ] || echo "Failed: ${failed[*]}" >&2
echo "Fuzzing: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ "${#failed[@]}" -eq 0 ]
