#!/usr/bin/env bash
# Makes sure the build tools are present. Installs the missing Debian
# packages when run as root; otherwise says exactly what to install.
# Usage: scripts/ensure-deps.sh [--tests]
set -euo pipefail

need_tests=0
[ "${1:-}" = "--tests" ] && need_tests=1

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
if [ "$need_tests" = 1 ]; then
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  command -v nm >/dev/null 2>&1 || missing+=(binutils)
  # The MusicXML and packaging tests; MuseScore (musescore3), for the rendering test, is large
  # and optional: that test is skipped without it.
  command -v xmllint >/dev/null 2>&1 || missing+=(libxml2-utils)
  command -v jq >/dev/null 2>&1 || missing+=(jq)  # the manifests of the convert cases
  command -v pkg-config >/dev/null 2>&1 || missing+=(pkgconf)
  # The memory check of vlmidi over the examples.
  command -v valgrind >/dev/null 2>&1 || missing+=(valgrind)
  # The Python package: built with pybind11 in a virtual environment, tested with pytest.
  [ -f /usr/include/pybind11/pybind11.h ] || missing+=(pybind11-dev)
  /usr/bin/python3 -c 'import pybind11' >/dev/null 2>&1 || missing+=(python3-pybind11)
  /usr/bin/python3 -c 'import pytest' >/dev/null 2>&1 || missing+=(python3-pytest)
  /usr/bin/python3 -c 'import setuptools' >/dev/null 2>&1 || missing+=(python3-setuptools)
  /usr/bin/python3 -c 'import wheel' >/dev/null 2>&1 || missing+=(python3-wheel)
  /usr/bin/python3 -c 'import os, sysconfig as s
assert os.path.exists(os.path.join(s.get_paths()["include"], "Python.h"))' >/dev/null 2>&1 ||
    missing+=(python3-dev)
  /usr/bin/python3 -c 'import ensurepip, venv' >/dev/null 2>&1 || missing+=(python3-venv)
fi

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "Installing: ${missing[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "Missing build dependencies. Install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
