#!/bin/bash
# Command-line tests of "vlmidi view" (the import-lists dialog driven by a script, by commands on
# standard input, and closed by the end of the input) and "vlmidi config" (the settings printed,
# changed by flags and saved, the dialog answered from standard input, and a store that cannot be
# written), each against its own settings store.
#
#     vlmidi_view_test.sh PATH/TO/vlmidi PATH/TO/examples
set -u
# shellcheck source=check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"

need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
program=$1 # what run starts
examples=$2
twinkle=$examples/twinkle.mid
export XDG_CONFIG_HOME=$work/config
store="$XDG_CONFIG_HOME/Tolvek Software/vlmidiin.ini"

# feed NAME INPUT ARGS...: like run, with INPUT as standard input.
feed() {
    name=$1
    local input=$2
    shift 2
    printf '%s' "$input" | "$program" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# expect_count FILE TEXT N: FILE holds exactly N lines that are TEXT.
expect_count() {
    checks=$((checks + 1))
    local found
    found=$(grep -cxF -- "$2" "$work/$1")
    [ "$found" -eq "$3" ] || fail "$name: $1 has $found lines '$2', expected $3"
}

# --- view: usage --------------------------------------------------------------------------------

run "view --help" view --help
expect_status 0
expect_in out "usage: vlmidi view FILE"
expect_in out "--script"

expect_refusals <<TABLE
2|no FILE|view
2|--loud|view --loud $twinkle
1|no such file|view $work/missing.mid
TABLE

# --- view: the dialog ---------------------------------------------------------------------------

run "view closed by the end of the input" view "$twinkle"
expect_status 0
expect_empty out
expect_in err "== Import lists =="
expect_line err "  3014  0"
expect_line err "  3015  clef"
expect_count err "  3015  clef" 1

run "view driven by a script" view "$twinkle" --script "f; >;press 1001 ; <; <; b; d; cancel; f"
expect_status 0
expect_empty out
expect_line err "  3015  barline 0"
expect_line err "  3017  60"
expect_line err "  3018  Crotchet"
expect_line err "  3015  clef"
# "b" from the first bar line finds none before it and rings the bell on the first item; twinkle
# has one strand, so "d" rings too
checks=$((checks + 1))
bells=$(tr -cd '\a' <"$work/err" | wc -c)
[ "$bells" -eq 2 ] || fail "$name: $bells bells, expected 2"
# eight drawings: nothing after "cancel" is read
expect_count err "  3015  barline 0" 2
expect_count err "  3015  midinote" 3
expect_count err "  3015  clef" 3

feed "view with commands on standard input" $'F\nf\nf\nshow\ncancel\n' view "$twinkle"
expect_status 0
expect_line err "  3015  barline 2"
expect_count err "  3015  barline 2" 2

# In a pseudo-terminal (where vlmidi finds a terminal on stdin) when script(1) is installed.
if command -v script >/dev/null && command -v timeout >/dev/null; then
    name="view in a pseudo-terminal"
    printf 'f\nd\ncancel\n' |
        timeout 20 script "${script_options[@]}" "$(printf '%q view %q' "$program" "$twinkle")" \
            /dev/null \
            >"$work/err" 2>&1
    status=$?
    expect_status 0
    tr -d '\r' <"$work/err" >"$work/out"
    expect_count out "  3015  barline 0" 2
    checks=$((checks + 1))
    bells=$(tr -cd '\a' <"$work/out" | wc -c)
    [ "$bells" -eq 1 ] || fail "$name: $bells bells, expected 1 (for d)"
else
    echo "note: script(1) not installed, the pseudo-terminal check is skipped"
fi

# --- config: printing and changing the settings -------------------------------------------------

run "config --show with no store" config --show
expect_status 0
expect_line out "settings: files"
expect_line out "triplets: on"
expect_line out "swing: on"
expect_line out "beat: 7 (hemidemisemiquaver, 1/64 note)"
expect_empty err

run "config --live --show with no store" config --live --show
expect_status 0
expect_line out "settings: live input"
expect_line out "triplets: off"
expect_line out "swing: off"
expect_line out "beat: 5 (semiquaver, 1/16 note)"

run "config sets triplets and beat" config --triplets off --beat 4
expect_status 0
expect_line out "triplets: off"
expect_line out "swing: on"
expect_line out "beat: 4 (quaver, 1/8 note)"
expect_empty err
checks=$((checks + 1))
[ -f "$store" ] || fail "$name: no settings file at $store"
expect_in config/"Tolvek Software"/vlmidiin.ini "quantisation beat=4"

run "config --show reads what was saved" config --show
expect_line out "triplets: off"
expect_line out "beat: 4 (quaver, 1/8 note)"

run "config --live sets only the live settings" config --live --swing on --triplets on --beat 7
expect_status 0
expect_line out "settings: live input"
expect_line out "swing: on"
expect_line out "triplets: on"
expect_line out "beat: 7 (hemidemisemiquaver, 1/64 note)"
run "config: the file settings stay" config --show
expect_line out "triplets: off"
expect_line out "swing: on"
expect_line out "beat: 4 (quaver, 1/8 note)"

printf '[rhythm resolution]\nswing=0\ntriplets=1\nquantisation beat=3\n' >"$store"
run "config --show of a stored crotchet beat (no list entry)" config --show
expect_line out "triplets: on"
expect_line out "swing: off"
expect_line out "beat: 3 (crotchet, 1/4 note)"

for bad in "--beat 3" "--beat 8" "--beat x" "--swing yes" "--triplets" "--loud"; do
    # shellcheck disable=SC2086 # the words are meant to split
    run "config $bad" config $bad
    expect_status 2
    expect_empty out
done

# --- config: the dialog on standard input -------------------------------------------------------

feed "config dialog: s toggles swing, then OK" $'s\nselect 3024 1\nok\n' config
expect_status 0
expect_line out "Settings saved."
expect_in err "== Midi import configuration =="
run "config: the dialog's choices were saved" config --show
expect_line out "swing: on"
expect_line out "beat: 6 (demisemiquaver, 1/32 note)"

feed "config dialog cancelled" $'t\ncancel\n' config
expect_status 3
expect_line out "Cancelled: the settings are unchanged."
run "config: nothing changed on cancel" config --show
expect_line out "triplets: on"

# --- config: a store that cannot be written -----------------------------------------------------

# Its directory would lie below a regular file (which stops root too), or no directory is named at
# all: nothing may claim that the settings were saved.
printf 'x' >"$work/plain"
unwritable="cannot save the settings to $work/plain/Tolvek Software/vlmidiin.ini: Not a directory"
while IFS='|' read -r config_home home args reason; do
    # shellcheck disable=SC2086 # the words are meant to split
    XDG_CONFIG_HOME=$config_home HOME=$home feed "$args with the store at '$config_home'" \
        $'ok\n' $args
    expect_status 4
    expect_empty out
    expect_in err "vlmidi: config: $reason"
done <<TABLE
$work/plain|$HOME|config|$unwritable
$work/plain|$HOME|config --live --beat 6|$unwritable
||config --swing off|cannot save the settings: neither XDG_CONFIG_HOME nor HOME is an absolute path
TABLE
checks=$((checks + 1))
[ "$(cat "$work/plain")" = x ] || fail "the regular file in the store's way was changed"

finish_checks
