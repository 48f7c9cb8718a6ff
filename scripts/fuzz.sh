#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each on its corpus for the
# given number of seconds (default 30); 0 only replays the corpus, every input
# once. New inputs that add coverage are kept in a scratch folder, not in the
# committed corpus; a finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build="$root/build-fuzz"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOLLO_FUZZ=ON -DBUILD_TESTING=OFF -DOLLO_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target $(cd "$root/fuzz" && ls fuzz_*.cpp | sed "s/\.cpp$//") -j"$(nproc)"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="$root/fuzz/corpus/${name#fuzz_}"
    scratch=$(mktemp -d)
    echo "== $name: ${seconds}s on $(ls "$corpus" | wc -l) corpus files =="
    limit=(-max_total_time="$seconds")
    [ "$seconds" = 0 ] && limit=(-runs=0)
    "$target" "$scratch" "$corpus" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/" 2>&1 | grep -E "^(Done|stat::number_of_executed_units|==|SUMMARY|ERROR|INFO: Seed)" | tail -4
    rm -rf "$scratch"
done
