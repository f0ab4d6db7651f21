#!/bin/bash
# Command-line tests of the reference host: exit codes, what goes to stdout and stderr, the
# header line for each bundled example, the notation view, the raw items and the JSON output.
# The JSON checks use python3 when it is installed and are skipped otherwise.
#
#     vlmidi_cli_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
vlmidi=$1
examples=$2
program=$vlmidi # what run starts

# --- help and usage -----------------------------------------------------------------------------

for help in --help -h help; do
    run "vlmidi $help" "$help"
    expect_status 0
    expect_in out "import [FILE]"
    expect_empty err
done

run "vlmidi help import" help import
expect_status 0
expect_in out "--quiet"
expect_in out "--items"
expect_in out "--format json"

run "vlmidi import --help" import --help
expect_status 0
expect_in out "usage: vlmidi import [FILE]"

run "vlmidi without arguments"
expect_status 2
expect_in err "import [FILE]"
expect_empty out

twinkle=$examples/twinkle.mid
expect_refusals <<TABLE
2|frobnicate|frobnicate
2|frobnicate|help frobnicate
2|no FILE|import
2|only one FILE|import $twinkle $examples/two_hands.mid
2|--loud|import --loud $twinkle
2|'xml'|import --format xml $twinkle
2|--format needs a FORMAT|import $twinkle --format
2|exclude each other|import --items --format=json $twinkle
2|nothing|list $twinkle --after nothing
1|missing.mid|list $work/missing.mid
TABLE

# --- files that cannot be read: one line on stderr naming the file ----------------------------

printf 'This is a text file, not MIDI.\n' >"$work/notes.txt"
printf 'MThd\000\000' >"$work/short_header.mid"
printf 'RIFF\024\000\000\000RMIDLIST\010\000\000\000INFOxxxx' >"$work/riff_without_data.rmi"
mkdir "$work/folder.mid"

