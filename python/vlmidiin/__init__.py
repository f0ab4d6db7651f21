"""MIDI into music notation: the vlmidiin library from Python.

``transcribe(source)`` reads a Standard MIDI File (a path or its bytes) and returns a
:class:`Transcription`: the start items, the guide strand and every strand as small immutable
items (notes with their written values, rests, bar lines, signatures, tempo, texts).
``to_musicxml()`` and ``to_json()`` give exactly what ``vlmidi import --format musicxml|json``
writes. :class:`Session` runs the steps one by one (transcription, editing commands, listing,
statistics); :class:`Live` builds a session from events as a recording program would.

The library keeps one settings record and one progress channel per process, so calls are
serialised by a lock; run several processes for parallel work (see the README).
"""

from __future__ import annotations

import codecs
import os
import tempfile
import threading
from dataclasses import dataclass
from fractions import Fraction
from typing import Any, Callable, Optional, Sequence, Union

from . import _core

__all__ = [
    "BarLine", "Cancelled", "Clef", "Error", "Item", "KeySignature", "ListingLine", "Live",
    "MidiReadError", "Note", "NoteEvent", "ProgramChange", "Rest", "Session", "Statistics",
    "Strand", "SwingStyle", "Tempo", "Text", "TimeSignature", "Transcription", "Unknown",
    "listing", "statistics", "transcribe",
]

Source = Union[str, "os.PathLike[str]", bytes, bytearray, memoryview]
Progress = Callable[[str, int], object]
"""progress(text, percent): a true answer cancels the work, which then raises Cancelled."""


class Error(Exception):
    """Base of the errors this package raises."""


class MidiReadError(Error):
    """The library could not read the MIDI data; ``error_word`` holds its error bits."""

    def __init__(self, source: str, error_word: int) -> None:
        super().__init__(f"cannot read MIDI data from {source} (error word 0x{error_word:x})")
        self.source = source
        self.error_word = error_word


class Cancelled(Error):
    """The progress callback asked to stop."""


# Texts from MIDI files may hold any bytes: valid UTF-8 is read as such, any other byte as the
# character of the same number (as the JSON and MusicXML writers do).
def _byte_as_character(error: UnicodeError) -> tuple[str, int]:
    if not isinstance(error, UnicodeDecodeError):
        raise error
    return chr(error.object[error.start]), error.start + 1


codecs.register_error("vlmidiin-bytes", _byte_as_character)


def _text(data: bytes) -> str:
    return data.decode("utf-8", "vlmidiin-bytes")


# One call into the library at a time, and none from inside a progress callback.
_lock = threading.Lock()
_holder: Optional[int] = None


class _Serialised:
    def __enter__(self) -> None:
        global _holder
        if _holder == threading.get_ident():
            raise RuntimeError("vlmidiin cannot be called from inside its progress callback")
        _lock.acquire()
        _holder = threading.get_ident()

    def __exit__(self, *exc: object) -> None:
        global _holder
        _holder = None
        _lock.release()


_serialised = _Serialised()


# ----------------------------------------------------------------------------------- items

_VALUE_NONE = 0x80
_WHOLE_BAR_REST = 0x21
_TIED = 0x40
_TRIPLET = 0x10
_QUINTUPLET = 0x20
_CLUSTER = 2
_TEXT_KINDS = {
    4096: "text", 4097: "notice", 4098: "track name", 4099: "instrument", 4100: "lyric",
    4101: "marker", 4102: "cue", 4103: "title",
}


def _value_length(value: Optional[int], dots: int, tuplet: int) -> Fraction:
    """The length in quarter notes of note value `value` (0 breve ... 7 hemidemisemiquaver);
    0 for no value."""
    if value is None:
        return Fraction(0)
    length = Fraction(8, 2**value)
    if dots:
        length *= Fraction(7, 4) if dots >= 2 else Fraction(3, 2)
    if tuplet == 3:
        length *= Fraction(2, 3)
    elif tuplet == 5:
        length *= Fraction(4, 5)
    return length


