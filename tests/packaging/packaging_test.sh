#!/bin/bash
# Installs the build into a temporary prefix and checks the installed tree (the library with its
# SONAME and version links, the header, vlmidi running from the prefix, vlmidiin.pc and the
# CMake package files), then builds a small outside C program against it through pkg-config
# (skipped without pkg-config) and through the CMake package, and runs both on an example.
#
#     packaging_test.sh CMAKE BUILD_DIR C_COMPILER GENERATOR EXAMPLE [SANITIZER_FLAGS]
set -u
# shellcheck source=../tools/check_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/check_helpers.sh"
[ $# -ge 5 ] || { echo "usage: $0 CMAKE BUILD_DIR CC GENERATOR EXAMPLE [FLAGS]"; exit 2; }
cmake=$1 build=$2 cc=$3 generator=$4 example=$5 flags=${6-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$work/prefix

# consumer NAME PROGRAM: PROGRAM runs and prints what the example holds.
consumer() {
    local expected=$'version 1\nstrands 1\nfirst start item: Key signature: 0\nitems N'
    check "$2" "$example" >"$work/out" 2>&1 &&
        [ "$(sed 's/^items [1-9][0-9]*$/items N/' "$work/out")" = "$expected" ] ||
        fail "$1 consumer: $(cat "$work/out")"
}

check "$cmake" --install "$build" --prefix "$prefix" >"$work/log" 2>&1 ||
    fail "install: $(tail -n 5 "$work/log")"
for path in include/vlmidiin.h bin/vlmidi lib/pkgconfig/vlmidiin.pc \
    lib/cmake/vlmidiin/vlmidiin{Config,ConfigVersion,Targets}.cmake; do
    check [ -f "$prefix/$path" ] || fail "the installed tree lacks $path"
done
check [ "$(readlink "$prefix/lib/libvlmidiin.so")" = libvlmidiin.so.1 ] &&
    [ "$(readlink "$prefix/lib/libvlmidiin.so.1")" = libvlmidiin.so.1.0.0 ] ||
    fail "library links: $(ls -l "$prefix/lib" | tr '\n' ' ')"
readelf -d "$prefix/lib/libvlmidiin.so.1.0.0" | check grep -q 'SONAME.*\[libvlmidiin\.so\.1\]' ||
    fail "libvlmidiin.so.1.0.0 has no SONAME libvlmidiin.so.1"
# The installed host finds the installed library by itself.
"$prefix/bin/vlmidi" import -q --format musicxml "$example" </dev/null |
    check grep -q "<score-partwise" || fail "the installed vlmidi wrote no score"

if command -v pkg-config >/dev/null; then
    export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
    check [ "$(pkg-config --modversion vlmidiin)" = 1.0.0 ] || fail "pkg-config --modversion"
    cp "$here/consumer/consumer.c.in" "$work/consumer.c"
    # shellcheck disable=SC2046,SC2086 # the words of pkg-config and of the flags are meant to split
    check "$cc" -std=c99 -Wall -Wextra -Werror $flags -o "$work/consumer-pc" "$work/consumer.c" \
        $(pkg-config --cflags --libs vlmidiin) >"$work/log" 2>&1 ||
        fail "pkg-config build: $(head -c 500 "$work/log")"
    LD_LIBRARY_PATH=$(pkg-config --variable=libdir vlmidiin) consumer pkg-config "$work/consumer-pc"
else
    echo "note: pkg-config not found, the pkg-config build is skipped (Debian package pkgconf)"
fi

# CMake links the imported target with the prefix's library path built in.
check "$cmake" -S "$here/consumer" -B "$work/build" -G "$generator" -DCMAKE_C_COMPILER="$cc" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    >"$work/log" 2>&1 && "$cmake" --build "$work/build" >>"$work/log" 2>&1 ||
    fail "CMake build: $(tail -n 15 "$work/log")"
consumer CMake "$work/build/consumer"
finish_checks
