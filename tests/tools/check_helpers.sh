# shellcheck shell=bash
# Helpers of the shell tests: a scratch directory removed on exit, the counters of checks and
# failures, and the commands the cases of run_cases.sh call. Each of those writes a transcript:
# "$ COMMAND" on stderr, the command's stdout as it comes, then its stderr after "[stderr]" and
# its exit status after "[exit" when it is not 0.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
shopt -s lastpipe # so that a check at the end of a pipeline is counted
checks=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# check COMMAND...: runs COMMAND as one counted check; its status is the command's.
check() {
    checks=$((checks + 1))
    "$@"
}

finish_checks() {
    echo "$checks checks, $failures failed"
    [ "$failures" -eq 0 ]
}

# labelled LABEL COMMAND...: runs COMMAND with the transcript described above.
labelled() {
    local status
    echo "\$ $1" >&2
    shift
    "$@" 2>"$work/stderr"
    status=$?
    [ -s "$work/stderr" ] && { echo "[stderr]" && cat "$work/stderr"; } >&2
    [ "$status" -eq 0 ] || echo "[exit $status]" >&2
}

# shellcheck disable=SC2154 # VLMIDI and GENERATOR come from run_cases.sh's arguments
vlmidi() { labelled "vlmidi $*" "$VLMIDI" "$@"; }
make_examples() { labelled "make_examples $*" "$GENERATOR" "$@"; }

# memcheck ARGS...: vlmidi ARGS under valgrind's memcheck, output dropped: any memory error or
# leak of any kind is on stderr and makes the status 99.
memcheck() {
    labelled "memcheck vlmidi $*" valgrind -q --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=all --errors-for-leak-kinds=all "$VLMIDI" "$@" >/dev/null
}

# Options for script(1), which gives a command a pseudo-terminal: the input fed to it is not
# echoed into the recorded output, where it could land in the middle of a line the command
# writes (versions without --echo echo it).
if script --help 2>&1 | grep -q -- '--echo'; then
    script_options=(-E never -qec)
else
    script_options=(-qec)
fi

# on_tty INPUT ARGS...: vlmidi ARGS on a pseudo-terminal that is fed INPUT (printf escapes).
on_tty() {
    local input=$1
    shift
    # shellcheck disable=SC2059 # INPUT is a format on purpose
    printf "$input" | labelled "vlmidi $* (on a terminal)" timeout 20 script \
        "${script_options[@]}" "$(printf '%q ' "$VLMIDI" "$@")" /dev/null | tr -d '\r'
}

# check_score FILE...: each FILE is well-formed XML and passes check_musicxml.py (quiet if so).
check_score() {
    xmllint --nonet --noout "$@" && python3 "$(dirname "${BASH_SOURCE[0]}")/check_musicxml.py" "$@"
}