@dataclass(frozen=True, slots=True)
class Note:
    """A note piece: ``value`` 0 (breve) to 7 (hemidemisemiquaver), None when the library gave
    no value; ``tied`` continues the piece before it; ``tuplet`` 3, 5 or 0; ``chord`` adds the
    key to the chord of the note before it."""

    key: int
    value: Optional[int]
    dots: int
    tied: bool
    tuplet: int
    chord: bool

    @property
    def duration(self) -> Fraction:
        """Written length in quarter notes (0 without a value)."""
        return _value_length(self.value, self.dots, self.tuplet)


@dataclass(frozen=True, slots=True)
class Rest:
    """A rest; ``whole_bar`` fills its bar whatever the time signature (``value`` is None)."""

    value: Optional[int]
    dots: int
    tuplet: int
    whole_bar: bool

    @property
    def duration(self) -> Fraction:
        """Written length in quarter notes (0 for a whole-bar rest or one without value)."""
        return _value_length(self.value, self.dots, self.tuplet)


@dataclass(frozen=True, slots=True)
class BarLine:
    """A bar line."""


@dataclass(frozen=True, slots=True)
class TimeSignature:
    numerator: int
    denominator: int

    @property
    def bar_length(self) -> Fraction:
        """The bar's length in quarter notes."""
        return Fraction(4 * self.numerator, self.denominator)


@dataclass(frozen=True, slots=True)
class KeySignature:
    """``sharps``: sharps, or flats when negative."""

    sharps: int
    minor: bool


@dataclass(frozen=True, slots=True)
class Tempo:
    """``beats_per_minute`` of the beat value ``value`` (3: crotchet)."""

    beats_per_minute: int
    value: int


@dataclass(frozen=True, slots=True)
class Clef:
    clef: str  # "treble" or "bass"


@dataclass(frozen=True, slots=True)
class ProgramChange:
    channel: int  # 0 to 15
    program: int  # 0 to 127


@dataclass(frozen=True, slots=True)
class SwingStyle:
    swing: int  # 0: straight


@dataclass(frozen=True, slots=True)
class Text:
    """A text item; ``kind`` is "title", "notice", "track name", "instrument", "text", ..."""

    kind: str
    text: str


@dataclass(frozen=True, slots=True)
class Unknown:
    type: int
    action: int
    arg1: int
    arg2: int
    arg3: int


Item = Union[Note, Rest, BarLine, TimeSignature, KeySignature, Tempo, Clef, ProgramChange,
             SwingStyle, Text, Unknown]


def _value_fields(code: int) -> tuple[Optional[int], int]:
    if code & _VALUE_NONE:
        return None, 0
    dot_bits = code & 0x18
    return code & 0x07, 2 if dot_bits == 0x18 else 1 if dot_bits else 0


def _tuplet(flags: int) -> int:
    return 3 if flags & _TRIPLET else 5 if flags & _QUINTUPLET else 0


def _item(raw: _core.RawItem) -> Item:
    kind, action, arg1, arg2, arg3, _description, text = raw
    if kind in (1, 2):
        value, dots = _value_fields(arg2)
        return Note(arg1, value, dots, bool(arg3 & _TIED), _tuplet(arg3), action == _CLUSTER)
    if kind == 3:
        if arg2 == _WHOLE_BAR_REST:
            return Rest(None, 0, 0, True)
        value, dots = _value_fields(arg2)
        return Rest(value, dots, _tuplet(arg3), False)
    if kind == 4:
        return BarLine()
    if kind == 5:
        return TimeSignature(arg1, 2 ** (arg2 & 31))
    if kind == 6:
        return KeySignature(arg1 - 256 if arg1 > 127 else arg1, bool(arg2))
    if kind == 7:
        return Tempo(arg2 | arg3 << 8, arg1)
    if kind == 8:
        return Clef("bass" if arg1 == 2 else "treble")
    if kind == 9:
        return ProgramChange(arg1, arg2)
    if kind == 10:
        return SwingStyle(arg1)
    if kind in _TEXT_KINDS:
        return Text(_TEXT_KINDS[kind], _text(text) if text is not None else "")
    return Unknown(kind, action, arg1, arg2, arg3)


@dataclass(frozen=True, slots=True)
class Strand:
    """One line of notation: its track (from 0), MIDI channel (0 to 15) and program (None when
    the library names none), clef and items."""

    index: int
    track: Optional[int]
    channel: Optional[int]
    program: Optional[int]
    clef: str
    items: tuple[Item, ...]


