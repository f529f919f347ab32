#!/usr/bin/env bash
# Runs every libFuzzer target over its seed corpus in fuzz/corpus/<name>, then for SECONDS
# seconds each (default 60). Builds them first (clang, ASan + UBSan) in build-sanitize/, the
# build the sanitizer test run uses. New inputs go to build-sanitize/fuzz-corpus/<name>; an
# input that crashes is kept as build-sanitize/fuzz-crashes/<name>-crash-... and fails the run.
set -euo pipefail
ROWCART_ROOT=$(cd "$(dirname "$0")" && pwd)
cd "$ROWCART_ROOT"
seconds=${1:-60}
build=build-sanitize
source tools/deps.sh
rowcart_install_deps
cmake -S "$ROWCART_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ -DROWCART_FUZZ=ON >/dev/null
targets=()
for corpus in fuzz/corpus/*/; do
    targets+=("fuzz_$(basename "$corpus")")
done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    target="$build/fuzz/fuzz_$name"
    [ -x "$target" ] || { echo "fuzz_$name was not built"; failed+=("$name"); continue; }
    mkdir -p "$build/fuzz-corpus/$name" "$build/fuzz-crashes"
    echo "fuzz_$name: ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-crashes/$name-" "$build/fuzz-corpus/$name" "$corpus" \
        >"$build/fuzz-crashes/$name.log" 2>&1; then
        tail -n 40 "$build/fuzz-crashes/$name.log"
        failed+=("$name")
    else
        grep -E '^stat::number_of_executed_units' "$build/fuzz-crashes/$name.log" || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]}"
    exit 1
fi
echo "Fuzzing found nothing."
