"""Shared set-up of the Python tests: a settings store of their own (read when the library is
first used, so before anything imports vlmidiin's module), the repository's files and the
reference host `vlmidi` (VLMIDI, else build/release/vlmidi) to compare with."""

import os
import subprocess
import tempfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
EXAMPLES = sorted((ROOT / "examples").glob("*.[mr][im]*"))
BAD_FILES = sorted(p for p in (ROOT / "tests" / "data" / "bad").iterdir() if p.suffix != ".py")

_config_home = tempfile.mkdtemp(prefix="vlmidiin-pytest-config-")
os.environ["XDG_CONFIG_HOME"] = _config_home


@pytest.fixture(scope="session")
def vlmidi():
    """Runs vlmidi with arguments and answers its stdout as bytes."""
    program = Path(os.environ.get("VLMIDI", ROOT / "build" / "release" / "vlmidi"))
    if not program.exists():
        pytest.skip(f"no vlmidi at {program}: build it or set VLMIDI")

    def run(*args, env=None):
        return subprocess.run([str(program), *map(str, args)], check=True, cwd=ROOT,
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                              env=env).stdout
    return run