@dataclass(frozen=True, slots=True)
class NoteEvent:
    """A written note piece for analysis: onset and duration in quarter notes from the start,
    ``tie_from`` when it continues the piece before, ``tie_to`` when the next one continues it."""

    onset: Fraction
    duration: Fraction
    key: int
    strand: int
    tie_from: bool
    tie_to: bool


def _strand(index: int,
            raw: tuple[Optional[int], Optional[_core.RawItem], list[_core.RawItem]]) -> Strand:
    track, voicing, raw_items = raw
    items = tuple(_item(r) for r in raw_items)
    channel = program = None
    if voicing is not None:
        channel = voicing[2]
        program = voicing[3] if voicing[3] < 128 else None
    clef = next((i.clef for i in items if isinstance(i, Clef)), "treble")
    return Strand(index, track, channel, program, clef, items)


# notes() counts in 1/960 crotchet, which holds every value from a breve to a double-dotted
# hemidemisemiquaver, plain, triplet or quintuplet, as a whole number.
_UNITS = 960
_units_of_value = {(v, d, t): int(_value_length(v, d, t) * _UNITS)
                   for v in range(8) for d in range(3) for t in (0, 3, 5)}


def _units(item: Union[Note, Rest]) -> int:
    return 0 if item.value is None else _units_of_value[item.value, item.dots, item.tuplet]


def _strand_notes(strand: Strand, bar: int) -> list[tuple[Any, ...]]:
    """(onset, strand, key, duration, tie_from, tie_to) of the strand's note pieces, in units."""
    pieces: list[list[Any]] = []
    ending: dict[tuple[int, int], list[Any]] = {}  # the last piece of a key ending there
    position = chord_onset = 0
    for item in strand.items:
        if isinstance(item, TimeSignature):
            bar = int(item.bar_length * _UNITS)
        elif isinstance(item, Rest):
            position += bar if item.whole_bar else _units(item)
        elif isinstance(item, Note):
            duration = _units(item)
            if not item.chord:
                chord_onset = position
                position += duration
            if item.tied and (item.key, chord_onset) in ending:
                ending[item.key, chord_onset][5] = True
            piece = [chord_onset, strand.index, item.key, duration, item.tied, False]
            pieces.append(piece)
            ending[item.key, chord_onset + duration] = piece
    return [tuple(p) for p in pieces]


class Transcription:
    """What one transcription handed out: ``start_items`` (key, time, tempo, swing, title),
    ``guide`` (bar lines, signatures and tempo of the first track) and ``strands``."""

    def __init__(self, result: "_core.Result") -> None:
        self._result = result
        self.strand_count: int = result.strand_count
        self.error_word: int = result.error_word
        start, guide = result.start_items, result.guide
        self.start_items: tuple[Item, ...] = tuple(_item(r) for r in start or ())
        self.guide: tuple[Item, ...] = tuple(_item(r) for r in guide or ())
        self.strands: tuple[Strand, ...] = tuple(
            _strand(i, raw) for i, raw in enumerate(result.strands))

    def __repr__(self) -> str:
        return f"<Transcription: {len(self.strands)} strands>"

    def notes(self) -> list[NoteEvent]:
        """Every written note piece of every strand, ordered by onset, then strand and key."""
        bar = next((i.bar_length for i in self.start_items if isinstance(i, TimeSignature)),
                   Fraction(4))
        pieces = [p for s in self.strands for p in _strand_notes(s, int(bar * _UNITS))]
        pieces.sort()
        quarters: dict[int, Fraction] = {}  # chords and strands share onsets, values repeat

        def fraction(units: int) -> Fraction:
            value = quarters.get(units)
            if value is None:
                value = quarters[units] = Fraction(units, _UNITS)
            return value

        return [NoteEvent(fraction(onset), fraction(duration), key, strand, tie_from, tie_to)
                for onset, strand, key, duration, tie_from, tie_to in pieces]

    def to_json(self) -> str:
        """The JSON document of ``vlmidi import --format json`` ("file" is "<bytes>" for a
        transcription of bytes, "live" for live input)."""
        return _text(self._result.json())

    def to_musicxml(self) -> str:
        """The MusicXML score of ``vlmidi import --format musicxml``."""
        return _text(self._result.musicxml())


