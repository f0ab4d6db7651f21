#!/bin/bash
# The example generator writes the same bytes on every run, the bundled files in examples/ are
# those bytes, and every file is a well-formed MIDI file: chunk lengths that add up to the file
# size, the announced number of tracks, every track closed by an end-of-track event.
#
#     make_examples_test.sh PATH/TO/make_examples PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 MAKE_EXAMPLES EXAMPLES_DIR" "$@"
generator=$1
examples=$2

files=(twinkle.mid two_hands.mid swing_triplets.mid riff_wrapped.rmi)

# --- determinism and the committed copies -----------------------------------------------------

mkdir "$work/first" "$work/second"
"$generator" "$work/first" >/dev/null || fail "generator failed"
"$generator" "$work/second" >/dev/null || fail "generator failed on the second run"
for f in "${files[@]}"; do
    check cmp -s "$work/first/$f" "$work/second/$f" || fail "$f differs between two runs"
    check cmp -s "$work/first/$f" "$examples/$f" ||
        fail "examples/$f is not what the generator writes (regenerate the examples)"
done

"$generator" >/dev/null 2>&1
check [ $? -eq 2 ] || fail "no directory given: expected exit status 2"
"$generator" "$work/no/such/dir" >/dev/null 2>&1
check [ $? -eq 1 ] || fail "unwritable directory: expected exit status 1"

# --- structure --------------------------------------------------------------------------------

bytes=()
load() { mapfile -t bytes < <(od -An -v -tu1 -w1 "$1" | tr -d ' '); }
big_endian() { # offset count
    local value=0 i
    for ((i = 0; i < $2; i++)); do value=$((value * 256 + bytes[$1 + i])); done
    echo "$value"
}
little_endian32() {
    echo $((bytes[$1] + 256 * bytes[$1 + 1] + 65536 * bytes[$1 + 2] + 16777216 * bytes[$1 + 3]))
}
tag() { # offset: the four bytes there as text
    local i
    for ((i = $1; i < $1 + 4; i++)); do printf "\\$(printf %o "${bytes[i]}")"; done
}

# check_smf NAME START END: the Standard MIDI File occupying bytes START..END-1.
check_smf() {
    local name=$1 start=$2 end=$3
    check [ "$(tag "$start")" = MThd ] || { fail "$name: no MThd at $start"; return; }
    check [ "$(big_endian $((start + 4)) 4)" -eq 6 ] || fail "$name: header length is not 6"
    local tracks position=$((start + 14)) found=0
    tracks=$(big_endian $((start + 10)) 2)
    while [ "$position" -lt "$end" ]; do
        check [ "$(tag "$position")" = MTrk ] || { fail "$name: no MTrk at $position"; return; }
        local length
        length=$(big_endian $((position + 4)) 4)
        position=$((position + 8 + length))
        check [ "$position" -le "$end" ] || {
            fail "$name: track $found runs past the end"
            return
        }
        local closing="${bytes[position - 3]} ${bytes[position - 2]} ${bytes[position - 1]}"
        check [ "$closing" = "255 47 0" ] || fail "$name: track $found does not end with FF 2F 00"
        found=$((found + 1))
    done
    check [ "$position" -eq "$end" ] || fail "$name: chunks end at $position, data at $end"
    check [ "$found" -eq "$tracks" ] || fail "$name: header announces $tracks tracks, found $found"
}

for f in twinkle.mid two_hands.mid swing_triplets.mid; do
    load "$work/first/$f"
    check_smf "$f" 0 "${#bytes[@]}"
done

load "$work/first/riff_wrapped.rmi"
check [ "$(tag 0)" = RIFF ] || fail "riff_wrapped.rmi: no RIFF"
check [ "$(tag 8)" = RMID ] || fail "riff_wrapped.rmi: form type is not RMID"
check [ $(($(little_endian32 4) + 8)) -eq "${#bytes[@]}" ] ||
    fail "riff_wrapped.rmi: RIFF length does not match the file size"
check [ "$(tag 12)" = data ] || fail "riff_wrapped.rmi: first chunk is not data"
data_length=$(little_endian32 16)
check_smf riff_wrapped.rmi 20 $((20 + data_length))
# The wrapped file is twinkle.mid, byte for byte.
check cmp -s <(tail -c +21 "$work/first/riff_wrapped.rmi" | head -c "$data_length") \
    "$work/first/twinkle.mid" || fail "riff_wrapped.rmi does not hold twinkle.mid"

finish_checks
