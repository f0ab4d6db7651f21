#!/bin/bash
# Compares the dynamic symbols the shared library defines, and the names of
# the ordinal table for Windows builds, with the functions the public header
# declares.
set -eu
lib=$1
header=$2
def=$3
expected=$(sed -n 's/^VLMIDIIN_API[^(]*[ *]\([A-Za-z_][A-Za-z0-9_]*\)(.*/\1/p' "$header" | sort)
actual=$(nm -D --defined-only "$lib" | awk '$2 == "T" || $2 == "W" || $2 == "D" || $2 == "B" { print $3 }' \
         | sed 's/@.*//' | sort)
if [ "$expected" != "$actual" ]; then
  echo "exports differ from the header (< header, > library):"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
ordinals=$(awk '$2 ~ /^@[0-9]+$/ { print $1 }' "$def" | sort)
if [ "$expected" != "$ordinals" ]; then
  echo "the ordinal table differs from the header (< header, > table):"
  diff <(echo "$expected") <(echo "$ordinals") || true
  exit 1
fi
duplicates=$(awk '$2 ~ /^@[0-9]+$/ { print $2 }' "$def" | sort | uniq -d)
if [ -n "$duplicates" ]; then
  echo "ordinals used twice: $duplicates"
  exit 1
fi
echo "$(echo "$actual" | wc -l) exports match the header and the ordinal table"