# --------------------------------------------------------------------------------- sessions

def _settings(swing: Optional[bool], triplets: Optional[bool],
              beat: Optional[int]) -> "_core.Settings":
    if beat is not None and not (isinstance(beat, int) and 3 <= beat <= 7):
        raise ValueError("beat is the finest note value resolved: 3 (crotchet) to 7 (1/64)")
    return _core.Settings(None if swing is None else bool(swing),
                          None if triplets is None else bool(triplets), beat)


def _reporter(progress: Optional[Progress]) -> Optional[Callable[[bytes, int], bool]]:
    if progress is None:
        return None
    callback = progress
    return lambda text, percent: bool(callback(_text(text), percent))


class Session:
    """An open MIDI file, for those who drive the steps themselves. ``swing``, ``triplets`` and
    ``beat`` (3 crotchet ... 7 hemidemisemiquaver) override the stored settings for every call
    of this session, in memory only. Close it (or use ``with``) to free it at once."""

    _core_session: "_core.Session"
    _shown: str

    def __init__(self, source: Source, *, swing: Optional[bool] = None,
                 triplets: Optional[bool] = None, beat: Optional[int] = None,
                 gather_signatures: bool = True) -> None:
        self._settings = _settings(swing, triplets, beat)
        self._folder: Optional[tempfile.TemporaryDirectory[str]] = None
        if isinstance(source, (bytes, bytearray, memoryview)):
            # The library reads files: the bytes go to a file of their own for the session.
            self._folder = tempfile.TemporaryDirectory(prefix="vlmidiin-")
            path = os.path.join(self._folder.name, "data.mid")
            with open(path, "wb") as out:
                out.write(source)
            shown = "<bytes>"
        else:
            path = os.fspath(source)
            if not isinstance(path, str):
                path = os.fsdecode(path)
            shown = path
        self._shown = shown
        with _serialised:
            session, word = _core.open(os.fsencode(path), gather_signatures)
        if session is None:
            self._drop_folder()
            raise MidiReadError(shown, word)
        self._core_session = session

    def _drop_folder(self) -> None:
        if self._folder is not None:
            self._folder.cleanup()
            self._folder = None

    def __enter__(self) -> "Session":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def close(self) -> None:
        """Frees the session; later calls raise RuntimeError."""
        with _serialised:
            self._core_session.close()
        self._drop_folder()

    def _run(self, command: str, progress: Optional[Progress]) -> int:
        with _serialised:
            return self._core_session.run(command, _reporter(progress), self._settings)

    def initialise(self, progress: Optional[Progress] = None) -> int:
        """Transcribes; returns the number of strands. Raises Cancelled when progress asked."""
        strands = self._run("initialise", progress)
        if strands < 0:
            raise Cancelled("the transcription was cancelled")
        return strands

    def transcription(self) -> Transcription:
        """The item lists as they stand (after initialise)."""
        with _serialised:
            result = self._core_session.capture(self._shown, self._core_session.strand_count)
        return Transcription(result)

    # The editing and repair commands: each answers the library's number (a count, or 0).
    def reread(self, progress: Optional[Progress] = None) -> int:
        """Reads the file again and brings the analysis back to its level."""
        return self._run("reread", progress)

    def quantise_first_step(self, progress: Optional[Progress] = None) -> int:
        return self._run("quantise_first_step", progress)

    def fix_delay(self, progress: Optional[Progress] = None) -> int:
        """Removes the initial delay."""
        return self._run("fix_delay", progress)

    def remove_duplicate_tracks(self, progress: Optional[Progress] = None) -> int:
        return self._run("remove_duplicates", progress)

    def equalise_track_lengths(self, progress: Optional[Progress] = None) -> int:
        return self._run("equalise", progress)

    def quantise_strands(self, progress: Optional[Progress] = None) -> int:
        return self._run("quantise_strands", progress)

    def kill_baddies(self, progress: Optional[Progress] = None) -> int:
        """Removes illegal events."""
        return self._run("kill_baddies", progress)

    def toggle_markers(self, progress: Optional[Progress] = None) -> int:
        return self._run("markers_toggle", progress)

    def clear_markers(self, progress: Optional[Progress] = None) -> int:
        return self._run("markers_clear", progress)

    def insert_markers(self, progress: Optional[Progress] = None) -> int:
        return self._run("markers_insert", progress)

    def insert_bar_lines(self, progress: Optional[Progress] = None) -> int:
        return self._run("barlines_insert", progress)

    def insert_proprietary_on_offs(self, progress: Optional[Progress] = None) -> int:
        return self._run("proprietary_on_offs_insert", progress)

    def annotate(self, progress: Optional[Progress] = None) -> int:
        return self._run("annotate", progress)

    @property
    def markers_present(self) -> bool:
        with _serialised:
            return self._core_session.markers_present

    @property
    def error_word(self) -> int:
        with _serialised:
            return self._core_session.error_word

    def listing(self) -> list[ListingLine]:
        """The raw MIDI data line by line, with the library's markers once it has transcribed."""
        with _serialised:
            lines = self._core_session.listing()
        return [ListingLine(kind, tuple(_text(c) for c in chunks)) for kind, chunks in lines]

    def statistics(self) -> Optional[Statistics]:
        """The timing statistics; None for a file without tracks."""
        with _serialised:
            record = self._core_session.statistics()
        return None if record is None else Statistics.from_record(record)


