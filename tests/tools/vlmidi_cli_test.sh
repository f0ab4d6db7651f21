#!/bin/bash
# Command-line tests of the reference host: exit codes, what goes to stdout and stderr, and the
# header line for each bundled example.
#
#     vlmidi_cli_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 VLMIDI EXAMPLES_DIR" >&2
    exit 2
fi
vlmidi=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
checks=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run NAME ARGS...: runs vlmidi with stdin from /dev/null, keeps stdout, stderr and the status.
run() {
    name=$1
    shift
    "$vlmidi" "$@" </dev/null >"$work/out" 2>"$work/err"
    status=$?
}

expect_status() {
    checks=$((checks + 1))
    [ "$status" -eq "$1" ] ||
        fail "$name: exit status $status, expected $1 ($(head -c 300 "$work/err"))"
}

# expect_in FILE TEXT: FILE (out or err) holds TEXT as a fixed string.
expect_in() {
    checks=$((checks + 1))
    grep -qF -- "$2" "$work/$1" || fail "$name: $1 lacks '$2'"
}

expect_line() {
    checks=$((checks + 1))
    grep -qxF -- "$2" "$work/$1" || fail "$name: $1 lacks the line '$2'"
}

expect_lines() {
    checks=$((checks + 1))
    lines=$(wc -l <"$work/$1")
    [ "$lines" -eq "$2" ] || fail "$name: $1 has $lines lines, expected $2"
}

expect_empty() {
    checks=$((checks + 1))
    [ ! -s "$work/$1" ] || fail "$name: $1 not empty: $(head -c 300 "$work/$1")"
}

# --- help and usage -----------------------------------------------------------------------------

for help in --help -h help; do
    run "vlmidi $help" "$help"
    expect_status 0
    expect_in out "import FILE"
    expect_empty err
done

run "vlmidi help import" help import
expect_status 0
expect_in out "--quiet"

run "vlmidi import --help" import --help
expect_status 0
expect_in out "usage: vlmidi import FILE"

run "vlmidi without arguments"
expect_status 2
expect_in err "import FILE"
expect_empty out

for args in "frobnicate" "help frobnicate"; do
    # shellcheck disable=SC2086 # the words are meant to split
    run "vlmidi $args" $args
    expect_status 2
    expect_in err "frobnicate"
    expect_empty out
done

run "import without FILE" import
expect_status 2
expect_in err "no FILE"

run "import with two files" import "$examples/twinkle.mid" "$examples/two_hands.mid"
expect_status 2
expect_in err "only one FILE"

run "import with an unknown option" import --loud "$examples/twinkle.mid"
expect_status 2
expect_in err "--loud"

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
    for quiet in "" --quiet; do
        # shellcheck disable=SC2086 # an empty $quiet adds no argument
        run "import $(basename "$file") $quiet" import $quiet "$file"
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

run "list unknown step" list "$examples/twinkle.mid" --after nothing
expect_status 2
run "list missing file" list "$work/missing.mid"
expect_status 1
expect_in err "missing.mid"

echo "$checks checks, $failures failed"
[ "$failures" -eq 0 ]
