"""Checks that each FILE is a well-formed Standard MIDI File, or a RIFF MIDI file whose data
chunk is one: chunk lengths that add up to the size, the announced number of tracks, every
track closed by an end-of-track event. Prints one line per fault.

    python3 check_smf.py FILE...
"""
import sys


def number(data, start, length, order="big"):
    return int.from_bytes(data[start:start + length], order)


def smf_faults(data):
    if data[:4] != b"MThd" or number(data, 4, 4) != 6:
        return ["no MThd chunk of length 6"]
    faults, position, found = [], 14, 0
    while position < len(data):
        if data[position:position + 4] != b"MTrk":
            return faults + [f"no MTrk at {position}"]
        position += 8 + number(data, position + 4, 4)
        if position > len(data) or data[position - 3:position] != b"\xff\x2f\x00":
            faults.append(f"track {found} runs past the end or does not end with FF 2F 00")
        found += 1
    if found != number(data, 10, 2):
        faults.append(f"the header announces {number(data, 10, 2)} tracks, found {found}")
    return faults


def riff_faults(data):
    if data[8:16] != b"RMIDdata" or number(data, 4, 4, "little") + 8 != len(data):
        return ["no RMID form of the file's size with the data chunk first"]
    return smf_faults(data[20:20 + number(data, 16, 4, "little")])


for name in sys.argv[1:]:
    with open(name, "rb") as f:
        data = f.read()
    for fault in (riff_faults if data[:4] == b"RIFF" else smf_faults)(data):
        print(f"{name}: {fault}")