unreadable=(
    "$work/no_such_file.mid:no such file"
    "$work/notes.txt:not a Standard MIDI File"
    "$work/short_header.mid:not a Standard MIDI File"
    "$work/riff_without_data.rmi:not a Standard MIDI File"
    "$work/folder.mid:directory"
)
for entry in "${unreadable[@]}"; do
    file=${entry%%:*}
    reason=${entry#*:}
    for option in "" --quiet --items "--format json"; do
        # shellcheck disable=SC2086 # an empty $option adds no argument, "--format json" two
        run "import $(basename "$file") $option" import $option "$file"
        expect_status 1
        expect_lines err 1
        expect_in err "'$file'"
        expect_in err "$reason"
        expect_empty out
    done
done

# --- the bundled examples ---------------------------------------------------------------------

examples_and_headers=(
    "twinkle.mid:format 1, 2 tracks, division 96"
    "two_hands.mid:format 1, 2 tracks, division 480"
    "swing_triplets.mid:format 0, 1 track, division 96"
    "riff_wrapped.rmi:format 1, 2 tracks, division 96"
)
for entry in "${examples_and_headers[@]}"; do
    file="$examples/${entry%%:*}"
    header=${entry#*:}

    run "import $(basename "$file")" import "$file"
    expect_status 0
    expect_line out "file: $file"
    expect_line out "$header"
    expect_line out "error word: 0x0"
    checks=$((checks + 1))
    grep -qE '^strands: [0-9]+$' "$work/out" || fail "$name: no strand count line"
    # stderr is not a terminal here: no progress bar, nothing at all.
    expect_empty err
    cp "$work/out" "$work/with_progress"

    # Opened without a progress window, the same file gives the same output.
    run "import --quiet $(basename "$file")" import --quiet -- "$file"
    expect_status 0
    expect_empty err
    checks=$((checks + 1))
    cmp -s "$work/out" "$work/with_progress" ||
        fail "$name: output differs from the run with progress"
done

# The listing: header lines, one line per event, the first track's signatures
# copied into the second track as markers once the transcription ran.
run "list twinkle.mid" list "$examples/twinkle.mid"
expect_status 0
expect_empty err
expect_line out "MThd, 6, Format=1, Tracks=2, Division=96"
expect_in out "(Track 2 of 2)"
expect_in out "Time sig: 4/4  (24 MIDI clocks per metronome tick; 8 32nds per MIDI quarter)"
checks=$((checks + 1))
grep -q 'KQVL' "$work/out" && fail "$name: markers before the transcription ran"

run "list --after initialise" list "$examples/twinkle.mid" --after initialise
expect_status 0
expect_in out "KQVLMTA 58 04 02 18 08"


# --- the notation view ------------------------------------------------------------------------

# The start items as named settings and the guide strand one bar per line.
run "notation view of twinkle.mid" import "$examples/twinkle.mid"
expect_status 0
expect_line out "start items"
expect_line out "  key      C major (no sharps or flats)"
expect_line out "  time     4/4"
expect_line out "  tempo    q = 100"
expect_line out "  swing    straight"
expect_line out '  title    "Twinkle, Twinkle, Little Star"'
expect_line out '  notice   "Traditional melody; example file of the vlmidiin project"'
expect_line out "guide"
expect_line out "  start | [4/4]  [q=100] |"
expect_line out "  bar 1 | r w |"
expect_line out "  bar 8 | r w ||"
checks=$((checks + 1))
grep -q '^  bar 9' "$work/out" && fail "$name: the closing bar line opened a bar 9"

run "notation view of two_hands.mid" import "$examples/two_hands.mid"
expect_line out "  key      G major (1 sharp)"
expect_line out "  time     3/4"
expect_line out "  tempo    q = 92"
expect_line out "  start | [3/4]  [q=92] |"
expect_line out "  bar 1 | r h. |"

run "notation view of swing_triplets.mid" import "$examples/swing_triplets.mid"
expect_line out "  key      F major (1 flat)"
expect_line out '  title    "Swing and Triplets"'
expect_in out "  swing    "

# Strands, once the library hands them out: a heading with track, channel, instrument and clef,
# then the bars.
for file in "$examples"/*.mid "$examples"/*.rmi; do
    run "strands of $(basename "$file")" import "$file"
    strands=$(sed -n 's/^strands: //p' "$work/out")
    if [ "${strands:-0}" -gt 0 ]; then
        checks=$((checks + 2))
        heading="^strand 1 of $strands: track [0-9]+, channel [0-9]+, "
        heading+=".*(treble clef|bass clef|no notes)\$"
        grep -qE "$heading" "$work/out" || fail "$name: no heading for strand 1"
        grep -qE "^strand $strands of $strands: " "$work/out" ||
            fail "$name: no heading for strand $strands"
    fi
done

run "strands of twinkle.mid" import "$examples/twinkle.mid"
strands=$(sed -n 's/^strands: //p' "$work/out")
if [ "${strands:-0}" -gt 0 ]; then
    expect_line out "strand 1 of 1: track 2, channel 1, Flute (program 73), treble clef"
    expect_in out '[name "Melody"]  [instrument "Flute"]  [prog 73 ch1] |'
    expect_line out "  bar 1 | C4 q  C4 q  G4 q  G4 q |"
    expect_line out "  bar 2 | A4 q  A4 q  G4 h |"
else
    echo "note: no strands yet, the strand view of twinkle.mid is not checked"
fi

# The raw item lines stay available.
run "raw items of twinkle.mid" import --items "$examples/twinkle.mid"
expect_status 0
expect_line out "start items"
expect_line out "      6 keysig       Append    0   0   0  | Key signature: 0"
expect_line out "guide strand"
expect_line out "      4 barline      Append    0   0   0  | Barline"
if [ "${strands:-0}" -gt 0 ]; then
    expect_line out "strand 1 of 1"
    expect_in out "  voicing:     9 progchange   Append    0  73   0"
fi

# --- JSON output --------------------------------------------------------------------------------

have_python=0
command -v python3 >/dev/null 2>&1 && have_python=1
[ "$have_python" -eq 1 ] || echo "note: python3 not found, the JSON checks are skipped"

# json_expect EXPRESSION...: stdout is valid JSON in UTF-8, and each Python expression holds with
# `doc` the parsed document; start_texts(TYPE) lists the texts of the start items of one type and
# notes(STRAND) the key, value and flags of a strand's notes.
json_expect() {
    [ "$have_python" -eq 1 ] || return 0
    checks=$((checks + 1))
    if ! python3 -m json.tool "$work/out" >/dev/null 2>"$work/json_err"; then
        fail "$name: stdout is not valid JSON: $(tail -n 1 "$work/json_err")"
        return
    fi
    for expression in "$@"; do
        checks=$((checks + 1))
        python3 - "$work/out" "$expression" 2>"$work/json_err" <<'PY' ||
import json, sys
with open(sys.argv[1], "rb") as f:
    doc = json.loads(f.read().decode("utf-8"))
def start_texts(kind):
    return [i["text"] for i in doc["startItems"] if i["type"] == kind]
def notes(strand):
    return [[i["arg1"], i["arg2"], i["arg3"]] for i in strand["items"] if i["type"] == 1]
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
            fail "$name: JSON does not satisfy: $expression $(tail -n 1 "$work/json_err")"
    done
}

# Every item of every list carries its fields; text items, and only they, their text.
every_item_complete='all(
    set(i) >= {"type", "typeName", "action", "arg1", "arg2", "arg3", "description"}
    and ("text" in i) == (i["type"] >= 4096)
    for l in [doc["startItems"], doc["guide"]] + [s["items"] for s in doc["strands"]] if l
    for i in l)'

for entry in "${examples_and_headers[@]}"; do
    file="$examples/${entry%%:*}"
    read -r format tracks division <<<"$(echo "${entry#*:}" | tr -cs '0-9' ' ')"
    run "import $(basename "$file") as text" import "$file"
    strands=$(sed -n 's/^strands: //p' "$work/out")

    run "import $(basename "$file") --format json" import --format json "$file"
    expect_status 0
    expect_empty err
    json_expect \
        "doc['header'] == {'format': $format, 'tracks': $tracks, 'division': $division}" \
        "doc['cancelled'] is False and doc['errorWord'] == 0" \
        "doc['strandCount'] == $strands and len(doc['strands']) == $strands" \
        "[i['type'] for i in doc['startItems']][:4] == [6, 5, 7, 10]" \
        "sum(i['type'] == 4 for i in doc['guide']) >= 5" \
        "$every_item_complete" \
        "all(s['index'] == n and isinstance(s['trackIndex'], int) and s['voicing']['type'] == 9
             and s['voicing']['arg1'] == s['channel'] for n, s in enumerate(doc['strands']))"
    cp "$work/out" "$work/json_with_progress"

    run "import --quiet --format=json $(basename "$file")" import --quiet --format=json "$file"
    expect_status 0
    checks=$((checks + 1))
    cmp -s "$work/out" "$work/json_with_progress" ||
        fail "$name: output differs from the run with progress"
done

run "twinkle.mid as JSON" import --format json "$examples/twinkle.mid"
json_expect \
    'doc["startItems"][0] == {"type": 6, "typeName": "keysig", "action": 1, "arg1": 0, "arg2": 0,
                              "arg3": 0, "description": "Key signature: 0"}' \
    'start_texts(4103) == ["Twinkle, Twinkle, Little Star"]'
if [ "${strands:-0}" -gt 0 ] && [ "$(sed -n 's/^strands: //p' "$work/with_progress")" != 0 ]; then
    json_expect \
        'doc["strands"][0]["trackIndex"] == 1 and doc["strands"][0]["channel"] == 0' \
        'doc["strands"][0]["voicing"]["arg2"] == 73' \
        'notes(doc["strands"][0])[:4] == [[60, 3, 0], [60, 3, 0], [67, 3, 0], [67, 3, 0]]'
fi

# A file name that is not valid UTF-8: valid sequences pass through, other bytes become \u00XX,
# quotes, backslashes and control characters are escaped.
weird=$'we"ird\\name\t\x01\xff\xc3\xa9.mid'
cp "$examples/twinkle.mid" "$work/$weird"
run "JSON of a strangely named file" import --format json "$work/$weird"
expect_status 0
expect_in out '"file": "'"$work"'/we\"ird\\name\t\u0001\u00ff'$'\xc3\xa9''.mid"'
json_expect 'doc["file"].endswith("/we\"ird\\name\t\x01\xff\xe9.mid")'

# A title holding a quote, a backslash, control bytes, a lone byte above 0x7f and UTF-8.
#   MThd, length 6, format 0, 1 track, division 96
#   MTrk, length 25: track name 'Q"\' 01 0a ff c3 a9 'Z'; note on C4; 96 ticks later note off;
#   end of track
printf 'MThd\000\000\000\006\000\000\000\001\000\140' >"$work/strange_title.mid"
printf 'MTrk\000\000\000\031' >>"$work/strange_title.mid"
printf '\000\377\003\011Q"\\\001\012\377\303\251Z' >>"$work/strange_title.mid"
printf '\000\220\074\100\140\200\074\100\000\377\057\000' >>"$work/strange_title.mid"
run "notation view of a strange title" import "$work/strange_title.mid"
expect_status 0
expect_in out '  title    "Q\"\\\x01\x0a'
run "JSON of a strange title" import --format json "$work/strange_title.mid"
expect_status 0
expect_in out '"text": "Q\"\\\u0001\n\u00ff'$'\xc3\xa9''Z"'
json_expect 'start_texts(4103) == ["Q\"\\\x01\n\xff\xe9Z"]'

# Repairs run before the transcription: their lines come first with the notation, and go to
# stderr when a document is written to stdout.
run "import --repair" import -q "$examples/twinkle.mid" --repair
expect_status 0
expect_line out "removed 0 duplicate tracks"
expect_line out "track lengths equalised"
check [ "$(head -n 1 "$work/out")" = "removed 0 illegal events" ] ||
    fail "import --repair: the repair lines do not come first"
run "import --repair --format json" import -q "$examples/twinkle.mid" --repair --format json
expect_status 0
expect_line err "removed 0 duplicate tracks"
check python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$work/out" ||
    fail "import --repair --format json: stdout is no JSON document"
run "help import shows the repairs" help import
expect_in out "--remove-duplicates"

echo "$checks checks, $failures failed"
[ "$failures" -eq 0 ]
