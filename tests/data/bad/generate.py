#!/usr/bin/env python3
"""Writes the malformed MIDI files of this folder, each named for its fault.

Run from anywhere: python3 tests/data/bad/generate.py. The files are tiny and
committed; this script documents how each one was made.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def header(fmt=1, tracks=1, division=96, length=6, kind=b"MThd"):
    return kind + struct.pack(">IHHH", length, fmt, tracks, division)


def chunk(body, kind=b"MTrk", stated=None):
    return kind + struct.pack(">I", len(body) if stated is None else stated) + body


EOT = b"\x00\xff\x2f\x00"
NOTE = b"\x00\x90\x3c\x64\x60\x80\x3c\x00"
TIME_4_4 = b"\x00\xff\x58\x04\x04\x02\x18\x08"


def smf(body, **kw):
    return header(**kw) + chunk(body)


def riff(form, chunks):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def riff_chunk(kind, body, stated=None):
    pad = b"\x00" if len(body) % 2 else b""
    return kind + struct.pack("<I", len(body) if stated is None else stated) + body + pad


GOOD = smf(TIME_4_4 + NOTE + EOT)

FILES = {
    "empty.mid": b"",
    "three_bytes.mid": b"MTh",
    "truncated_header.mid": GOOD[:11],
    "header_only_no_tracks_present.mid": header(tracks=1),
    "wrong_signature.mid": b"mThd" + GOOD[4:],
    "track_count_too_high.mid": smf(NOTE + EOT, tracks=3),
    "track_count_65535.mid": smf(NOTE + EOT, tracks=65535),
    "truncated_track_header.mid": header() + b"MTr",
    "chunk_length_past_end.mid": smf(NOTE + EOT)[:-4][:14] + chunk(NOTE + EOT, stated=0x7FFFFFFF),
    "chunk_length_ffffffff.mid": header() + chunk(NOTE + EOT, stated=0xFFFFFFFF),
    "chunk_length_zero.mid": header() + chunk(NOTE + EOT, stated=0),
    "vlq_five_bytes.mid": smf(b"\x80\x80\x80\x80\x00\x90\x3c\x64" + EOT),
    "vlq_cut_at_end.mid": smf(NOTE + b"\x81\x82"),
    "meta_length_past_end.mid": smf(NOTE + b"\x00\xff\x01" + vlq(0x0FFFFFFF) + b"abc"),
    "meta_type_missing_at_end.mid": smf(NOTE + b"\x00\xff"),
    "sysex_length_past_end.mid": smf(NOTE + b"\x00\xf0" + vlq(0x0FFFFFFF) + b"\x7e\xf7"),
    "data_byte_at_track_start.mid": smf(b"\x00\x3c\x64" + NOTE + EOT),
    "note_data_cut_at_end.mid": smf(NOTE + b"\x00\x90\x3c"),
    "division_zero.mid": smf(TIME_4_4 + NOTE + EOT, division=0),
    "division_smpte.mid": smf(TIME_4_4 + NOTE + EOT, division=0xE728),
    "time_signature_numerator_zero.mid": smf(b"\x00\xff\x58\x04\x00\x02\x18\x08" + NOTE + EOT),
    "time_signature_denominator_power_7.mid":
        smf(b"\x00\xff\x58\x04\x04\x07\x18\x08" + NOTE + EOT),
    "time_signature_denominator_power_255.mid":
        smf(b"\x00\xff\x58\x04\x04\xff\x18\x08" + NOTE + EOT),
    "time_signature_payload_short.mid": smf(b"\x00\xff\x58\x01\x04" + NOTE + EOT),
    "delta_2_28_at_division_1.mid": smf(TIME_4_4 + b"\x00\x90\x3c\x64" + vlq(0x0FFFFFFF)
                                        + b"\x80\x3c\x00" + EOT, division=1),
    "note_on_never_off.mid": smf(TIME_4_4 + b"\x00\x90\x3c\x64" + vlq(0x0FFFFFFF) + EOT),
    "marker_payloads_garbage.mid": smf(b"\x00\xff\x7f\x07KQVLEVT" + b"\x00\xff\x7f\x0bKQVLMTA 58 0"
                                       + b"\x00\xff\x7f\x0fKQVLEVT 9f 1ff" + NOTE + EOT),
    "riff_without_rmid.rmi": riff(b"WAVE", [riff_chunk(b"data", GOOD)]),
    "riff_without_data.rmi": riff(b"RMID", [riff_chunk(b"LIST", b"INFOjunk")]),
    "riff_data_size_past_end.rmi": riff(b"RMID", [riff_chunk(b"data", GOOD, stated=0x7FFFFFF0)]),
    "riff_truncated.rmi": riff(b"RMID", [riff_chunk(b"data", GOOD)])[:10],
}


def main():
    for name, data in FILES.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
