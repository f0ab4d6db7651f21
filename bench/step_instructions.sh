#!/bin/sh
# Instruction counts (callgrind) of each transcription step and of the item
# walk for one file, through import_pipeline_bench's single pipeline run.
# Steadier than wall-clock figures on a loaded machine.
#
#   bench/step_instructions.sh BENCH_BINARY FILE.mid [OUT.callgrind]
set -eu
bench=$1
file=$2
out=${3:-$(mktemp "${TMPDIR:-/tmp}/steps.XXXXXX")}
valgrind --tool=callgrind --callgrind-out-file="$out" "$bench" --child-pipeline "$file" \
    > /dev/null 2>&1
callgrind_annotate --inclusive=yes --threshold=100 "$out" 2>/dev/null | awk '
    function show(label, pattern) {
        for (i = 1; i <= n; ++i) if (index(fn[i], pattern) > 0) {
            printf "%-28s %16s\n", label, ir[i]; return
        }
        printf "%-28s %16s\n", label, "-"
    }
    /PROGRAM TOTALS/ { total = $1 }
    / \(/ { ++n; ir[n] = $1; fn[n] = $0 }
    END {
        printf "%-28s %16s\n", "total", total
        show("open (read the file)", "vl::ImportSession::fromFile(")
        show("initialise", "vl::ImportSession::initialise()")
        show("  eliminate illegal", "vl::ImportSession::eliminateIllegalEvents()")
        show("  bar lines", "vl::ImportSession::locateBarLines(")
        show("  first quantising", "vl::ImportSession::firstQuantising()")
        show("  durations", "vl::assessDurations(")
        show("  strands", "vl::assignStrands(")
        show("  ties", "vl::ImportSession::locateTies()")
        show("  triplets", "vl::analyseTriplets(")
        show("  swing", "vl::analyseSwing(")
        show("  chords", "vl::ImportSession::confirmChordStructure()")
        show("  progress reports", "vl::ProgressReporter::detailItem(")
        show("walk: start items", "vl::ImportSession::getStartItems()")
        show("walk: guide strand", "vl::ImportSession::getGuideStrand()")
        show("walk: first strand", "vl::ImportSession::getFirstStrand()")
        show("walk: next strands", "vl::ImportSession::getNextStrand()")
    }'
