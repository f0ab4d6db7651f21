#include "convert_worker.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "exit_codes.h"
#include "import_result.h"
#include "json_report.h"
#include "musicxml_writer.h"
#include "open_session.h"
#include "score_items.h"
#include "signature_gather.h"

namespace vl::cli {

namespace {

// The test-only hooks: a worker whose input path holds the text of one of these variables
// crashes or hangs, so the tests can show that the run survives it.
bool testHookMatches(const char* variable, const std::string& input) {
    const char* text = std::getenv(variable);
    return text != nullptr && *text != '\0' && input.find(text) != std::string::npos;
}

void runTestHooks(const std::string& input) {
    if (testHookMatches("VLMIDI_TEST_CRASH_ON", input)) std::abort();
    if (testHookMatches("VLMIDI_TEST_HANG_ON", input)) {
        for (;;) pause();
    }
}

ScoreCounts countScore(const ImportResult& result) {
    ScoreCounts counts;
    counts.strands = result.strandCount;
    for (const CapturedStrand& strand : result.strands) {
        for (const CapturedItem& captured : strand.items) {
            if (isNoteItem(captured.item)) ++counts.notes;
        }
    }
    if (result.guide) {
        for (const CapturedItem& captured : *result.guide) {
            if (captured.item.type == kBarlineItem) ++counts.bars;
        }
    }
    return counts;
}

int answer(const char* status, const std::string& text, int exitCode) {
    std::printf("%s %s\n", status, text.c_str());
    return exitCode;
}

// Writes the document whole or reports why not.
int writeDocument(const std::string& document, const std::string& temporary) {
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        return answer("unwritable", "cannot write '" + temporary + "' (" +
                      std::strerror(errno) + ")", kExitNotSaved);
    }
    const bool written = std::fwrite(document.data(), 1, document.size(), out) == document.size();
    const int error = errno;
    if (std::fclose(out) != 0 || !written) {
        return answer("unwritable", "writing '" + temporary + "' failed (" +
                      std::strerror(written ? errno : error) + ")", kExitNotSaved);
    }
    return kExitSuccess;
}

}  // namespace

int runConvertWorker(const Arguments& args) {
    if (args.size() != 4) return answer("unreadable", "bad worker arguments", kExitUsageError);
    const std::string& format = args[1];
    const std::string& input = args[2];
    const std::string& temporary = args[3];
    // Past a file size limit a write fails with an error rather than ending the process.
    signal(SIGXFSZ, SIG_IGN);
    runTestHooks(input);

    std::string document;
    ScoreCounts counts;
    {
        const PreparedFile file(input, true);
        OpenSession session(vlImportOpenFromName(file.path().c_str()));
        if (session.get() == nullptr) {
            return answer("unreadable", reasonFileIsUnreadable(input), kExitUnreadableFile);
        }
        ImportResult result = captureSummary(session.get(), input,
                                             vlImportInitialise(session.get()));
        captureItemLists(session.get(), result);
        counts = countScore(result);
        if (format == "json") {
            document = formatJsonReport(result);
        } else {
            result.playedNotes = readPlayedNotesInFile(input);  // as vlmidi import's score
            document = formatMusicXml(result);
        }
    }
    if (const int status = writeDocument(document, temporary); status != kExitSuccess) {
        return status;
    }
    std::printf("ok %lld %lld %lld\n", static_cast<long long>(counts.notes),
                static_cast<long long>(counts.strands), static_cast<long long>(counts.bars));
    return kExitSuccess;
}

std::optional<WorkerAnswer> parseWorkerAnswer(const std::string& said) {
    std::istringstream line(said);
    std::string word;
    line >> word;
    WorkerAnswer reply;
    if (word == "ok") {
        reply.status = ConvertStatus::Ok;
        if (line >> reply.counts.notes >> reply.counts.strands >> reply.counts.bars) return reply;
        return std::nullopt;
    }
    if (word != "unreadable" && word != "unwritable") return std::nullopt;
    reply.status = word == "unreadable" ? ConvertStatus::Unreadable : ConvertStatus::Unwritable;
    std::getline(line >> std::ws, reply.error);
    return reply;
}

}  // namespace vl::cli
