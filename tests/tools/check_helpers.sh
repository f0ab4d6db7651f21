# shellcheck shell=bash
# Helpers shared by the shell tests: the argument check, a scratch directory removed on exit,
# the counters of checks and failures, and the checks themselves. A test script sources it
# first, then calls need_args, and ends with finish_checks:
#
#     source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"
#     need_args 2 "usage: $0 PROGRAM EXAMPLES_DIR" "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
checks=0

# need_args COUNT USAGE ARGS...: unless there are COUNT ARGS, prints USAGE and exits with 2.
need_args() {
    local count=$1 usage=$2
    shift 2
    if [ $# -ne "$count" ]; then
        echo "$usage" >&2
        exit 2
    fi
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# check COMMAND...: runs COMMAND as one counted check; its status is the command's.
check() {
    checks=$((checks + 1))
    "$@"
}

# run NAME ARGS...: runs $program (set by the sourcing script) with stdin from /dev/null, keeps
# stdout, stderr and the status. NAME labels the failures of the expect_* checks that follow.
run() {
    name=$1
    shift
    # shellcheck disable=SC2154 # program is the sourcing script's
    "$program" "$@" </dev/null >"$work/out" 2>"$work/err"
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

# expect_refusals: reads lines "STATUS|TEXT|ARGS" from standard input; runs $program with ARGS
# split at spaces and checks the exit status, that stderr holds TEXT and that stdout stays empty.
expect_refusals() {
    local wanted text args
    while IFS='|' read -r wanted text args; do
        # shellcheck disable=SC2086 # the words are meant to split
        run "$args" $args
        expect_status "$wanted"
        expect_in err "$text"
        expect_empty out
    done
}

# finish_checks: prints the summary; its status is 0 when no check failed.
finish_checks() {
    echo "$checks checks, $failures failed"
    [ "$failures" -eq 0 ]
}

# Options for script(1), which gives a command a pseudo-terminal: the input fed
# to it is not echoed into the recorded output, where it could land in the
# middle of a line the command writes (versions without --echo echo it).
# shellcheck disable=SC2034 # used by the scripts that source this file
if command -v script >/dev/null && script --help 2>&1 | grep -q -- '--echo'; then
    script_options=(-E never -qec)
else
    script_options=(-qec)
fi
