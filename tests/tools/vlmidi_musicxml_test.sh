#!/bin/bash
# MusicXML export of the reference host: every bundled example becomes a well-formed score whose
# measures are the bars the library found, with the ties, chords, triplets, voices, rests, keys
# and instruments of the transcription; texts are escaped; -o writes files. Needs xmllint (exit
# 77, skipped, without it); the arithmetic checks of check_musicxml.py run when python3 is there.
#
#     vlmidi_musicxml_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
program=$1 # what run starts
examples=$2
here=$(dirname "${BASH_SOURCE[0]}")

if ! command -v xmllint >/dev/null 2>&1; then
    echo "SKIP: xmllint not found (Debian package libxml2-utils)"
    exit 77
fi
have_python=0
command -v python3 >/dev/null 2>&1 && have_python=1
[ "$have_python" -eq 1 ] || echo "note: python3 not found, the duration and tie checks are skipped"

# xpath EXPRESSION: the value of an XPath expression over the last output.
xpath() { xmllint --nonet --xpath "$1" "$work/out" 2>/dev/null; }

# expect_xpath EXPRESSION VALUE
expect_xpath() {
    checks=$((checks + 1))
    local value
    value=$(xpath "$1")
    [ "$value" = "$2" ] || fail "$name: $1 is '$value', expected '$2'"
}

# expect_score: the last output is a well-formed document that passes check_musicxml.py.
expect_score() {
    checks=$((checks + 1))
    xmllint --nonet --noout "$work/out" 2>"$work/lint" ||
        fail "$name: not well-formed: $(head -c 300 "$work/lint")"
    expect_xpath "name(/*)" "score-partwise"
    expect_xpath "string(/score-partwise/@version)" "4.0"
    [ "$have_python" -eq 1 ] || return 0
    checks=$((checks + 1))
    python3 "$here/check_musicxml.py" "$work/out" >"$work/faults" ||
        fail "$name: $(head -n 5 "$work/faults" | tr '\n' ';')"
}

# --- options ----------------------------------------------------------------------------------

run "--format musicxml with --items" import --items --format musicxml "$examples/twinkle.mid"
expect_status 2
expect_in err "exclude each other"
expect_empty out

run "-o without FILE" import "$examples/twinkle.mid" -o
expect_status 2
expect_in err "-o needs a FILE"

run "-o into a missing folder" import -o "$work/no/such/folder/out.musicxml" "$examples/twinkle.mid"
expect_status 1
expect_in err "cannot write"

# --- the bundled examples: one measure per bar, in every part ----------------------------------

