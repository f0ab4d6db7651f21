#!/usr/bin/env python3
"""Times vlmidiin.transcribe() from Python against `vlmidi import` on the same MIDI file, and
against music21's own MIDI import (music21.converter.parse) where music21 is installed.

    python3 bench/python_bench.py VLMIDI FILE.mid [--runs N]

Every run is a fresh process, so its peak resident set is that of one file; the table shows
the median wall time and the median peak of the runs. The rows:

- vlmidi import -q --format json: the reference host, the transcription and its JSON;
- transcribe(): the same transcription through the Python module, every item built as a
  Python object;
- transcribe().to_json(): the same plus the host's JSON, as the first row writes it;
- music21.converter.parse: music21's MIDI import (skipped, with the reason, without music21).
"""

import argparse
import json
import os
import resource
import statistics
import subprocess
import sys
import time

CHILD = r"""
import json, resource, sys, time
what, path = sys.argv[1], sys.argv[2]
start = time.perf_counter()
if what == "music21":
    import music21
    music21.converter.parse(path)
else:
    import vlmidiin
    t = vlmidiin.transcribe(path)
    if what == "json":
        t.to_json()
elapsed = time.perf_counter() - start
print(json.dumps([elapsed, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss]))
"""


def run_python(what, path):
    out = subprocess.run([sys.executable, "-c", CHILD, what, path], check=True,
                         stdout=subprocess.PIPE).stdout
    return json.loads(out)


def run_vlmidi(vlmidi, path):
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        with open(os.devnull, "wb") as sink:
            os.dup2(sink.fileno(), 1)
        os.execv(vlmidi, [vlmidi, "import", "-q", "--format", "json", path])
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"vlmidi failed on {path}")
    return [elapsed, usage.ru_maxrss]


def music21_missing():
    try:
        import music21  # noqa: F401
    except ImportError:
        return ("music21 is not installed (Debian has no python3-music21 package and this "
                "machine reaches no Python registry): row skipped")
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("vlmidi")
    parser.add_argument("file")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    rows = [("vlmidi import -q --format json", lambda: run_vlmidi(args.vlmidi, args.file)),
            ("transcribe()", lambda: run_python("items", args.file)),
            ("transcribe().to_json()", lambda: run_python("json", args.file))]
    missing = music21_missing()
    if missing is None:
        rows.append(("music21.converter.parse", lambda: run_python("music21", args.file)))
    print(f"{args.file}: median of {args.runs} runs, each a fresh process")
    print(f"{'':32} {'seconds':>9} {'x vlmidi':>9} {'peak MiB':>9}")
    base = None
    for name, measure in rows:
        runs = [measure() for _ in range(args.runs)]
        seconds = statistics.median(r[0] for r in runs)
        peak = statistics.median(r[1] for r in runs) / 1024
        base = base or seconds
        print(f"{name:32} {seconds:9.3f} {seconds / base:9.2f} {peak:9.1f}")
    if missing:
        print(missing)


if __name__ == "__main__":
    main()
