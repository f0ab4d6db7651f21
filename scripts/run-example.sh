#!/usr/bin/env bash
# Builds the library and the vlmidi host, then transcribes a bundled example
# and prints its notation. Usage: scripts/run-example.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh

file=${1:-examples/twinkle.mid}
cmake -S . -B build/example -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLMIDIIN_TESTS=OFF >/dev/null
cmake --build build/example --target vlmidi -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
exec build/example/vlmidi import "$file"
