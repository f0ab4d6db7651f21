#!/bin/bash
# Command-line tests of `vlmidi live`: the text stream of timed events, its mistakes, input the
# live interface must survive (tracks that do not exist, huge deltas, status bytes below 0x80,
# an end of track in the middle), --replay of a MIDI file and the repair options.
#
#     vlmidi_live_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
program=$1 # what run starts
examples=$2

# live_text NAME: writes standard input to $work/NAME.txt
live_text() { cat >"$work/$1.txt"; }

# --- help ---------------------------------------------------------------------------------------

run "vlmidi help live" help live
expect_status 0
expect_in out "TRACK DELTA STATUS"
expect_in out "--replay MIDI"
expect_in out "--repair"

# --- a melody in 3/4 ----------------------------------------------------------------------------

live_text melody <<'TEXT'
division 96
tracks 2   # a conductor track and a melody
time 0 0 3/4
key 0 0 -1
tempo 0 0 500000
1 0 0x90 65 100
1 96 0x80 65 0
1 0 0x90 67 100
1 96 0x80 67 0
1 0 0x90 69 100
1 96 0x80 69 0
1 0 0x90 70 90
1 288 0x80 70 0
end 1 0
end 0 576
TEXT

run "live melody" live "$work/melody.txt"
expect_status 0
expect_empty err
expect_line out "live input: 2 tracks, division 96"
expect_line out "events: 13 appended, 0 refused"
expect_line out "strands: 1"
expect_in out "key      F major (1 flat)"
expect_in out "bar 1 | F4 q  G4 q  A4 q |"
expect_in out "bar 2 | Bb4 h. ||"

checks=$((checks + 1))
"$program" live - <"$work/melody.txt" >"$work/stdin-out" 2>&1
cmp -s "$work/out" "$work/stdin-out" || fail "live from stdin differs from live FILE"

# --- mistakes in the text -----------------------------------------------------------------------

bad_line() {
    local name=$1 text=$2 message=$3
    printf '%b' "$text" >"$work/bad.txt"
    run "live: $name" live "$work/bad.txt"
    expect_status 2
    expect_in err "$message"
    expect_empty out
}
bad_line "unknown statement" "tracks 1\n0 0 0x90 60 100\nplay 0 0\n" \
    "line 3: unknown statement 'play'"
bad_line "data byte above 255" "0 0 0x90 300 1\n" "line 1: DATA1 300 out of range"
bad_line "delta beyond 32 bits" "0 4294967296 0x90 60 1\n" "line 1: DELTA 4294967296 out of range"
bad_line "odd denominator" "time 0 0 3/5\n" "line 1: denominator must be"

run "live: missing file" live "$work/none.txt"
expect_status 2
expect_in err "cannot open"

run "live: FILE and --replay" live "$work/melody.txt" --replay "$examples/twinkle.mid"
expect_status 2

# --- input the live interface must survive ------------------------------------------------------

live_text hostile <<'TEXT'
tracks 2
5 0 0x90 60 100          # no track 5
-1 0 0x90 60 100         # no track -1
0 4294967295 0x90 60 100 # the largest delta
0 0 0x40 60 100          # a status byte below 0x80
0 0 0x05                 # and one with no data bytes
end 0 0                  # end of track in the middle
0 96 0x80 60 0
0 0 0x90 62 100
0 96 0x80 62 0
1 0 0xF8                 # a system real-time byte
1 0 0xFF 0x2F            # end of track as a packed message
end 0 0
TEXT

run "live: hostile input" live "$work/hostile.txt"
expect_status 0
expect_in out "events: 10 appended, 2 refused"
expect_in out "strands:"
expect_in err "line 2: track 5 refused (2 tracks)"
expect_in err "line 3: track -1 refused (2 tracks)"
expect_lines err 2

# --- replaying MIDI files -----------------------------------------------------------------------

for example in twinkle two_hands swing_triplets; do
    file="$examples/$example.mid"
    run "live --replay $example" live --replay "$file"
    expect_status 0
    expect_in out "0 refused"
    expect_empty err
    strands_live=$(grep '^strands:' "$work/out")
    run "import $example" import -q "$file"
    expect_in out "$strands_live"
done

run "live --replay of a missing file" live --replay "$work/none.mid"
expect_status 1
expect_in err "cannot open"

run "live --replay of a text file" live --replay "$work/melody.txt"
expect_status 1
expect_in err "no Standard MIDI File"

run "live --replay --repair" live --replay "$examples/two_hands.mid" --repair
expect_status 0
expect_line out "removed 0 illegal events"
expect_line out "removed 0 duplicate tracks"
expect_in out "initial delay"
expect_line out "track lengths equalised"

# Repairs on a text session: the melody twice on two channels, 48 ticks late.
live_text doubled <<'TEXT'
tracks 3
1 48 0x90 60 100
1 96 0x80 60 0
1 0 0x90 64 100
1 96 0x80 64 0
end 1 0
2 48 0x91 60 70
2 96 0x81 60 0
2 0 0x91 64 70
2 96 0x81 64 0
end 2 0
end 0 240   # a track without notes counts with its length: it must not end before 48
TEXT

run "live --fix-delay --remove-duplicates" live "$work/doubled.txt" --fix-delay --remove-duplicates
expect_status 0
expect_line out "removed 1 duplicate track"
expect_line out "initial delay removed: 48 ticks"
expect_line out "strands: 1"

finish_checks
