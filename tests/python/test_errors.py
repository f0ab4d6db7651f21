"""Bad input, cancelling, exceptions from the progress callback and calls from threads: always
a Python exception or a result, never the end of the interpreter."""

import random
import threading

import pytest

import vlmidiin
from conftest import BAD_FILES, ROOT

TWINKLE = ROOT / "examples" / "twinkle.mid"


@pytest.mark.parametrize("bad", BAD_FILES, ids=lambda p: p.name)
def test_bad_files_give_a_result_or_a_read_error(bad):
    for source in (bad, bad.read_bytes()):
        try:
            t = vlmidiin.transcribe(source)
        except vlmidiin.MidiReadError as error:
            assert error.error_word & 0x8000
            continue
        t.to_musicxml()
        t.to_json()
        t.notes()


def test_unreadable_data_raises_with_the_error_word():
    for source in (b"", b"MThd", b"RIFF\0\0\0\0RMID", ROOT / "no such file.mid"):
        with pytest.raises(vlmidiin.MidiReadError) as caught:
            vlmidiin.transcribe(source)
        assert caught.value.error_word == 0x8000


def test_cut_and_damaged_copies_of_a_file_never_crash():
    data = TWINKLE.read_bytes()
    rng = random.Random(22)
    for n in range(200):
        damaged = bytearray(data[: rng.randrange(len(data))] if n % 2 else data)
        for _ in range(rng.randrange(1, 8)):
            if damaged:
                damaged[rng.randrange(len(damaged))] = rng.randrange(256)
        try:
            vlmidiin.transcribe(bytes(damaged)).to_musicxml()
        except vlmidiin.MidiReadError:
            pass


def test_progress_reports_arrive_and_true_cancels():
    reports = []
    vlmidiin.transcribe(TWINKLE, progress=lambda text, percent: reports.append((text, percent)))
    assert reports and all(isinstance(t, str) and 0 <= p <= 100 for t, p in reports)
    with pytest.raises(vlmidiin.Cancelled):
        vlmidiin.transcribe(TWINKLE, progress=lambda text, percent: percent >= 50)
    assert len(vlmidiin.transcribe(TWINKLE).strands) == 1  # the next call is not cancelled


def test_an_exception_in_the_callback_stops_the_work_and_is_raised():
    def failing(text, percent):
        raise KeyError("from the callback")

    with pytest.raises(KeyError):
        vlmidiin.transcribe(TWINKLE, progress=failing)
    with pytest.raises(RuntimeError, match="progress callback"):
        vlmidiin.transcribe(TWINKLE, progress=lambda t, p: vlmidiin.transcribe(TWINKLE))


def test_calls_from_several_threads_are_serialised():
    def run():
        reports = []
        json = vlmidiin.transcribe(TWINKLE, progress=lambda t, p: reports.append(p)).to_json()
        return json, len(reports)

    expected = run()
    results = []
    threads = [threading.Thread(target=lambda: results.extend(run() for _ in range(5)))
               for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert results == [expected] * 20  # each call had the library, and its reports, to itself
