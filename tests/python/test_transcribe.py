"""transcribe() on files and bytes, its settings for one call, and its output beside vlmidi's."""

import json
import os
from fractions import Fraction
from pathlib import Path

import pytest

import vlmidiin
from conftest import EXAMPLES, ROOT

TWINKLE = "examples/twinkle.mid"
TRIPLETS = "examples/swing_triplets.mid"
# Files whose score vlmidi revises against their notes: a quintuplet, lengths held and halved.
REVISED = [ROOT / "tests/data/cli/quintuplets.mid", ROOT / "tests/data/cli/held_short.mid"]


def items_of(t):
    return (t.start_items, t.guide, t.strands)


def test_a_file_by_path_and_by_bytes_gives_the_same_notation():
    by_path = vlmidiin.transcribe(ROOT / TWINKLE)
    by_bytes = vlmidiin.transcribe((ROOT / TWINKLE).read_bytes())
    assert items_of(by_path) == items_of(by_bytes)
    strand = by_path.strands[0]
    assert (strand.track, strand.channel, strand.program, strand.clef) == (1, 0, 73, "treble")
    first_bar = [(n.onset, n.duration, n.key) for n in by_path.notes()[:4]]
    assert first_bar == [(Fraction(i), Fraction(1), k) for i, k in enumerate((60, 60, 67, 67))]
    assert vlmidiin.Text("title", "Twinkle, Twinkle, Little Star") in by_path.start_items


@pytest.mark.parametrize("example", EXAMPLES + REVISED, ids=lambda p: p.name)
def test_json_and_musicxml_are_those_of_vlmidi_import(example, vlmidi):
    t = vlmidiin.transcribe(str(example))
    assert t.to_json().encode() == vlmidi("import", example, "--format", "json")
    assert t.to_musicxml().encode() == vlmidi("import", example, "--format", "musicxml")


@pytest.mark.parametrize("example", REVISED, ids=lambda p: p.name)
def test_bytes_give_the_score_a_file_gives(example, vlmidi):
    by_bytes = vlmidiin.transcribe(example.read_bytes())
    assert by_bytes.to_musicxml().encode() == vlmidi("import", example, "--format", "musicxml")


@pytest.mark.parametrize("example", EXAMPLES, ids=lambda p: p.name)
def test_notes_are_the_note_items_of_vlmidi_json(example, vlmidi):
    report = json.loads(vlmidi("import", example, "--format", "json"))
    expected = sorted((s["index"], i["arg1"], bool(i["arg3"] & 0x40))
                      for s in report["strands"] for i in s["items"] if i["type"] in (1, 2))
    notes = vlmidiin.transcribe(example).notes()
    assert sorted((n.strand, n.key, n.tie_from) for n in notes) == expected
    # Every tie joins two pieces of one key that meet.
    ends = {(n.strand, n.key, n.onset + n.duration) for n in notes if n.tie_to}
    assert ends == {(n.strand, n.key, n.onset) for n in notes if n.tie_from}


def test_chord_members_share_an_onset_and_whole_bar_rests_fill_a_bar():
    notes = vlmidiin.transcribe(ROOT / "examples" / "two_hands.mid").notes()
    at = {}
    for n in notes:
        at.setdefault((n.strand, n.onset), set()).add(n.key)
    assert [at[0, Fraction(i)] for i in range(3)] == [{43, 74}, {55, 59, 62, 71}, {55, 59, 62, 67}]
    melody = [(n.onset, n.duration, n.key) for n in notes if n.strand == 1]
    assert melody[:2] == [(3, 2, 69), (9, 3, 71)]  # after whole-bar rests of 3/4


def tuplet_notes(t):
    return sum(1 for s in t.strands for i in s.items if isinstance(i, vlmidiin.Note) and i.tuplet)


def test_settings_hold_for_one_call_and_match_the_stored_ones(tmp_path, vlmidi):
    stored = vlmidiin.transcribe(ROOT / TRIPLETS)
    assert tuplet_notes(stored) > 0
    overridden = vlmidiin.transcribe(ROOT / TRIPLETS, triplets=False, swing=False, beat=5)
    assert tuplet_notes(overridden) == 0
    assert items_of(vlmidiin.transcribe(ROOT / TRIPLETS)) == items_of(stored)
    # The same as vlmidi with those settings in its settings file.
    folder = tmp_path / "Tolvek Software"
    folder.mkdir()
    (folder / "vlmidiin.ini").write_text(
        "[rhythm resolution]\nswing=0\ntriplets=0\nquantisation beat=5\n")
    env = dict(os.environ, XDG_CONFIG_HOME=str(tmp_path))
    assert overridden.to_json().encode() == vlmidi("import", ROOT / TRIPLETS, "--format", "json",
                                                   env=env)
    # Nothing was written to the settings file.
    assert not (Path(os.environ["XDG_CONFIG_HOME"]) / "Tolvek Software").exists()


@pytest.mark.parametrize("beat", [2, 8, "5"])
def test_a_beat_outside_3_to_7_is_refused(beat):
    with pytest.raises(ValueError):
        vlmidiin.transcribe(ROOT / TWINKLE, beat=beat)
