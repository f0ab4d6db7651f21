#!/usr/bin/env bash
# Runs `vlmidi import` and `vlmidi list --after initialise` on every example under valgrind's
# memcheck: no invalid read or write, no use of an uninitialised value, and no leak of any
# kind. Skipped (exit 77) when valgrind is not installed.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/check_helpers.sh"
need_args 2 "usage: $0 VLMIDI EXAMPLES_DIR" "$@"
program=$1
examples=$2

if ! command -v valgrind >/dev/null 2>&1; then
    echo "valgrind not installed: skipped"
    exit 77
fi

# Exit code 99 marks a memcheck finding, so it cannot be mistaken for vlmidi's own codes.
memcheck() {
    local log=$1
    shift
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=all --errors-for-leak-kinds=all --log-file="$log" \
        "$program" "$@" >/dev/null 2>&1
}

for file in "$examples"/*.mid "$examples"/*.rmi; do
    [ -e "$file" ] || continue
    base=$(basename "$file")
    for mode in import list; do
        log="$work/$base.$mode.log"
        if [ "$mode" = import ]; then
            check memcheck "$log" import --quiet "$file"
        else
            check memcheck "$log" list "$file" --after initialise
        fi
        status=$?
        if [ "$status" -ne 0 ]; then
            fail "$mode $base: exit $status"
            cat "$log"
        elif ! grep -q "ERROR SUMMARY: 0 errors" "$log"; then
            fail "$mode $base: memcheck reported errors"
            cat "$log"
        fi
    done
done

finish_checks
