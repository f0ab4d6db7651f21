#!/bin/bash
# Command-line tests of "vlmidi stats": usage mistakes, the text form group by group for the
# bundled examples, the JSON form against the text form, a file without tracks, and the dialog
# shown on a pseudo-terminal (when "script" is installed). The JSON checks use python3 when it
# is installed and are skipped otherwise.
#
#     vlmidi_stats_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
vlmidi=$1
examples=$2
program=$vlmidi # what run starts

# --- help and usage mistakes --------------------------------------------------------------------

run "stats --help" stats --help
expect_status 0
expect_in out "usage: vlmidi stats FILE"
for option in "--after initialise" "--json" "--dialog"; do
    expect_in out "$option"
done

twinkle=$examples/twinkle.mid
expect_refusals <<TABLE
2|no FILE|stats
2|only one FILE|stats $twinkle $examples/two_hands.mid
2|--loud|stats --loud $twinkle
2|nothing|stats $twinkle --after nothing
2|exclude each other|stats --json --dialog $twinkle
1|cannot read MIDI file|stats $work/missing.mid
TABLE

# --- the text form --------------------------------------------------------------------------------

# Everything in swing_triplets.mid lies on a 32-tick lattice (swung quavers of 64 + 32 ticks,
# triplet quavers of 32): no straight grid fits an interval of 32 or 64, the 64-tick triplet
# grid fits the 64s only, finer triplet grids fit everything. The swung off-beats lie 16 ticks
# into the second eighth's first sixteenth (class 2).
cat >"$work/swing_expected" <<'TEXT'
At start
  [x] Time sig.
  [x] Key sig.
  [x] Tempo
Changes?
  [ ] Time sig.
  [ ] Key sig.
  [ ] Tempo
Quantisation:
  2      0.0%
  1      0.0%
  1/2    0.0%
  1/4    0.0%
  1/8    0.0%
  1/16   0.0%
  1/32   0.0%
  1/64   0.0%
Triplet:
  1      0.0%
  1/2    0.0%
  1/4    31.4%
  1/8    100.0%
  1/16   100.0%
  1/32   100.0%
  1/64   100.0%
  1/128  100.0%
Swing
  0)  0  +/-  0
  1)  0  +/-  0
  2)  16  +/-  0
  3)  0  +/-  0
TEXT

run "stats swing_triplets.mid" stats "$examples/swing_triplets.mid"
expect_status 0
expect_empty err
expect_line out "MIDI Statistics: $examples/swing_triplets.mid"
checks=$((checks + 1))
tail -n +2 "$work/out" | diff -u "$work/swing_expected" - >"$work/diff" ||
    fail "stats swing_triplets.mid: unexpected text: $(head -c 1500 "$work/diff")"
cp "$work/out" "$work/swing_read"

# Division 480 is a multiple of 3 and of 16: every grid is whole, so every entry has a text.
run "stats two_hands.mid" stats "$examples/two_hands.mid"
expect_status 0
expect_lines out 32
checks=$((checks + 1))
grep -qE '^  1/(64|128) *$' "$work/out" && fail "two_hands.mid: an empty fit at division 480"

# Resolving the swing moves the off-beats, so the fits change; the swing figures are those
# stored when the file was read.
run "stats --after initialise" stats "$examples/swing_triplets.mid" --after initialise
expect_status 0
expect_line out "MIDI Statistics: $examples/swing_triplets.mid (after initialise)"
expect_line out "  2)  16  +/-  0"
checks=$((checks + 1))
tail -n +2 "$work/out" | cmp -s - <(tail -n +2 "$work/swing_read") &&
    fail "stats --after initialise: the fits did not change"

# --dialog without a terminal on stdin prints the text and says why.
run "stats --dialog without a terminal" stats "$examples/swing_triplets.mid" --dialog
expect_status 0
expect_in err "needs a terminal"
checks=$((checks + 1))
cmp -s "$work/out" "$work/swing_read" || fail "stats --dialog without a terminal: other text"

