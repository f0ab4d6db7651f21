#!/bin/bash
# The dynamic symbols the shared library defines, and the names of the ordinal table of Windows
# builds (each ordinal used once), are the functions the public header declares.
#
#     check_exports.sh LIBRARY HEADER DEF_FILE
set -u
header=$(sed -n 's/^VLMIDIIN_API[^(]*[ *]\([A-Za-z_][A-Za-z0-9_]*\)(.*/\1/p' "$2" | sort)
library=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TWDB]$/ { sub(/@.*/, "", $3); print $3 }' | sort)
# shellcheck disable=SC2034 # read through ${!list}
ordinals=$(awk '$2 ~ /^@[0-9]+$/ { print $1 }' "$3" | sort)
twice=$(awk '$2 ~ /^@[0-9]+$/ { print $2 }' "$3" | sort | uniq -d)
status=0
for list in library ordinals; do
    if [ "$header" != "${!list}" ]; then
        echo "the $list list differs from the header (< header, > $list):"
        diff <(echo "$header") <(echo "${!list}")
        status=1
    fi
done
[ -z "$twice" ] || { echo "ordinals used twice: $twice"; status=1; }
[ "$status" -ne 0 ] || echo "$(echo "$library" | wc -l) exports match the header and the ordinals"
exit "$status"