for file in "$examples"/*.mid "$examples"/*.rmi; do
    base=$(basename "$file")
    run "bars of $base" import "$file"
    # The guide's bar lines: "  bar N | ... |" lines between "guide" and the next empty line.
    bars=$(awk '/^guide$/ {g = 1; next} g && /^$/ {exit} g && /^  bar [0-9]+ /' "$work/out" | wc -l)

    run "$base as MusicXML" import --format musicxml "$file"
    expect_status 0
    expect_empty err
    expect_score
    parts=$(xpath "count(/score-partwise/part)")
    expect_xpath "count(/score-partwise/part-list/score-part)" "$parts"
    expect_xpath "count(/score-partwise/part/measure)" "$((parts * bars))"
    expect_xpath "count(/score-partwise/part/measure[1]/attributes/divisions)" "$parts"
    cp "$work/out" "$work/stdout.musicxml"

    # -o with the extension choosing the format writes the same document, and nothing on stdout.
    run "$base -o x.musicxml" import -o "$work/x.musicxml" "$file"
    expect_status 0
    expect_empty out
    checks=$((checks + 1))
    cmp -s "$work/x.musicxml" "$work/stdout.musicxml" || fail "$name: file differs from stdout"
done

run "-o x.json" import --output="$work/x.json" "$examples/twinkle.mid"
expect_status 0
checks=$((checks + 1))
[ "$(head -c 1 "$work/x.json")" = "{" ] || fail "$name: x.json is not JSON"
run "-o x.txt --format musicxml" import --format musicxml -o "$work/x.txt" "$examples/twinkle.mid"
checks=$((checks + 1))
grep -q "<score-partwise" "$work/x.txt" || fail "$name: --format does not win over the extension"

# --- what each example shows ------------------------------------------------------------------

run "twinkle.mid as MusicXML" import --format musicxml "$examples/twinkle.mid"
expect_xpath "string(//work/work-title)" "Twinkle, Twinkle, Little Star"
expect_xpath "string(//identification/rights)" \
    "Traditional melody; example file of the vlmidiin project"
expect_xpath "string(//score-part/part-name)" "Melody"
expect_xpath "string(//midi-instrument/midi-channel)" "1"
expect_xpath "string(//midi-instrument/midi-program)" "74"
expect_xpath "string(//part/measure[1]/direction//per-minute)" "100"
expect_xpath "string(//part/measure[1]/direction/sound/@tempo)" "100"
# Three notes tied across bar lines (bars 4-5 and 6-7 on G4, 7-8 on D4).
expect_xpath "count(//note[tie/@type='start'])" "3"
expect_xpath "count(//note[notations/tied/@type='stop'])" "3"
expect_xpath "count(//measure[@number='5']/note[1][tie/@type='stop']/pitch[step='G'])" "1"
expect_xpath "count(//measure[@number='8']/note[1][tie/@type='stop']/pitch[step='D'])" "1"
expect_xpath "string(//measure[@number='6']/note[3]/type)" "quarter"
expect_xpath "count(//measure[@number='6']/note[3]/dot)" "1"
expect_xpath "count(//measure[last()]/barline[bar-style='light-heavy'])" "1"

run "two_hands.mid as MusicXML" import --format musicxml "$examples/two_hands.mid"
expect_xpath "count(//part)" "1"
expect_xpath "string(//measure[1]/attributes/key/fifths)" "1"
expect_xpath "string(//measure[1]/attributes/time/beats)" "3"
# The bass strand (chords) and the melody need both clefs: two staves, one voice each.
expect_xpath "string(//measure[1]/attributes/staves)" "2"
expect_xpath "string(//measure[1]/attributes/clef[@number='2']/sign)" "F"
expect_xpath "count(//measure[1]/backup)" "1"
expect_xpath "count(//note[voice='2'][staff='1'])" "$(xpath "count(//note[voice='2'])")"
expect_xpath "count(//note[voice='1'][staff='2'])" "$(xpath "count(//note[voice='1'])")"
expect_xpath "count(//measure[1]/note[chord])" "7"
# Whole-bar rests of the melody in bars 1, 3, 5 and 6.
expect_xpath "count(//note[voice='2'][rest/@measure='yes'])" "4"
# G major: F sharp, never G flat.
checks=$((checks + 1))
[ "$(xpath "count(//pitch[step='F'][alter='1'])")" -gt 0 ] || fail "$name: no F sharp"
expect_xpath "count(//pitch[alter='-1'])" "0"

run "swing_triplets.mid as MusicXML" import --format musicxml "$examples/swing_triplets.mid"
# One track, two channels: two parts.
expect_xpath "string(//score-part[@id='P1']/part-name)" "Swing and Triplets (Alto Sax)"
expect_xpath "string(//score-part[@id='P2']/part-name)" "Swing and Triplets (Percussion)"
expect_xpath "string(//score-part[@id='P2']/midi-instrument/midi-channel)" "10"
expect_xpath "string(//part[@id='P1']/measure[1]/attributes/key/fifths)" "-1"
expect_xpath "string(//part[@id='P1']/measure[1]/direction/sound/@tempo)" "132"
expect_xpath "count(//part[@id='P2']/measure/direction)" "0"
# Bar 3: twelve notes in quaver triplets, four brackets.
expect_xpath "count(//part[@id='P1']/measure[3]/note/time-modification[actual-notes=3]
                                                                 [normal-notes=2])" "12"
expect_xpath "count(//part[@id='P1']/measure[3]//tuplet[@type='start'])" "4"
expect_xpath "count(//part[@id='P1']/measure[3]//tuplet[@type='stop'])" "4"
expect_xpath "count(//time-modification)" "12"
# F major: B flat, never A sharp.
checks=$((checks + 1))
[ "$(xpath "count(//pitch[step='B'][alter='-1'])")" -gt 0 ] || fail "$name: no B flat"
expect_xpath "count(//pitch[alter='1'])" "0"

# --- pitch spelling from the key signature -----------------------------------------------------

# bytes N...: the bytes with the values N (decimal).
bytes() {
    local n
    # shellcheck disable=SC2059 # the format is the octal escape just made
    for n in "$@"; do printf "$(printf '\\%03o' "$n")"; done
}

# write_scale FILE SHARPS MINOR KEY...: a format 0 file, division 96, in 4/4 with the key
# signature SHARPS (negative for flats) and MINOR, and one crotchet per KEY.
write_scale() {
    local file=$1 sharps=$2 minor=$3 key length
    shift 3
    {
        bytes 0 255 88 4 4 2 24 8                  # time signature 4/4
        bytes 0 255 89 2 $((sharps & 255)) "$minor" # key signature
        for key in "$@"; do bytes 0 144 "$key" 64 96 128 "$key" 64; done
        bytes 0 255 47 0                            # end of track
    } >"$work/track"
    length=$(wc -c <"$work/track")
    {
        printf 'MThd'
        bytes 0 0 0 6 0 0 0 1 0 96
        printf 'MTrk'
        bytes 0 0 $((length >> 8)) $((length & 255))
        cat "$work/track"
    } >"$file"
}

# expect_pitches STEP:ALTER:OCTAVE...: the notes of the last output, in order.
expect_pitches() {
    local n=0 step alter octave
    for pitch in "$@"; do
        n=$((n + 1))
        IFS=: read -r step alter octave <<<"$pitch"
        local alter_test="alter='$alter'"
        [ "$alter" = 0 ] && alter_test="not(alter)"
        expect_xpath "count((//note)[$n]/pitch[step='$step'][$alter_test][octave='$octave'])" "1"
    done
}

spellings=(
    # sharps minor  keys        written as
    "7 0 60 65 61 71|B:1:3 E:1:4 C:1:4 B:0:4"   # C# major: B#, E#; B natural stays B
    "-7 0 59 64 66 60|C:-1:4 F:-1:4 G:-1:4 C:0:4" # Cb major: Cb, Fb, Gb; C natural
    "-1 1 62 61 70 71|D:0:4 C:1:4 B:-1:4 B:0:4"  # D minor: the leading note C#, Bb and B
    "2 0 66 63 70 65|F:1:4 D:1:4 A:1:4 F:0:4"    # D major: black keys sharp, F natural
    "-3 1 67 71 63 66|G:0:4 B:0:4 E:-1:4 G:-1:4" # C minor: B natural leads, Gb
)
for entry in "${spellings[@]}"; do
    read -r -a keys <<<"${entry%%|*}"
    read -r -a expected <<<"${entry#*|}"
    write_scale "$work/scale.mid" "${keys[@]}"
    run "spelling in key ${keys[0]} minor ${keys[1]}" import --format musicxml "$work/scale.mid"
    expect_status 0
    expect_xpath "string(//measure[1]/attributes/key/fifths)" "${keys[0]}"
    expect_pitches "${expected[@]}"
done

# --- texts and a file without strands ---------------------------------------------------------

# MThd, format 0, 1 track, division 96; MTrk: track name 'A&<>"' 01 e9 "'" (a control byte and
# a Latin-1 e acute), note on C4, 96 ticks later note off, end of track.
printf 'MThd\000\000\000\006\000\000\000\001\000\140' >"$work/title.mid"
printf 'MTrk\000\000\000\030' >>"$work/title.mid"
printf '\000\377\003\010A&<>"\001\351'"'" >>"$work/title.mid"
printf '\000\220\074\100\140\200\074\100\000\377\057\000' >>"$work/title.mid"
run "escaped title" import --format musicxml "$work/title.mid"
expect_status 0
expect_score
expect_xpath "string(//work-title)" "A&<>\"é'"
expect_xpath "string(//part-name)" "A&<>\"é'"

# MThd, format 0, 1 track, division 96; MTrk: a track name and the end of the track, no notes.
printf 'MThd\000\000\000\006\000\000\000\001\000\140' >"$work/silent.mid"
printf 'MTrk\000\000\000\014\000\377\003\004Only\000\377\057\000' >>"$work/silent.mid"
run "no strands" import --format musicxml "$work/silent.mid"
expect_status 0
expect_score
expect_xpath "count(//part/measure)" "1"
expect_xpath "count(//part/measure/note/rest[@measure='yes'])" "1"

finish_checks
