#!/bin/bash
# A real notation program reads what vlmidi writes: every bundled example is converted to
# MusicXML, validated with xmllint against the MusicXML schema that MuseScore 3 carries (3.1, the
# newest a Debian package holds; nothing here uses what 4.0 added), and rendered by MuseScore's
# command line, headless, to PNG pages kept in OUT_DIR for a person to look at. MuseScore must
# neither reject the file as invalid nor report an import error. Skipped (exit 77) without
# MuseScore 3 (Debian package musescore3).
#
#     musicxml_render_test.sh PATH/TO/vlmidi PATH/TO/examples OUT_DIR
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 3 "usage: $0 VLMIDI EXAMPLES_DIR OUT_DIR" "$@"
program=$1 # what run starts
examples=$2
out_dir=$3
here=$(dirname "${BASH_SOURCE[0]}")

mscore=$(command -v mscore3 || command -v musescore3 || true)
if [ -z "$mscore" ]; then
    echo "SKIP: MuseScore 3 not found (Debian package musescore3)"
    exit 77
fi
mkdir -p "$out_dir"

schema=""
if command -v python3 >/dev/null 2>&1 && command -v xmllint >/dev/null 2>&1 &&
    python3 "$here/extract_musicxml_schema.py" "$(readlink -f "$mscore")" "$work"; then
    schema="$work/musicxml.xsd"
else
    echo "note: no schema to validate with (needs python3, xmllint and MuseScore's schema)"
fi

for file in "$examples"/*.mid; do
    base=$(basename "$file" .mid)
    score="$out_dir/$base.musicxml"
    run "$base to MusicXML" import -o "$score" "$file"
    expect_status 0

    if [ -n "$schema" ]; then
        checks=$((checks + 1))
        xmllint --noout --nonet --schema "$schema" "$score" 2>"$work/lint" ||
            fail "$base: schema says: $(grep -v validates "$work/lint" | head -n 5)"
    fi

    rm -f "$out_dir/$base"-*.png
    checks=$((checks + 1))
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" timeout 60 \
        "$mscore" -r 100 -o "$out_dir/$base.png" "$score" >"$work/mscore" 2>&1 ||
        fail "$base: MuseScore failed: $(tail -n 3 "$work/mscore")"
    checks=$((checks + 1))
    if grep -E "not a valid MusicXML file|Error at line|too many voices" "$work/mscore" \
        >"$work/complaints"; then
        fail "$base: MuseScore complains: $(head -n 3 "$work/complaints")"
    fi
    # One PNG per page: NAME-1.png, or NAME-01.png from ten pages on.
    checks=$((checks + 1))
    page=$(find "$out_dir" -maxdepth 1 -name "$base-*1.png" -size +10k | head -n 1)
    [ -n "$page" ] || fail "$base: no rendered page"
done
echo "rendered pages: $out_dir"
finish_checks