# A header announcing no tracks opens, but has no statistics.
printf 'MThd\0\0\0\6\0\1\0\0\0\140' >"$work/no_tracks.mid"
run "stats no tracks" stats "$work/no_tracks.mid"
expect_status 0
expect_line out "The file has no track: there are no statistics to show."
expect_lines out 2

# --- JSON ---------------------------------------------------------------------------------------

if command -v python3 >/dev/null; then
    # The JSON members agree with each other and with the text form: the presence booleans
    # with the bits of entry 0, each fit and text with its entry, the swing with 17 to 28.
    check_json() {
        python3 - "$work/out" "$1" "$2" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
text = open(sys.argv[2]).read().splitlines()[1:]
has_track = sys.argv[3] == "yes"
r = doc["record"]
assert len(r) == 29 and doc["hasTrack"] == has_track, doc
def fit_text(v):
    return "" if v < 0 else "%d.%d%%" % (v // 10, v % 10)
names = ["timeSignature", "keySignature", "tempo"]
for i, name in enumerate(names):
    assert doc["atStart"][name] == bool(r[0] & (1 << (2 * i))), name
    assert doc["changes"][name] == bool(r[0] & (2 << (2 * i))), name
for group, first in (("quantisation", 1), ("triplet", 9)):
    for i, entry in enumerate(doc[group]):
        v = r[first + i]
        assert entry["fit"] == (None if v == -1 else v), (group, i)
        assert entry["text"] == fit_text(v), (group, i)
for c, entry in enumerate(doc["swing"]):
    assert (entry["count"], entry["mean"], entry["deviation"]) == \
        (r[17 + c], r[21 + c], r[25 + c]), c
if has_track:
    shown = [line.split() for line in text if line.startswith("  ") and "[" not in line]
    fits = [e["text"] for e in doc["quantisation"] + doc["triplet"]]
    assert [(s[1] if len(s) > 1 else "") for s in shown[:16]] == fits, shown
    swing = [[s[1], s[3]] for s in shown[16:]]
    assert swing == [[str(e["mean"]), str(e["deviation"])] for e in doc["swing"]], swing
else:
    assert r[1:17] == [-1] * 16 and r[17:] == [0] * 12, r
PY
    }
    for example in swing_triplets.mid twinkle.mid two_hands.mid; do
        run "stats $example" stats "$examples/$example"
        cp "$work/out" "$work/text"
        run "stats --json $example" stats --json "$examples/$example"
        expect_status 0
        checks=$((checks + 1))
        check_json "$work/text" yes || fail "stats --json $example disagrees with the text"
    done
    run "stats --json swing_triplets.mid" stats --json "$examples/swing_triplets.mid"
    expect_in out '"record": [21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 314, 1000,'

    run "stats no tracks" stats "$work/no_tracks.mid"
    cp "$work/out" "$work/text"
    run "stats --json no tracks" stats --json "$work/no_tracks.mid"
    checks=$((checks + 1))
    check_json "$work/text" no || fail "stats --json no tracks"
else
    echo "python3 not found: JSON checks skipped"
fi

# --- the dialog on a terminal ---------------------------------------------------------------------

if command -v script >/dev/null && command -v timeout >/dev/null; then
    # "script" gives vlmidi a pseudo-terminal, so --dialog shows the library's dialog there;
    # "ok" closes it.
    printf 'ok\n' | timeout 20 script "${script_options[@]}" \
        "'$vlmidi' stats '$examples/swing_triplets.mid' --dialog" /dev/null \
        | tr -d '\r' >"$work/out"
    name="stats --dialog on a terminal"
    expect_line out "== MIDI Statistics =="
    expect_line out "  3016  31.4%"
    expect_line out "  3028  16"
    checks=$((checks + 1))
    grep -q "needs a terminal" "$work/out" && fail "$name: the dialog was not shown"
else
    echo "script or timeout not found: terminal check skipped"
fi

finish_checks
