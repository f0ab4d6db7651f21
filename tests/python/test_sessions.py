"""Live input, the listing, the statistics and the editing commands of a Session."""

import json
from fractions import Fraction

import pytest

import vlmidiin
from conftest import ROOT

TWINKLE = ROOT / "examples" / "twinkle.mid"


def test_live_input_is_transcribed_like_a_recording():
    live = vlmidiin.Live(96, 1)
    live.time(0, 3, 4)
    live.key(0, -1, minor=True)
    live.tempo(0, 500000)
    for i, key in enumerate((60, 64, 67)):
        live.append(0, (0x90, key, 100), delta=0 if i == 0 else 4)
        live.append(0, 0x0080 | key << 8, delta=92)
    live.end(0, 96)
    t = live.transcribe()
    assert [(n.onset, n.duration, n.key) for n in t.notes()] == [
        (Fraction(i), Fraction(1), k) for i, k in enumerate((60, 64, 67))]
    assert vlmidiin.TimeSignature(3, 4) in t.start_items
    assert vlmidiin.KeySignature(-1, True) in t.start_items
    with pytest.raises(ValueError):
        live.append(1, (0x90, 60, 100))  # the session has one track
    live.close()


def test_the_listing_is_that_of_vlmidi_list(vlmidi):
    for after in (False, True):
        lines = vlmidiin.listing(TWINKLE, after_initialise=after)
        shown = vlmidi("list", TWINKLE, *(["--after", "initialise"] if after else []))
        shown = shown.decode().splitlines()
        assert len(lines) == len(shown)
        for line, text in zip(lines, shown):
            expected = line.chunks[2] if line.is_header else line.chunks[0]
            assert text.startswith(expected)
    assert any("KQVLBAR" in c for line in lines for c in line.chunks)


def test_statistics_are_those_of_vlmidi_stats(vlmidi):
    stats = vlmidiin.statistics(TWINKLE)
    report = json.loads(vlmidi("stats", TWINKLE, "--json"))
    assert list(stats.record) == report["record"]
    assert stats.at_start == {"time signature", "key signature", "tempo"}
    assert stats.straight_fits["1/8"] == report["quantisation"][4]["fit"] / 10


def test_editing_commands_change_the_session_as_the_library_says():
    with vlmidiin.Session(TWINKLE) as session:
        strands = session.initialise()
        assert session.markers_present
        session.clear_markers()
        assert not session.markers_present
        session.insert_markers()
        assert session.markers_present
        assert session.reread() == 0
        assert session.transcription().strand_count == strands
    with pytest.raises(RuntimeError):
        session.initialise()  # closed