class Live(Session):
    """A session built from events as a host records them: ``division`` ticks per quarter
    note, ``tracks`` empty tracks; deltas are ticks since the track's previous event. The live
    input settings apply (``swing``, ``triplets``, ``beat`` override them for this session)."""

    def __init__(self, division: int, tracks: int, *, swing: Optional[bool] = None,
                 triplets: Optional[bool] = None, beat: Optional[int] = None) -> None:
        self._settings = _settings(swing, triplets, beat)
        self._folder = None
        self._shown = "live"
        if not (1 <= division <= 0x7FFF and 1 <= tracks <= 0xFFFF):
            raise ValueError("division wants 1 to 32767, tracks 1 to 65535")
        with _serialised:
            session = _core.new_live(division, tracks)
        if session is None:
            raise Error("the library refused to create the live session")
        self._core_session = session

    def _add(self, kind: int, track: int, value: int, delta: int) -> None:
        if not 0 <= delta <= 0xFFFFFFFF:
            raise ValueError("delta must be 0 to 2**32 - 1 ticks")
        with _serialised:
            accepted = self._core_session.append(kind, track, value, delta)
        if not accepted:
            raise ValueError(f"track {track} refused")

    def append(self, track: int, message: Union[int, Sequence[int]], delta: int = 0) -> None:
        """A short MIDI message: its bytes (``(0x90, 60, 100)``) or packed, status lowest."""
        if not isinstance(message, int):
            data = list(message)
            if not 1 <= len(data) <= 3 or any(not 0 <= b <= 255 for b in data):
                raise ValueError("a short MIDI message has 1 to 3 bytes of 0 to 255")
            message = sum(b << (8 * i) for i, b in enumerate(data))
        self._add(0, track, message & 0xFFFFFFFF, delta)

    def end(self, track: int, delta: int = 0) -> None:
        """The end of a track."""
        self._add(0, track, 0x2FFF, delta)

    def key(self, track: int, sharps: int, minor: bool = False, delta: int = 0) -> None:
        """A key signature: sharps, or flats when negative."""
        if not -7 <= sharps <= 7:
            raise ValueError("sharps must be -7 to 7")
        self._add(1, track, (sharps & 0xFF) | int(bool(minor)) << 8, delta)

    def time(self, track: int, numerator: int, denominator: int, delta: int = 0,
             clocks: int = 24, thirty_seconds: int = 8) -> None:
        """A time signature such as 6/8."""
        power = denominator.bit_length() - 1
        if not 1 <= numerator <= 255 or denominator != 1 << power or power > 7:
            raise ValueError("a time signature wants 1 to 255 beats of 1, 2, 4, ... 128")
        self._add(2, track, numerator | power << 8 | (clocks & 0xFF) << 16
                  | (thirty_seconds & 0xFF) << 24, delta)

    def tempo(self, track: int, microseconds_per_quarter: int, delta: int = 0) -> None:
        """A tempo: 500000 is 120 crotchets a minute."""
        if not 1 <= microseconds_per_quarter <= 0xFFFFFF:
            raise ValueError("microseconds per quarter note must be 1 to 16777215")
        self._add(3, track, microseconds_per_quarter, delta)

    def transcribe(self, progress: Optional[Progress] = None) -> Transcription:
        """Transcribes what was appended and walks the result."""
        self.initialise(progress)
        return self.transcription()


