#!/usr/bin/env bash
# Builds the four sounds of the content folder from nothing but sox and
# espeak-ng, so every sound the program plays is our own and can be remade:
#   data/drum.wav     drum roll ending in a cymbal crash (solution shown)
#   data/gemein.wav   a playful "Oje!" with a sliding horn (try again)
#   data/applaus.wav  applause (picture reward)
#   data/lachen.wav   children's giggles (joke reward)
# All are 16-bit mono PCM at 44100 Hz, start at once, fade out briefly at the
# end and peak at -3 dBFS. Randomness is seeded, so a rebuild gives the same files.
# Needs: sox, espeak-ng.  Usage: scripts/make-sounds.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/data
tmp=$(mktemp -d)
trap '[ -n "${KEEP_TMP:-}" ] && echo "kept $tmp" || rm -rf "$tmp"' EXIT

rate=44100
# Intermediate files are float so that mixing never clips before the final gain.
raw=(-r "$rate" -c 1 -b 32 -e floating-point)
final=(-r "$rate" -c 1 -b 16 -e signed-integer)
sx() { sox -R -V1 "$@"; }          # -R: repeatable noise and dither

# Mixes "file offset volume" triples given on stdin into $1 (float).
mix_at() {
    local target=$1 n=0 args=() f t v
    while read -r f t v; do
        sx "$f" "$tmp/m$n.wav" pad "$t" 0 vol "$v"
        args+=(-v 1 "$tmp/m$n.wav")
        n=$((n + 1))
    done
    if [ "$n" -eq 1 ]; then cp "${args[2]}" "$target"; else sx -m "${args[@]}" "${raw[@]}" "$target"; fi
}

# Last step for every sound: cut leading silence, peak at -3 dBFS, short fade-out.
finish() {
    local in=$1 name=$2 fadeout=$3
    sx "$in" "$tmp/trimmed.wav" silence 1 0.001 0.5%
    sx "$tmp/trimmed.wav" "${final[@]}" "$out/$name" fade t 0.003 -0 "$fadeout" gain -n -3
}

# --- drum.wav ------------------------------------------------------------
# Snare hit: bright noise for the wires plus a short falling tone for the shell.
sx -n "${raw[@]}" "$tmp/wires.wav" synth 0.09 noise highpass 1500 lowpass 9000 fade l 0 0.09 0.088
sx -n "${raw[@]}" "$tmp/shell.wav" synth 0.09 sine 210:150 fade l 0 0.09 0.085
sx -m -v 0.9 "$tmp/wires.wav" -v 0.5 "$tmp/shell.wav" "${raw[@]}" "$tmp/snare.wav"
# Crash: a kick drum under a long, hissing cymbal.
sx -n "${raw[@]}" "$tmp/kick.wav" synth 0.3 sine 120:45 fade l 0 0.3 0.28
sx -n "${raw[@]}" "$tmp/cymbal.wav" synth 0.5 noise highpass 3500 equalizer 6000 1q 6 fade l 0 0.5 0.49
{
    # 15 strokes 40 ms apart, growing louder, the two hands a little uneven.
    for i in $(seq 0 14); do
        v=$(awk -v i="$i" 'BEGIN { v = 0.3 + 0.7 * i / 14; if (i % 2) v *= 0.85; printf "%.3f", v }')
        echo "$tmp/snare.wav $(awk -v i="$i" 'BEGIN { printf "%.3f", i * 0.04 }') $v"
    done
    echo "$tmp/kick.wav 0.62 1.2"
    echo "$tmp/cymbal.wav 0.62 0.8"
    echo "$tmp/snare.wav 0.62 0.8"
} | mix_at "$tmp/drum.wav"
finish "$tmp/drum.wav" drum.wav 0.1

# --- gemein.wav ----------------------------------------------------------
# A bright cartoon voice sighs "Oo jee!", its pitch sinking on "jee", while a
# soft horn slides down three steps behind it, the last one wobbling.
# The horn: a sawtooth and a sine on the same pitch, folded into one channel
# (they partly cancel, which hollows the tone) and softened by a low-pass.
horn() { # file length from:to
    sx -n "${raw[@]}" "$1" synth "$2" sawtooth "$3" sine "$3" lowpass 1400 fade t 0.015 "$2" 0.05
}
horn "$tmp/h1.wav" 0.3 440:430
horn "$tmp/h2.wav" 0.3 415:405
horn "$tmp/h3.wav" 0.55 392:330
sx "$tmp/h3.wav" "$tmp/h3w.wav" tremolo 7 70
espeak-ng -v de+f4 -p 80 -s 100 -w "$tmp/oje-raw.wav" "Oo jee!"
sx "$tmp/oje-raw.wav" "${raw[@]}" "$tmp/oje-cut.wav" \
    silence 1 0.001 1% reverse silence 1 0.001 2% reverse gain -8 pitch 300 bend 0.3,-400,0.3 highpass 150
