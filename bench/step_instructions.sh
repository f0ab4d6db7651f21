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
    # patterns: alternatives separated by "|", tried in order. A function that
    # link-time optimisation inlined is found under the export that calls it.
    function show(label, patterns,    k, m, alt) {
        m = split(patterns, alt, "|")
        for (k = 1; k <= m; ++k)
            for (i = 1; i <= n; ++i) if (index(fn[i], alt[k]) > 0) {
                printf "%-28s %16s\n", label, ir[i]; return
            }
        printf "%-28s %16s\n", label, "-"
    }
    /PROGRAM TOTALS/ { total = $1 }
    / \(/ { ++n; ir[n] = $1; fn[n] = $0 }
    END {
        printf "%-28s %16s\n", "total", total
        show("open (read the file)", "vl::ImportSession::fromFile(")
        show("initialise", "vl::ImportSession::transcribe()|vlImportInitialise")
        show("  eliminate illegal", "vl::TrackAnalysis::eliminateIllegalEvents()")
        show("  bar lines", "vl::TrackAnalysis::locateBarLines(")
        show("  first quantising", "vl::TrackAnalysis::firstQuantising()")
        show("  durations", "vl::assessDurations(")
        show("  strands", "vl::assignStrands(")
        show("  ties", "vl::TrackAnalysis::locateTies()|vl::markTies(")
        show("  triplets", "vl::analyseTriplets(")
        show("  swing", "vl::analyseSwing(")
        show("  chords", "vl::TrackAnalysis::confirmChordStructure()|vl::confirmStrandChords(")
        show("  progress reports", "vl::ProgressReporter::detailItem(")
        show("walk: start items", "vl::ItemWalk::openStartItems()|vlImportGetStartItems")
        show("walk: guide strand", "vl::ItemWalk::openGuideStrand()|vlImportGetGuideStrand")
        show("walk: first strand", "vl::ItemWalk::openFirstStrand()|vlImportGetFirstStrand")
        show("walk: next strands", "vl::ItemWalk::openNextStrand()|vlImportGetNextStrand")
    }'
