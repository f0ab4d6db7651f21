#!/bin/sh
# Times `vlmidi import FILE > /dev/null` against midi2abc and midi2ly (Debian
# packages abcmidi and lilypond) on one MIDI file: median of RUNS wall-clock
# runs each, in one go, with the machine's load shown before and after.
#
#   bench/compare_peers.sh VLMIDI FILE [RUNS]
#
# VLMIDI is the vlmidi executable of a Release build; FILE is typically the
# peers file written by make_bench_midi (16 tracks x 20,000 notes).
set -eu
vlmidi=$1
file=$2
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Seconds of one run of the command given as arguments; output discarded.
seconds() {
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

measure() {
    name=$1
    shift
    : > "$work/$name"
    i=0
    while [ "$i" -lt "$runs" ]; do
        seconds "$@" >> "$work/$name"
        i=$((i + 1))
    done
    printf '%-10s median %8.3f s   runs: %s\n' "$name" "$(median < "$work/$name")" \
        "$(tr '\n' ' ' < "$work/$name")"
}

echo "file: $file ($(stat -c %s "$file") bytes); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure vlmidi "$vlmidi" import "$file"
# midi2ly writes its .ly file next to the output name it is given.
measure midi2abc midi2abc "$file"
measure midi2ly midi2ly -o "$work/out.ly" "$file"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
v=$(median < "$work/vlmidi"); a=$(median < "$work/midi2abc"); l=$(median < "$work/midi2ly")
echo "vlmidi / midi2abc = $(echo "scale=2; $v / $a" | bc)   vlmidi / midi2ly = $(echo "scale=3; $v / $l" | bc)"
