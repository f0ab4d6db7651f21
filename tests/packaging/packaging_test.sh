#!/bin/bash
# Installs the build into a temporary prefix and builds a small outside C program against it
# twice, through pkg-config and through the CMake package, then runs both on an example. Also
# checks the installed tree: the library with its SONAME and version links, the header, vlmidi
# (which must run from the prefix), vlmidiin.pc and the CMake package files. Without pkg-config
# that half is skipped; everything else always runs.
#
#     packaging_test.sh CMAKE BUILD_DIR C_COMPILER GENERATOR EXAMPLE SANITIZE
set -u
# shellcheck source=../tools/check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/check_helpers.sh"

need_args 6 "usage: $0 CMAKE BUILD_DIR C_COMPILER GENERATOR EXAMPLE SANITIZE" "$@"
cmake=$1
build=$2
cc=$3
generator=$4
example=$5
sanitize=$6
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix="$work/prefix"

# A sanitizer build's library needs its runtime loaded first: the consumer is built the same way.
flags=()
case "$sanitize" in
    ON | on | 1 | TRUE | true | YES | yes) flags=(-fsanitize=address,undefined) ;;
esac

# expect_output NAME: the consumer's output in $work/out says what twinkle.mid holds.
expect_consumer_output() {
    expect_status 0
    expect_line out "version 1"
    expect_line out "strands 1"
    expect_line out "first start item: Key signature: 0"
    checks=$((checks + 1))
    grep -qE '^items [1-9][0-9]*$' "$work/out" || fail "$name: no item count"
}

checks=$((checks + 1))
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { fail "install: $(tail -n 5 "$work/install.log")"; finish_checks; exit; }

# --- the installed tree -----------------------------------------------------------------------

for path in include/vlmidiin.h bin/vlmidi lib/pkgconfig/vlmidiin.pc \
    lib/cmake/vlmidiin/vlmidiinConfig.cmake lib/cmake/vlmidiin/vlmidiinConfigVersion.cmake \
    lib/cmake/vlmidiin/vlmidiinTargets.cmake; do
    checks=$((checks + 1))
    [ -f "$prefix/$path" ] || fail "installed tree lacks $path"
done
checks=$((checks + 1))
[ "$(readlink "$prefix/lib/libvlmidiin.so")" = "libvlmidiin.so.1" ] &&
    [ "$(readlink "$prefix/lib/libvlmidiin.so.1")" = "libvlmidiin.so.1.0.0" ] ||
    fail "library links: $(ls -l "$prefix/lib" | tr '\n' ' ')"
if command -v readelf >/dev/null 2>&1; then
    checks=$((checks + 1))
    readelf -d "$prefix/lib/libvlmidiin.so.1.0.0" | grep -q 'SONAME.*\[libvlmidiin\.so\.1\]' ||
        fail "libvlmidiin.so.1.0.0 has no SONAME libvlmidiin.so.1"
fi

# The installed host finds the installed library by itself.
program="$prefix/bin/vlmidi"
run "installed vlmidi" import -q --format musicxml "$example"
expect_status 0
expect_in out "<score-partwise"

# --- through pkg-config -----------------------------------------------------------------------

if command -v pkg-config >/dev/null 2>&1; then
    export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
    checks=$((checks + 1))
    [ "$(pkg-config --modversion vlmidiin)" = "1.0.0" ] || fail "pkg-config --modversion"
    cp "$here/consumer/consumer.c.in" "$work/consumer.c"
    checks=$((checks + 1))
    # shellcheck disable=SC2046 # pkg-config's words are meant to split
    "$cc" -std=c99 -Wall -Wextra -Werror "${flags[@]}" -o "$work/consumer-pc" "$work/consumer.c" \
        $(pkg-config --cflags --libs vlmidiin) >"$work/cc.log" 2>&1 ||
        fail "pkg-config build: $(head -c 500 "$work/cc.log")"
    program="$work/consumer-pc"
    LD_LIBRARY_PATH="$(pkg-config --variable=libdir vlmidiin)" run "pkg-config consumer" "$example"
    expect_consumer_output
else
    echo "note: pkg-config not found, the pkg-config build is skipped (Debian package pkgconf)"
fi

# --- through the CMake package ----------------------------------------------------------------

checks=$((checks + 1))
if "$cmake" -S "$here/consumer" -B "$work/consumer-build" -G "$generator" \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="${flags[*]}" -DCMAKE_EXE_LINKER_FLAGS="${flags[*]}" \
    >"$work/cmake.log" 2>&1 &&
    "$cmake" --build "$work/consumer-build" >>"$work/cmake.log" 2>&1; then
    # CMake links the imported target with the prefix's library path built in.
    program="$work/consumer-build/consumer"
    run "CMake consumer" "$example"
    expect_consumer_output
else
    fail "CMake build: $(tail -n 15 "$work/cmake.log")"
fi

finish_checks
