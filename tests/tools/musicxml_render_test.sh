#!/bin/bash
# A real notation program reads what vlmidi writes: every bundled example is converted to
# MusicXML, validated with xmllint against the MusicXML schema that MuseScore 3 carries (3.1,
# the newest a Debian package holds; nothing here uses what 4.0 added), and rendered by
# MuseScore's command line, headless, to PNG pages kept in OUT_DIR for a person to look at.
# MuseScore must neither reject the file nor report an import error. Skipped (exit 77) without
# MuseScore 3 (Debian package musescore3).
#
#     musicxml_render_test.sh PATH/TO/vlmidi PATH/TO/examples OUT_DIR
set -u
here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=check_helpers.sh
source "$here/check_helpers.sh"
[ $# -eq 3 ] || { echo "usage: $0 VLMIDI EXAMPLES_DIR OUT_DIR"; exit 2; }
out_dir=$3
mscore=$(command -v mscore3 || command -v musescore3) ||
    { echo "SKIP: MuseScore 3 not found (Debian package musescore3)"; exit 77; }
mkdir -p "$out_dir"
schema=$work/musicxml.xsd
command -v xmllint >/dev/null &&
    python3 "$here/extract_musicxml_schema.py" "$(readlink -f "$mscore")" "$work" ||
    { schema=""; echo "note: no schema to validate with (needs python3, xmllint, the schema)"; }

for file in "$2"/*.mid; do
    base=$(basename "$file" .mid)
    score=$out_dir/$base.musicxml
    check "$1" import -o "$score" "$file" </dev/null || fail "$base: vlmidi failed"
    if [ -n "$schema" ]; then
        check xmllint --noout --nonet --schema "$schema" "$score" 2>"$work/lint" ||
            fail "$base: schema says: $(grep -v validates "$work/lint" | head -n 5)"
    fi
    rm -f "$out_dir/$base"-*.png
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work check timeout 60 \
        "$mscore" -r 100 -o "$out_dir/$base.png" "$score" >"$work/mscore" 2>&1 ||
        fail "$base: MuseScore failed: $(tail -n 3 "$work/mscore")"
    grep -E "not a valid MusicXML file|Error at line|too many voices" "$work/mscore" >"$work/bad"
    check [ ! -s "$work/bad" ] || fail "$base: MuseScore complains: $(head -n 3 "$work/bad")"
    # One PNG per page: NAME-1.png, or NAME-01.png from ten pages on.
    page=$(find "$out_dir" -maxdepth 1 -name "$base-*1.png" -size +10k | head -n 1)
    check [ -n "$page" ] || fail "$base: no rendered page"
done
echo "rendered pages: $out_dir"
finish_checks
