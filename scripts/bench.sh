#!/usr/bin/env bash
# Builds Ollo's benchmarks with optimisation and prints every figure with its
# target: settings reads and writes, pictures, start-up (in one process, and
# as a whole process under Xvfb against a bare Qt window: the time until the
# backdrop is on screen and the resident memory then, which is what a user
# waits for and pays), the drill dialog (also with a 50 MB settings file), the
# praise editor with 20,000 phrases, the progress window over a year of
# drills, the paints (with an 8192 x 8192 backdrop and a run-length bomb),
# memory over 100 drills, how soon sound and speech answer, and class mode
# against a private PostgreSQL (the drill's pace with the server reachable and
# frozen, a year's backlog, 25 class computers at once) and the teacher's
# class view over a class of 30 with a year each (opened and painted, a
# child's page, a new answer on screen). Figures that miss their target are
# marked, never fatal.
#   scripts/bench.sh [build folder]     (default: build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
jobs=${JOBS:-$(nproc)}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DOLLO_SANITIZE=OFF -DOLLO_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs" --target ollo barewindow bench_profile bench_pictures bench_startup \
    bench_drill bench_praise bench_progress bench_paint bench_memory bench_sound bench_classmode bench_classview >/dev/null

scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR=$scratch/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
bin=$build/benchmarks

section() { printf '\n== %s ==\n' "$1"; }

section "Settings"
"$bin/bench_profile"
section "Pictures"
QT_QPA_PLATFORM=offscreen "$bin/bench_pictures"
section "Start-up"
QT_QPA_PLATFORM=offscreen "$bin/bench_startup" --in-process
if command -v Xvfb >/dev/null; then
    # Xvfb picks a free display and tells its number on descriptor 3.
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$scratch/display" ] && break
        sleep 0.05
    done
    if [ -s "$scratch/display" ]; then
        echo
        DISPLAY=:$(head -n1 "$scratch/display") QT_QPA_PLATFORM=xcb "$bin/bench_startup" --whole-process
    else
        echo "(Xvfb did not start: no whole-process figure)"
    fi
else
    echo "(no Xvfb: no whole-process figure; install xvfb)"
fi
section "Drill dialog"
QT_QPA_PLATFORM=offscreen "$bin/bench_drill"
section "Drill dialog, 50 MB settings file"
QT_QPA_PLATFORM=offscreen "$bin/bench_drill" 10 --settings-mb 50
section "Praise editor, 20,000 phrases"
QT_QPA_PLATFORM=offscreen "$bin/bench_praise" 20000
section "Progress window"
QT_QPA_PLATFORM=offscreen "$bin/bench_progress"
section "Paint"
QT_QPA_PLATFORM=offscreen "$bin/bench_paint"
section "Memory"
QT_QPA_PLATFORM=offscreen "$bin/bench_memory"
section "Sound and speech"
QT_QPA_PLATFORM=offscreen "$bin/bench_sound"
section "Class mode (private PostgreSQL)"
if command -v pg_config >/dev/null 2>&1 || ls -d /usr/lib/postgresql/*/bin >/dev/null 2>&1; then
    QT_QPA_PLATFORM=offscreen "$bin/bench_classmode"
    section "Class view (private PostgreSQL, a class of 30 with a year each)"
    QT_QPA_PLATFORM=offscreen "$bin/bench_classview"
else
    echo "(no PostgreSQL server: no class-mode figures; install postgresql)"
fi
