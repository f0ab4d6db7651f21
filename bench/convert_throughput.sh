#!/bin/bash
# Throughput of 'vlmidi convert' on a collection of copies of the shared corpus, the examples and
# four generated ensembles, against a shell loop of 'vlmidi import'; and the peak resident set of
# the converting process itself (its workers come and go) for two collection sizes.
#
#     convert_throughput.sh BUILD [COPIES [SMALLER_COPIES]]     (default 60 and 20 copies)
set -eu
build=$1
copies=${2:-60}
smaller=${3:-20}
vlmidi=$build/vlmidi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
corpus=${VLMIDIIN_CORPUS:-/work/shared/corpus}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/one"
"$build/bench/make_bench_midi" "$work/one" 500 1000 2000 5000 >/dev/null
rm -f "$work/one/peers_320000.mid"
find "$corpus" "$here/../examples" -type f \( -iname '*.mid' -o -iname '*.midi' -o \
    -iname '*.kar' -o -iname '*.rmi' \) -exec cp -t "$work/one" {} +
make_collection() {  # NAME COPIES
    for i in $(seq -w 1 "$2"); do cp -r "$work/one" "$work/$1/c$i"; done
}
mkdir "$work/big" "$work/small"
make_collection big "$copies"
make_collection small "$smaller"

# convert NAME OUT ARGS...: the summary line, and the peak resident set of the parent process
# read from /proc while it runs.
convert() {
    local peak=0 line
    "$vlmidi" convert "$work/$1" -o "$work/$2" "${@:3}" 2>"$work/log" &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        line=$(grep VmHWM "/proc/$pid/status" 2>/dev/null) && peak=${line//[!0-9]/}
        sleep 0.2
    done
    wait "$pid" || true
    grep '^vlmidi convert: [0-9]* files in' "$work/log"
    echo "  peak resident set of the converting process: $peak kB"
}

files=$(find "$work/big" -type f | wc -l)
echo "collection: $files files ($copies copies of $(ls "$work/one" | wc -l))"
echo "-j 1:" && convert big out1 -j 1
echo "-j 2:" && convert big out2 -j 2
# The loop's output folders are made before it is timed.
(cd "$work/big" && find . -type d -exec mkdir -p "$work/loop/{}" \;)
start=$(date +%s.%N)
find "$work/big" -type f | while read -r file; do
    out=$work/loop/${file#"$work/big/"}
    "$vlmidi" import -q --format musicxml "$file" -o "${out%.*}.musicxml" 2>/dev/null || true
done
end=$(date +%s.%N)
notes=$(grep -o '"notes": [0-9]*' "$work/out1/manifest.jsonl" | awk '{n += $2} END {print n}')
echo "shell loop of vlmidi import: $files files in $(echo "$end - $start" | bc) s" \
    "($(echo "scale=1; $files / ($end - $start)" | bc) files/s," \
    "$(echo "$notes / ($end - $start)" | bc) notes/s)"
echo "-j 2 on $(find "$work/small" -type f | wc -l) files:" && convert small outs -j 2