# ------------------------------------------------------------------- listing and statistics

@dataclass(frozen=True, slots=True)
class ListingLine:
    """A line of the listing: ``type`` 1 file header, 2 track header (their text in
    ``chunks[2]``), else an event with chunks time, delta, bytes, description, length, text
    and annotation."""

    type: int
    chunks: tuple[str, ...]

    @property
    def is_header(self) -> bool:
        return self.type in (1, 2)


_STRAIGHT_GRIDS = ("2", "1", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64")
_TRIPLET_GRIDS = ("1", "1/2", "1/4", "1/8", "1/16", "1/32", "1/64", "1/128")


@dataclass(frozen=True, slots=True)
class Statistics:
    """The statistics record: which signatures and tempo are there at the start and change
    later, how well each grid fits the onsets (percent, None when not measured; grids named
    by their note value with the crotchet as 1) and the four swing classes (count, mean and
    deviation). ``record`` holds the library's 29 numbers."""

    record: tuple[int, ...]
    at_start: frozenset[str]
    changes: frozenset[str]
    straight_fits: dict[str, Optional[float]]
    triplet_fits: dict[str, Optional[float]]
    swing: tuple[tuple[int, int, int], ...]

    @classmethod
    def from_record(cls, record: Sequence[int]) -> "Statistics":
        names = (("time signature", 0x1, 0x2), ("key signature", 0x4, 0x8), ("tempo", 0x10, 0x20))

        def fits(first: int, grids: tuple[str, ...]) -> dict[str, Optional[float]]:
            return {g: None if record[first + i] < 0 else record[first + i] / 10
                    for i, g in enumerate(grids)}

        return cls(tuple(record),
                   frozenset(n for n, start, _ in names if record[0] & start),
                   frozenset(n for n, _, later in names if record[0] & later),
                   fits(1, _STRAIGHT_GRIDS), fits(9, _TRIPLET_GRIDS),
                   tuple((record[17 + c], record[21 + c], record[25 + c]) for c in range(4)))


# ------------------------------------------------------------------------ the short forms

def transcribe(source: Source, *, swing: Optional[bool] = None, triplets: Optional[bool] = None,
               beat: Optional[int] = None, progress: Optional[Progress] = None,
               gather_signatures: bool = True) -> Transcription:
    """Transcribes a MIDI file (path or bytes) as ``vlmidi import`` does.

    ``swing``, ``triplets`` and ``beat`` (the finest note value resolved, 3 crotchet ... 7
    hemidemisemiquaver) override the stored settings for this call only; nothing is written to
    the settings file. ``progress(text, percent)`` receives the progress reports; answering
    True cancels, and then Cancelled is raised. ``gather_signatures`` copies the time and key
    signatures of later tracks into the first, as ``vlmidi import`` does by default.
    Raises MidiReadError when the data cannot be read.
    """
    with Session(source, swing=swing, triplets=triplets, beat=beat,
                 gather_signatures=gather_signatures) as session:
        session.initialise(progress)
        return session.transcription()


def listing(source: Source, *, after_initialise: bool = False) -> list[ListingLine]:
    """The raw listing of a MIDI file, as ``vlmidi list`` shows it (before or after the
    transcription)."""
    with Session(source, gather_signatures=False) as session:
        if after_initialise:
            session.initialise()
        return session.listing()


def statistics(source: Source, *, after_initialise: bool = False) -> Optional[Statistics]:
    """The statistics record of a MIDI file, as ``vlmidi stats`` shows it; None without
    tracks."""
    with Session(source, gather_signatures=False) as session:
        if after_initialise:
            session.initialise()
        return session.statistics()

