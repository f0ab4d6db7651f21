// vlmidi: the reference host of the vlmidiin library. It uses the public C header only, the way
// a notation program does, and prints what the library makes of a MIDI file.

#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "repair_options.h"
#include "vlmidiin.h"

namespace vl::cli {

namespace {

constexpr std::array kCommands{
    Command{
        "import",
        "import [FILE] [OPTIONS]",
        "transcribe a MIDI file; print its notation, raw items, JSON or MusicXML",
        "Options: --items, --format text|json|musicxml, -o OUT, --quiet (-q),\n"
        "--settings auto|LIST, --as-written, --no-gather-signatures, and the repairs\n"
        "--kill-baddies, --remove-duplicates, --fix-delay, --equalise, --repair; details below.\n"
        "\n"
        "Opens FILE (a Standard MIDI File or a RIFF MIDI file), runs the transcription and\n"
        "prints the file's header, the number of strands and the error word, then what the\n"
        "library hands to a notation program: the start items (key, time, tempo, swing, title),\n"
        "the guide strand (bar lines, signatures and tempo of the first track) and every\n"
        "strand (one line of notation: its track, MIDI channel, instrument and clef).\n"
        "Without FILE, when stdin is a terminal, the library's file dialog asks for the file\n"
        "(and its \"configure\" answer opens the import settings first).\n"
        "\n"
        "The guide and the strands are shown one bar per line:\n"
        "\n"
        "  bar 3  | C4 q  E4 q  [C4 E4 G4]h |\n"
        "\n"
        "  C4 q  F#5 e.   a note: pitch (middle C is C4; flats in flat keys) and value\n"
        "  bv w h q e s t x  breve, semibreve, minim, crotchet, quaver, semiquaver,\n"
        "                 demisemiquaver, hemidemisemiquaver; '.' dotted, '..' double dotted\n"
        "  [C4 E4 G4]q    a chord\n"
        "  r q  R         a rest; a whole-bar rest\n"
        "  ~C4 e          tied to the piece before\n"
        "  3:C4 e  5:r s  a triplet or quintuplet member\n"
        "  [3/4] [key G] [q=100] [prog 73 ch2] [name \"Melody\"]\n"
        "                 signatures, tempo, program changes and texts where they occur\n"
        "  start | ... |  what comes before the first bar line; ' ||' ends the music\n"
        "\n"
        "While the transcription runs, a progress bar is drawn on stderr when stderr is a\n"
        "terminal; Ctrl-C cancels the transcription cleanly (press it twice to stop at once).\n"
        "\n"
        "  --items        print the raw items instead: one line per item with its fields\n"
        "                 (type, type name, action, arguments), description and text\n"
        "  --format text  the notation view above, or the raw items with --items (default)\n"
        "  --format json  the same result as one JSON object for programs, with the members\n"
        "                 file, header, cancelled, strandCount, errorWord, startItems, guide\n"
        "                 and strands (each with index, trackIndex, channel, voicing and\n"
        "                 items); every item has type, typeName, action, arg1 to arg3 and\n"
        "                 description, text items also textIndex and text. Track and channel\n"
        "                 numbers count from 0; a list the library could not build is null\n"
        "  --format musicxml\n"
        "                 a MusicXML 4.0 score (score-partwise) of what the library transcribed:\n"
        "                 one part per track and channel, each strand a voice (two staves when\n"
        "                 the strands need both clefs), a measure per bar\n"
        "  -o OUT, --output OUT\n"
        "                 write to OUT instead of stdout; without --format, OUT ending in\n"
        "                 .musicxml or .xml writes MusicXML and .json JSON\n"
        "  --quiet, -q    open without progress reports: no bar, and Ctrl-C stops at once\n"
        "  --no-gather-signatures\n"
        "                 open a format-1 file as it is; by default (--gather-signatures)\n"
        "                 the time and key signatures of later tracks are first copied into\n"
        "                 the first track, whose signatures set every strand's bar lines\n"
        "  --as-written   the MusicXML score exactly as the library wrote the notes; by default\n"
        "                 the score goes by how the file plays them: five even notes in a\n"
        "                 crotchet become a quintuplet, a crotchet or longer that is written\n"
        "                 twice as long as its player holds such notes is halved and followed\n"
        "                 by a rest, and the rests after a note held nearly to the next note\n"
        "                 become its tied end\n"
        "  --settings beat=N,swing=on|off,triplets=on|off\n"
        "                 transcribe with these settings (any of the three; the others as\n"
        "                 the library's defaults: beat 7, swing on, triplets on) instead of\n"
        "                 the stored ones; the settings file is neither read nor written\n"
        "  --settings auto\n"
        "                 transcribe with each candidate (beat 7, 6 and 5 with triplets on;\n"
        "                 swing off, and also on when the off-beat quavers come late) and keep\n"
        "                 the simplest notation: cost = pieces + semiquavers + 3 x finer values\n"
        "                 + 2 x tuplet runs left open + 8 x each note fewer than the most any\n"
        "                 candidate wrote; on a tie swing on wins over off, a finer beat over\n"
        "                 a coarser. The choice is named on stderr (not with --quiet)\n"
        "\n"
        "Exit status: 0 done, 1 file unreadable, 2 usage error, 3 cancelled.\n",
        runImportCommand,
        kRepairOptionsHelp,
    },
    Command{
        "list",
        "list FILE [--after STEP]",
        "print the raw MIDI data line by line, with the library's markers and annotations",
        "Prints the listing of FILE: the file header, then for every track its header and one\n"
        "line per event with these columns: absolute time, delta time, message bytes in hex,\n"
        "meta-event description, data length, text payload and the analysis annotation\n"
        "(strand, sounding length + gap, chord and tuplet marks).\n"
        "\n"
        "  --after read        list the file as read (the default)\n"
        "  --after initialise  run the transcription first, so the library's bar markers,\n"
        "                      moved onsets and annotations show\n"
        "\n"
        "Exit status: 0 done, 1 file unreadable, 2 usage error, 3 cancelled.\n",
        runListCommand,
    },
    Command{
        "stats",
        "stats FILE [OPTIONS]",
        "show the statistics of a MIDI file: signatures, grid fits and swing",
        "Options: --after read|initialise, --json, --dialog; details below.\n"
        "\n"
        "Prints what the library's \"MIDI Statistics\" dialog shows for FILE, group by group:\n"
        "\n"
        "  At start, Changes?  whether the first track has a time signature, key signature\n"
        "                      and tempo at tick 0, and whether it has any later\n"
        "  Quantisation:       for each note value from 2 crotchets down to 1/64, how many of\n"
        "                      the intervals between successive note onsets of a track are\n"
        "                      whole multiples of it, in percent; empty where the note value\n"
        "                      is no whole number of ticks or no interval was counted\n"
        "  Triplet:            the same for the triplet note values (empty throughout when\n"
        "                      the division is not a multiple of 3)\n"
        "  Swing               per sixteenth slot of the beat (0 to 3) the mean offset of the\n"
        "                      note-ons from the start of the slot, +/- their deviation, in\n"
        "                      96ths of a crotchet\n"
        "\n"
        "  --after read        the statistics of the file as read (the default)\n"
        "  --after initialise  run the transcription first; quantisation moves onsets, so\n"
        "                      the figures change\n"
        "  --json              the record as one JSON object: file, after, hasTrack, record\n"
        "                      (the 29 numbers), atStart, changes, quantisation and triplet\n"
        "                      (grid, fit or null, text) and swing (class, count, mean,\n"
        "                      deviation)\n"
        "  --dialog            show the library's dialog on the terminal instead (needs a\n"
        "                      terminal on stdin; without one the text is printed)\n"
        "\n"
        "A file without tracks has no statistics; that is said in one line.\n"
        "Exit status: 0 done, 1 file unreadable, 2 usage error, 3 cancelled.\n",
        runStatsCommand,
    },
    Command{
        "view",
        "view FILE",
        "step through the items the library hands out, strand by strand",
        "Options: --script COMMANDS.\n"
        "\n"
        "Transcribes FILE and opens the library's \"Import lists\" dialog on it: the strand\n"
        "number (3014) and the current item decoded into words, its type (3015), action (3016),\n"
        "three arguments (3017-3019) and the text of a text item (3025). The dialog is drawn on\n"
        "stderr, one line per control, and redrawn after every command.\n"
        "\n"
        "Commands, one per line (a button's key alone presses it):\n"
        "  >  or  press 1001   next item            <  or  press 1000   previous item\n"
        "  f  or  press 1003   on to the next bar line\n"
        "  b  or  press 1002   back to the previous bar line\n"
        "  d  or  press 3022   next strand          u  or  press 3021   previous strand\n"
        "  show                draw the dialog again\n"
        "  cancel              close the dialog (so does the end of the input)\n"
        "A move that cannot be made rings the terminal bell and changes nothing.\n"
        "\n"
        "On a terminal the dialog asks there; otherwise it reads the commands from stdin.\n"
        "  --script COMMANDS   take the commands from COMMANDS instead, separated by ';',\n"
        "                      e.g. --script \"f; >; >; d; cancel\"\n"
        "\n"
        "Exit status: 0 done, 1 file unreadable, 2 usage error, 3 cancelled.\n",
        runViewCommand,
    },
    Command{
        "config",
        "config [--live] [OPTIONS]",
        "show or change the import settings",
        "Options: --live, --show, --triplets on|off, --swing on|off, --beat 4..7.\n"
        "\n"
        "Without options, opens the library's \"Midi import configuration\" dialog for the\n"
        "settings of file imports and saves them when it ends with OK. On a terminal the\n"
        "dialog asks there; otherwise it reads its commands from stdin (\"check 3023\",\n"
        "\"select 3024 1\", \"t\" or \"s\" to toggle a box, \"ok\", \"cancel\").\n"
        "\n"
        "  --live             the settings of live input instead of file imports\n"
        "  --show             print the settings: triplets, swing and beat\n"
        "  --triplets on|off  resolve triplets\n"
        "  --swing on|off     resolve swing rhythms\n"
        "  --beat 4..7        the finest note value quantisation resolves: 4 quaver,\n"
        "                     5 semiquaver, 6 demisemiquaver, 7 hemidemisemiquaver\n"
        "With --triplets, --swing or --beat no dialog is shown: the settings given change,\n"
        "the others stay, both records are saved and the settings are printed.\n"
        "\n"
        "The settings live in $XDG_CONFIG_HOME/Tolvek Software/vlmidiin.ini (without\n"
        "XDG_CONFIG_HOME, in ~/.config) and take effect at the next transcription.\n"
        "\n"
        "Exit status: 0 done, 2 usage error or settings not taken, 3 dialog cancelled,\n"
        "4 settings file not written (the error names the file and the reason).\n",
        runConfigCommand,
    },
    Command{
        "live",
        "live [FILE | --replay MIDI] [OPTIONS]",
        "build a session from timed MIDI events, as a host does while recording",
        "Options: --replay MIDI, --items; details below.\n"
        "\n"
        "Reads timed MIDI events from FILE (standard input when FILE is missing or '-'),\n"
        "hands them one by one to the library's live-input interface, as a notation program\n"
        "does with what it recorded from a keyboard, then transcribes the session with the\n"
        "input-resolution settings and prints the notation like 'vlmidi import' does.\n"
        "\n"
        "One statement per line; '#' starts a comment; numbers are decimal or 0x hex:\n"
        "\n"
        "  division 96                          ticks per quarter note (default 96)\n"
        "  tracks 2                             number of tracks (default 1)\n"
        "  TRACK DELTA STATUS [DATA1 [DATA2]]   a short MIDI message: '0 0 0x90 60 100'\n"
        "  key TRACK DELTA SHARPS [minor]       key signature; flats as negative sharps\n"
        "  time TRACK DELTA NN/DEN [CC [BB]]    time signature: 'time 0 0 6/8'\n"
        "  tempo TRACK DELTA MICROSECONDS       microseconds per quarter note\n"
        "  end TRACK DELTA                      end of track\n"
        "\n"
        "division and tracks come before the first event. Tracks count from 0; DELTA is the\n"
        "number of ticks since the previous event of the same track. An event for a track\n"
        "that does not exist is refused by the library and reported on stderr.\n"
        "\n"
        "  --replay MIDI  take the events of a Standard MIDI File instead, track by track\n"
        "                 (channel messages, signatures, tempo and end of track)\n"
        "  --items        print the raw items instead of the notation\n"
        "\n"
        "Repairs run on the session before the transcription, as with 'vlmidi import':\n"
        "--kill-baddies, --remove-duplicates, --fix-delay, --equalise, --repair (all four).\n"
        "\n"
        "Exit status: 0 done, 1 MIDI file unreadable, 2 usage error or bad line, 3 cancelled.\n",
        runLiveCommand,
        kRepairOptionsHelp,
    },
    Command{
        "convert",
        "convert IN... -o OUTDIR [OPTIONS]",
        "convert whole collections to MusicXML or JSON: parallel, resumable, shardable",
        "Options: -o OUTDIR, --format musicxml|json, -j N, --shard K/N, --force,\n"
        "--timeout SECONDS; details below.\n"
        "\n"
        "Converts every IN: a file, or a folder walked recursively for .mid, .midi, .kar and\n"
        ".rmi files (any case; symbolic links are followed, each folder once). Each output\n"
        "mirrors its input's path below the folder given (a named file: its own name) under\n"
        "OUTDIR, with the extension .musicxml or .json; it is written as NAME.part beside it\n"
        "and renamed into place when it is whole. Each file is converted as 'vlmidi import'\n"
        "does, in a worker process of its own: a file that cannot be read, runs past the\n"
        "timeout or kills its worker is recorded and the others go on.\n"
        "\n"
        "  -o OUTDIR, --output OUTDIR   where the outputs and the manifest go (made if missing)\n"
        "  --format musicxml|json       the document written (default musicxml)\n"
        "  -j N, --jobs N               N worker processes at a time (default: one per core)\n"
        "  --shard K/N                  only the inputs whose relative path hashes to K modulo N\n"
        "                               (FNV-1a 64 of its bytes, '/' between folders;\n"
        "                               0 <= K < N), so N machines running the same command\n"
        "                               share the work\n"
        "  --force                      convert again files whose output is newer than the input\n"
        "                               (without it they are skipped: a rerun resumes)\n"
        "  --timeout SECONDS            stop a file's worker after SECONDS (default 60)\n"
        "\n"
        "OUTDIR/manifest.jsonl (with --shard, manifest-K-of-N.jsonl) gets one JSON line per\n"
        "input as it finishes, appended to what earlier runs wrote: input, output, status (ok,\n"
        "unreadable, unwritable, timeout, crashed, skipped), notes, strands, bars (null unless\n"
        "converted), milliseconds and error (null when none). Progress goes to stderr (one\n"
        "redrawn line on a terminal, a plain line every 5 s otherwise), then a summary: the\n"
        "counts per status, the slowest files, files/s and notes/s. Ctrl-C stops the workers;\n"
        "the files they had are left for the next run.\n"
        "\n"
        "For tests only: a worker whose input path contains the text of VLMIDI_TEST_CRASH_ON\n"
        "aborts, and one whose path contains that of VLMIDI_TEST_HANG_ON hangs.\n"
        "\n"
        "Exit status: 0 every file ok or skipped, 1 any other outcome, a folder that could not\n"
        "be read or OUTDIR or the manifest not writable, 2 usage error, 3 interrupted.\n",
        runConvertCommand,
    },
};

bool isHelpRequest(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

// "--help" or "-h" among a command's options, before a "--" that ends them.
bool asksForHelp(const Arguments& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

int runHelp(const Arguments& args) {
    if (args.size() <= 1) {
        printUsage(stdout);
        return kExitSuccess;
    }
    const Command* command = findCommand(args[1]);
    if (command == nullptr) return usageError("unknown command '" + args[1] + "'");
    printCommandHelp(*command, stdout);
    return kExitSuccess;
}

}  // namespace

std::span<const Command> commandTable() { return kCommands; }

const Command* findCommand(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "vlmidi - turn MIDI files into notation items with the vlmidiin library "
                 "(version %d)\n\n"
                 "usage: vlmidi COMMAND [ARGUMENTS]\n\ncommands:\n",
                 static_cast<int>(vlImportVersion()));
    for (const Command& command : kCommands) {
        std::fprintf(out, "  %-24s %s\n", command.synopsis, command.summary);
    }
    std::fprintf(out,
                 "  %-24s %s\n\n"
                 "Exit status: 0 done, 1 file unreadable, 2 usage error, 3 cancelled.\n",
                 "help [COMMAND]", "show this text, or the details of one command");
}

void printCommandHelp(const Command& command, std::FILE* out) {
    std::fprintf(out, "usage: vlmidi %s\n\n%s", command.synopsis, command.description);
    if (command.sharedOptions != nullptr) {
        std::fprintf(out, "\nRepairs before the transcription:\n%s", command.sharedOptions);
    }
}

int usageError(const std::string& message, const Command* command) {
    std::fprintf(stderr, "vlmidi: %s\n", message.c_str());
    if (command != nullptr) {
        std::fprintf(stderr, "usage: vlmidi %s (see 'vlmidi help %s')\n", command->synopsis,
                     command->name);
    } else {
        std::fputs("see 'vlmidi --help'\n", stderr);
    }
    return kExitUsageError;
}

}  // namespace vl::cli

int main(int argc, char** argv) {
    using namespace vl::cli;
    const Arguments args(argv + 1, argv + argc);
    if (args.empty()) {
        printUsage(stderr);
        return kExitUsageError;
    }
    if (isHelpRequest(args[0])) return runHelp(args);

    const Command* command = findCommand(args[0]);
    if (command == nullptr) return usageError("unknown command '" + args[0] + "'");

    const Arguments rest(args.begin() + 1, args.end());
    if (asksForHelp(rest)) {
        printCommandHelp(*command, stdout);
        return kExitSuccess;
    }
    // With a person at the keyboard, the library's dialogs may ask on the terminal.
    if (isatty(STDIN_FILENO) != 0) vlImportSetDialogMode(1);
    return command->run(rest);
}
