#!/usr/bin/env bash
# Installs what is missing, builds Ollo and runs every test twice: once as
# built, once under AddressSanitizer and UndefinedBehaviorSanitizer, where any
# report stops the test and fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(nproc)
werror=OFF
[ "${CI:-}" = true ] && werror=ON

# ccache keeps compiled objects between runs; with paths taken relative to the
# checkout, a fresh clone in another folder reuses them too.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi

run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOLLO_WERROR=$werror "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

echo "== Tests =="
run_suite "$root/build-test"

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
run_suite "$root/build-sanitize" -DOLLO_SANITIZE=ON -DOLLO_BENCHMARKS=OFF

# Every kept fuzz input once more, and a short fuzz; long runs are scripts/fuzz.sh's.
echo "== Fuzz corpora, then ${OLLO_FUZZ_SECONDS:-5} seconds of fuzzing a target =="
"$root/scripts/fuzz.sh" 0
"$root/scripts/fuzz.sh" "${OLLO_FUZZ_SECONDS:-5}"
