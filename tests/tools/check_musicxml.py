"""Arithmetic checks of a MusicXML file written by vlmidi, beyond what a schema can say.

    python3 check_musicxml.py [--any-fill] FILE.musicxml...

Every voice of every measure fills exactly its bar (a pickup and the last measure may hold
less, where the track ends early; --any-fill leaves this out); every note's duration is
what its type, dots and time modification make it; every tie that starts is stopped by the next
note of the same pitch in the same voice, and every stop has its start; the tuplet brackets of a
voice open and close in turn; every part has the same measures, each with the same time
signature in force; in a part with two staves no note lies more than two ledger lines outside
its staff when the other staff would hold it with none. Prints one line per fault and exits 1
when there is any.
"""
import sys
import xml.etree.ElementTree as ET

TYPE_QUARTERS = {"breve": 8, "whole": 4, "half": 2, "quarter": 1, "eighth": 0.5,
                 "16th": 0.25, "32nd": 0.125, "64th": 0.0625}


def number(element, path, default=None):
    found = element.find(path)
    return default if found is None else int(found.text)


def expected_duration(note, divisions):
    value = TYPE_QUARTERS[note.findtext("type")] * divisions
    dots = len(note.findall("dot"))
    value *= (1, 1.5, 1.75)[dots]
    modification = note.find("time-modification")
    if modification is not None:
        value = value * number(modification, "normal-notes") / number(modification, "actual-notes")
    return value


def pitch_of(note):
    pitch = note.find("pitch")
    return (pitch.findtext("step"), number(pitch, "alter", 0), number(pitch, "octave"))


STEPS = "CDEFGAB"
BOTTOM_LINE = {"G": 2 + 7 * 4, "F": 4 + 7 * 2}  # E4 and G2 as diatonic steps from C0


def ledger_lines(pitch, clef):
    """Ledger lines `pitch` (step, alter, octave) needs on a staff with `clef` ("G" or "F")."""
    position = STEPS.index(pitch[0]) + 7 * pitch[2] - BOTTOM_LINE[clef]
    return max(-position // 2, (position - 8) // 2, 0)


def check_staff(note, label, clefs, faults):
    if len(clefs) != 2 or note.find("pitch") is None:
        return
    staff = number(note, "staff", 1)
    own, other = (ledger_lines(pitch_of(note), clefs[s]) for s in (staff, 3 - staff))
    if own > 2 and other == 0:
        faults.append(f"{label}: {pitch_of(note)} on staff {staff} needs {own} ledger lines")


def check_part(part, faults, check_fill):
    """Returns the time signature in force in each measure."""
    times = []
    clefs = {}          # staff number -> clef sign
    divisions, beats, beat_type = None, 4, 4
    open_ties = {}      # (voice, pitch) -> measure number of the start
    open_tuplets = {}   # voice -> measure number of the start
    last_onset = {}     # voice -> pitches of the previous onset
    measures = part.findall("measure")
    for measure in measures:
        label = f"part {part.get('id')} measure {measure.get('number')}"
        cursor, ends = 0, []
        for child in measure:
            if child.tag == "attributes":
                divisions = number(child, "divisions", divisions)
                beats = number(child, "time/beats", beats)
                beat_type = number(child, "time/beat-type", beat_type)
                for clef in child.findall("clef"):
                    clefs[int(clef.get("number", 1))] = clef.findtext("sign")
            elif child.tag == "backup":
                ends.append(cursor)
                cursor -= number(child, "duration")
            elif child.tag == "forward":
                cursor += number(child, "duration")
            elif child.tag == "note":
                check_note(child, label, divisions, open_ties, open_tuplets, last_onset, faults)
                check_staff(child, label, clefs, faults)
                if child.find("chord") is None:
                    cursor += number(child, "duration")
        ends.append(cursor)
        times.append((measure.get("number"), beats, beat_type))
        bar = divisions * 4 * beats // beat_type
        may_be_short = measure.get("implicit") == "yes" or measure is measures[-1]
        for end in ends if check_fill else []:
            if end > bar or (end < bar and not may_be_short):
                faults.append(f"{label}: a voice ends at {end}, the bar is {bar}")
    for (voice, pitch), where in open_ties.items():
        faults.append(f"part {part.get('id')}: tie of {pitch} in voice {voice} from {where} "
                      "never stops")
    for voice, where in open_tuplets.items():
        faults.append(f"part {part.get('id')}: tuplet in voice {voice} from {where} never ends")
    return times


def check_grid(parts, times, faults):
    for part, own in zip(parts[1:], times[1:]):
        if len(own) != len(times[0]):
            faults.append(f"part {part.get('id')} has {len(own)} measures, the first part "
                          f"{len(times[0])}")
        for first, other in zip(times[0], own):
            if first != other:
                faults.append(f"part {part.get('id')} measure {other[0]}: time {other[1:]}, "
                              f"the first part's is {first[1:]}")
                break


def check_note(note, label, divisions, open_ties, open_tuplets, last_onset, faults):
    voice = note.findtext("voice")
    duration = number(note, "duration")
    rest = note.find("rest")
    if rest is None or rest.get("measure") != "yes":
        if duration != expected_duration(note, divisions):
            faults.append(f"{label}: duration {duration} for a {note.findtext('type')} with "
                          f"{len(note.findall('dot'))} dots at divisions {divisions}")
    # last_onset[voice]: the pitches of the onset before the current one, and of the current one
    previous, current = last_onset.get(voice, (set(), set()))
    if rest is not None:
        last_onset[voice] = (set(), set())
    else:
        pitch = pitch_of(note)
        if note.find("chord") is None:
            previous, current = current, set()
        current.add(pitch)
        last_onset[voice] = (previous, current)
        ties = {t.get("type") for t in note.findall("tie")}
        tied = {t.get("type") for t in note.findall("notations/tied")}
        if ties != tied:
            faults.append(f"{label}: <tie> {sorted(ties)} but <tied> {sorted(tied)}")
        if "stop" in ties:
            if (voice, pitch) not in open_ties or pitch not in previous:
                faults.append(f"{label}: tie stop on {pitch} without a start just before")
            open_ties.pop((voice, pitch), None)
        if "start" in ties:
            open_ties[(voice, pitch)] = label
    for tuplet in note.findall("notations/tuplet"):
        if tuplet.get("type") == "start":
            if voice in open_tuplets:
                faults.append(f"{label}: tuplet starts inside another")
            open_tuplets[voice] = label
        elif tuplet.get("type") == "stop":
            if open_tuplets.pop(voice, None) is None:
                faults.append(f"{label}: tuplet stops without a start")


def main():
    any_fill = sys.argv[1:2] == ["--any-fill"]
    failed = False
    for name in sys.argv[1 + any_fill:]:
        faults = []
        parts = ET.parse(name).getroot().findall("part")
        check_grid(parts, [check_part(part, faults, not any_fill) for part in parts], faults)
        for fault in faults:
            print(f"{name}: {fault}")
        failed = failed or bool(faults)
    sys.exit(1 if failed else 0)


main()
