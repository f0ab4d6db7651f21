#!/usr/bin/env bash
# Builds the library, the host, the benchmarks and the tests twice -- a normal build and an
# AddressSanitizer + UndefinedBehaviorSanitizer build -- and runs every test
# in both; then installs the Python package, from the normal build, into a virtual environment
# of its own and runs the Python tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh --tests

jobs=$(nproc 2>/dev/null || echo 2)
run() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== normal build =="
run build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLMIDIIN_BENCH=ON \
  -DVLMIDIIN_PYTHON=ON -DPython_EXECUTABLE=/usr/bin/python3
echo "== Python package (from the normal build) =="
rm -rf build/python-venv
/usr/bin/python3 -m venv --system-site-packages build/python-venv
VLMIDIIN_CMAKE_BUILD_DIR=build/release CMAKE_BUILD_PARALLEL_LEVEL=$jobs \
  build/python-venv/bin/pip install --quiet --no-build-isolation .
VLMIDI=build/release/vlmidi PYTHONDONTWRITEBYTECODE=1 \
  build/python-venv/bin/python -m pytest -q -p no:cacheprovider tests/python
echo "== sanitizer build (ASan + UBSan) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run build/asan -DCMAKE_BUILD_TYPE=Debug -DVLMIDIIN_SANITIZE=ON -DVLMIDIIN_BENCH=ON
echo "All tests passed (normal and sanitizer builds, Python package)."
