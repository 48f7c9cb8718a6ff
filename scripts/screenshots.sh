#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb: the main window, and a drill of
# the "7-er Reihe" with a praised answer. Uses a fresh settings folder, so the
# shipped default settings are what shows.
#   scripts/screenshots.sh [build folder]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$root/docs/screenshots
mkdir -p "$out"
cmake --build "$build" --target ollo ollo_help >/dev/null

display=:93
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
config=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$config"' EXIT
export DISPLAY=$display
sleep 1
XDG_CONFIG_HOME=$config "$build/ollo" >/dev/null 2>&1 &
ollo=$!
trap 'kill $ollo $xvfb 2>/dev/null; rm -rf "$config"' EXIT

main=$(xdotool search --sync --name "Ollo für" | head -1)
sleep 1
import -window "$main" "$out/hauptfenster.png"

# "&Kleines 1X1" → "7-er Reihe", then the right answer.
xdotool windowfocus --sync "$main"
xdotool key alt+k
sleep 0.3
xdotool key Down Down Down Down Down Down Return
drill=$(xdotool search --sync --name "^7-er Reihe$" | head -1)
sleep 1
# The task is drawn at random: try the products of 7 in turn until one is praised.
for factor in 1 2 3 4 5 6 7 8 9 10; do
    xdotool windowfocus --sync "$drill"
    xdotool type "$((factor * 7))"
    xdotool key Return
    sleep 0.5
    wrong=$(xdotool search --name "^Oh! Oooooh!$" 2>/dev/null | head -1 || true)
    if [ -z "$wrong" ]; then
        break
    fi
    # "NOCHMALS": try the next number.
    xdotool windowfocus --sync "$wrong"
    xdotool key Escape
    sleep 0.3
done
sleep 0.5
import -window "$drill" "$out/uebung.png"
echo "screenshots in $out"