sx "$tmp/oje-cut.wav" "$tmp/oje-start.wav" silence 1 0.001 1%   # the pitch shift lags a little
sx "$tmp/oje-start.wav" "$tmp/oje.wav" fade t 0.005 -0 0.2
{
    echo "$tmp/oje.wav 0 1.0"
    echo "$tmp/h1.wav 0 0.2"
    echo "$tmp/h2.wav 0.3 0.2"
    echo "$tmp/h3w.wav 0.62 0.3"
} | mix_at "$tmp/gemein.wav"
finish "$tmp/gemein.wav" gemein.wav 0.08

# --- applaus.wav ---------------------------------------------------------
# Thirty people clap at their own pace, each with their own hand sound,
# joining in one after another over a quiet murmur and stopping one by one,
# in a small hall.
# $RANDOM is read only in this shell, never inside $( ), where bash would
# reseed it and the result would change from run to run.
RANDOM=4711
clappers=30
for k in $(seq 0 $((clappers - 1))); do
    centre=$((800 + RANDOM % 1800))
    sx -n "${raw[@]}" "$tmp/clap$k.wav" synth 0.04 noise bandpass "$centre" 1.5q lowpass 8000 fade l 0 0.04 0.038
    r1=$((RANDOM % 250)) r2=$((RANDOM % 400))
    start=$(awk -v r="$r1" 'BEGIN { printf "%.3f", r / 1000 }')
    stop=$(awk -v r="$r2" 'BEGIN { printf "%.3f", 1.5 + r / 1000 }')
    period=$((160 + RANDOM % 100))          # milliseconds from clap to clap
    items=() t=$start j=0
    while awk -v t="$t" -v s="$stop" 'BEGIN { exit !(t < s) }'; do
        r1=$((RANDOM % 50)) r2=$((RANDOM % 40))
        gap=$(awk -v p="$period" -v r="$r1" 'BEGIN { printf "%.3f", (p + r - 25 - 40) / 1000 }')
        vol=$(awk -v r="$r2" 'BEGIN { printf "%.2f", 0.6 + r / 100 }')
        sx "$tmp/clap$k.wav" "$tmp/c${k}_$j.wav" vol "$vol" pad 0 "$gap"
        items+=("$tmp/c${k}_$j.wav")
        t=$(awk -v t="$t" -v g="$gap" 'BEGIN { printf "%.3f", t + 0.04 + g }')
        j=$((j + 1))
    done
    sx "${items[@]}" "$tmp/clapper$k.wav" pad "$start" 0
done
sx -n "${raw[@]}" "$tmp/murmur.wav" synth 2.2 brownnoise lowpass 900
{
    for k in $(seq 0 $((clappers - 1))); do echo "$tmp/clapper$k.wav 0 1"; done
    echo "$tmp/murmur.wav 0 0.15"
} | mix_at "$tmp/applaus-mix.wav"
sx "$tmp/applaus-mix.wav" "$tmp/applaus-hall.wav" reverb 40 50 60
sx "$tmp/applaus-hall.wav" "$tmp/applaus.wav" trim 0 2.1 fade t 0.01 2.1 0.6
finish "$tmp/applaus.wav" applaus.wav 0.05

# --- lachen.wav ----------------------------------------------------------
# Three children giggle, one after another and then together: each laugh is
# a run of short syllables ("hi", "ha", "he") that starts high and sinks,
# growing softer, the way children laugh; a little room around them.
giggle() { # name variant text first-pitch-in-cents count start step
    local name=$1 i
    espeak-ng -v "de+$2" -p 90 -s 300 -w "$tmp/$name-raw.wav" "$3"
    sx "$tmp/$name-raw.wav" "${raw[@]}" "$tmp/$name-cut.wav" silence 1 0.001 1%
    sx "$tmp/$name-cut.wav" "$tmp/$name-syl.wav" trim 0 0.13 fade t 0.004 0.13 0.04 gain -8
    for i in $(seq 0 $(($5 - 1))); do
        sx "$tmp/$name-syl.wav" "$tmp/$name-p$i.wav" pitch $(($4 - 70 * i)) highpass 200
        sx "$tmp/$name-p$i.wav" "$tmp/$name-$i.wav" silence 1 0.001 1% fade t 0.008   # drop the shift's lag
        awk -v f="$tmp/$name-$i.wav" -v t="$6" -v s="$7" -v i="$i" -v n="$5" \
            'BEGIN { printf "%s %.3f %.2f\n", f, t + i * s + (i % 2) * 0.01, 1 - 0.5 * i / n }'
    done
}
{
    giggle a f4 hi 700 8 0.0 0.15
    giggle b f2 ha 450 7 0.4 0.16
    giggle c f5 he 950 6 0.85 0.14
} | mix_at "$tmp/lachen-mix.wav"
sx "$tmp/lachen-mix.wav" "$tmp/lachen-room.wav" pad 0 0.3 reverb 30 50 40
finish "$tmp/lachen-room.wav" lachen.wav 0.3

for f in drum gemein applaus lachen; do
    printf '%-12s %5.2f s  peak %s\n' "$f.wav" "$(soxi -D "$out/$f.wav")" \
        "$(sox "$out/$f.wav" -n stats 2>&1 | awk '/Pk lev dB/ { print $4 " dBFS" }')"
done
