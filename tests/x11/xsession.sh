#!/usr/bin/env bash
# Runs a command on a private X server with a window manager, as on a family's
# desktop: Xvfb on a free display number, openbox managing the windows, and
# xdotool at hand for real keys and clicks. For the tests that depend on a
# window manager: activation, focus after a window closes, frame sizes, key
# routing. Both servers are stopped when the command ends.
#   tests/x11/xsession.sh <command> [arguments...]
# XSESSION_SCREEN sets the screen's size (default 1280x1024x24).
# Exit code: the command's; 77 (CTest's "skipped") when Xvfb, openbox or
# xdotool is missing.
set -u

for tool in Xvfb openbox xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (Debian: apt-get install xvfb openbox xdotool)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb=
wm=
stop() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap stop EXIT

# Waits up to ten seconds for a condition, while the process it depends on lives.
await() {
    local what=$1 pid=$2
    shift 2
    for _ in $(seq 200); do
        "$@" && return 0
        if ! kill -0 "$pid" 2>/dev/null; then
            break
        fi
        sleep 0.05
    done
    echo "xsession: $what did not start" >&2
    cat "$work"/*.log >&2 2>/dev/null
    exit 1
}

# The server picks a free display itself and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 "${XSESSION_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
await "Xvfb" "$xvfb" test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY

# Openbox with its stock configuration, not a developer's own; it runs the
# startup command once it manages the screen.
mkdir -p "$work/wm-config"
XDG_CONFIG_HOME="$work/wm-config" openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm=$!
await "openbox" "$wm" test -e "$work/wm-ready"

QT_QPA_PLATFORM=xcb "$@"
