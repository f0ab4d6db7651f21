#!/bin/bash
# Runs the command cases of one group, tests/data/cases/cli_GROUP.txt, and compares the
# transcript of each with its golden file, tests/data/golden/cli/GROUP/NAME.txt;
# VLMIDIIN_UPDATE_GOLDEN=1 writes the golden files instead (review them before committing).
# A case is "[NAME]", "run: COMMANDS" (bash, continued on lines that start with a space) and
# "needs: PROGRAMS" when it is skipped without one of them. The commands run in the scratch
# folder $W, with their own settings store, the helpers of check_helpers.sh and the variables
# given as arguments; $DATA is tests/data/cli. The paths of $W, $EX and $DATA are written so in
# the transcript. Exit status 77 when every case was skipped.
#
#     run_cases.sh GROUP [NAME=VALUE...]     (VLMIDI=..., EX=... as the group's cases need)
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=check_helpers.sh
source "$here/check_helpers.sh"
group=$1
shift
data=${here%/tools}/data
# shellcheck disable=SC2163 # the arguments are NAME=VALUE
export TOOLS=$here DATA=$data/cli W=$work/w XDG_CONFIG_HOME=$work/w/config "$@"
mkdir "$W"
golden=$data/golden/cli/$group
paths=()
for var in W EX DATA; do [ -n "${!var-}" ] && paths+=(-e "s#${!var}#\$$var#g"); done

declare -A value
names=()
while IFS= read -r line; do
    case $line in
    '' | '#'*) ;;
    '['*']') names+=("${line:1:-1}") ;;
    [[:space:]]*) value[${names[-1]}.$key]+=$'\n'"${line#"${line%%[![:space:]]*}"}" ;;
    *) key=${line%%:*} && value[${names[-1]}.$key]=${line#*: } ;;
    esac
done <"$data/cases/cli_$group.txt"
[ "${#names[@]}" -gt 0 ] || { echo "no cases in $data/cases/cli_$group.txt"; exit 1; }

ran=0
for name in "${names[@]}"; do
    missing=""
    for need in ${value[$name.needs]-}; do command -v "$need" >/dev/null || missing+=" $need"; done
    if [ -n "$missing" ]; then
        echo "skipped [$name]: no$missing"
        continue
    fi
    ran=$((ran + 1))
    (cd "$W" && eval "${value[$name.run]}") </dev/null 2>&1 |
        LC_ALL=C sed "${paths[@]}" >"$work/got"
    if [ -n "${VLMIDIIN_UPDATE_GOLDEN-}" ] && [ "$VLMIDIIN_UPDATE_GOLDEN" != 0 ]; then
        mkdir -p "$golden" && cp "$work/got" "$golden/$name.txt"
    elif ! check diff -u "$golden/$name.txt" "$work/got" >"$work/diff" 2>&1; then
        fail "[$name] differs from its golden file:"
        head -c 4000 "$work/diff"
    fi
done
[ "$ran" -gt 0 ] || exit 77
finish_checks
