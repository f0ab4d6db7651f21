// vlmidiin._core: the library for Python. A thin layer over the C interface and over the
// reference host's own capture, JSON and MusicXML code, so that Python gets exactly what
// `vlmidi import` writes. The Python package (python/vlmidiin) holds the lock that serialises
// calls, the item classes and the exceptions; this module converts every C++ exception into a
// Python one and never lets one reach the library's C functions.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "import_result.h"
#include "item_printer.h"
#include "json_report.h"
#include "musicxml_writer.h"
#include "session/import_filter_app.h"
#include "session/import_session.h"
#include "settings/resolution_override.h"
#include "signature_gather.h"
#include "vlmidiin.h"

namespace py = pybind11;

namespace {

constexpr std::uint32_t kProgressMessage = 0x8001;
constexpr std::uint16_t kListingChunks = 7;

// The window the library sends its reports to; the reports of the call that runs now go to
// `activeCallback`, a Python callable(text: bytes, percent: int) -> bool.
char progressWindow = 0;
py::object* activeCallback = nullptr;
std::optional<py::error_already_set> callbackError;
// The library reads only the latest reply, so once the callback asked to cancel every later
// report of the call is answered with a cancel too.
bool cancelRequested = false;

intptr_t receiveReport(void* window, std::uint32_t message, uintptr_t, intptr_t lparam) {
    if (window != &progressWindow || message != kProgressMessage || lparam == 0) return 0;
    if (activeCallback == nullptr) return 0;
    const auto& report = *reinterpret_cast<const VlProgressReport*>(lparam);
    if (cancelRequested) return 1;
    py::gil_scoped_acquire gil;
    try {
        const char* text = report.text != nullptr ? report.text : "";
        cancelRequested = (*activeCallback)(py::bytes(text), report.percent).cast<bool>();
        return cancelRequested ? 1 : 0;
    } catch (py::error_already_set& error) {
        callbackError.emplace(std::move(error));
    } catch (const std::exception& error) {
        PyErr_SetString(PyExc_RuntimeError, error.what());
        callbackError.emplace();
    }
    cancelRequested = true;  // a callback that failed stops the work; its exception is raised
    return 1;                // once the library has returned
}

// While a call runs without the GIL another thread may drop its last reference to a session;
// that session is closed once the call has returned, by the thread that made it.
std::mutex closingMutex;
bool callRunning = false;
std::vector<ImportSession*> closeAfterCall;

void closeSession(ImportSession*& handle) {
    const std::lock_guard<std::mutex> guard(closingMutex);
    if (callRunning && handle != nullptr) {
        closeAfterCall.push_back(handle);
        handle = nullptr;
        return;
    }
    vlImportClose(&handle);
}

// One call into the library: reports go to `callback` (None: no reports), the settings record
// of the session's kind holds `choices`, and other Python threads run meanwhile.
class LibraryCall {
public:
    LibraryCall(py::object& callback, vl::ResolutionSettings& record,
                const vl::ResolutionChoices& choices)
        : override_(record, choices) {
        callbackError.reset();
        cancelRequested = false;
        if (!callback.is_none()) {
            activeCallback = &callback;
            vlImportSetMessageHandler(&receiveReport);
        }
        {
            const std::lock_guard<std::mutex> guard(closingMutex);
            callRunning = true;
        }
        release_.emplace();
    }
    ~LibraryCall() {
        release_.reset();
        vlImportSetMessageHandler(nullptr);
        activeCallback = nullptr;
        std::vector<ImportSession*> dropped;
        {
            const std::lock_guard<std::mutex> guard(closingMutex);
            callRunning = false;
            dropped.swap(closeAfterCall);
        }
        for (ImportSession* handle : dropped) vlImportClose(&handle);
    }
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;

    // Raises what the callback raised, once the library has returned.
    static void raiseCallbackError() {
        if (!callbackError) return;
        py::error_already_set error = std::move(*callbackError);
        callbackError.reset();
        throw error;
    }

private:
    vl::ResolutionOverride override_;
    std::optional<py::gil_scoped_release> release_;
};

struct Settings {
    std::optional<bool> swing;
    std::optional<bool> triplets;
    std::optional<int> beat;
    vl::ResolutionChoices choices() const { return {swing, triplets, beat}; }
};

// The editing commands and the transcription by name, each answering a number.
using Command = std::int32_t (*)(ImportSession*);
struct NamedCommand {
    const char* name;
    Command run;
};
const std::array<NamedCommand, 14> kCommands{{
    {"initialise", vlImportInitialise},
    {"reread", [](ImportSession* s) { VlMidiReread(s); return 0; }},
    {"quantise_first_step", VlMidiQuantiseFirstStep},
    {"fix_delay", VlMidiQuantiseFixDelay},
    {"remove_duplicates", VlMidiDuplicateTracksRemove},
    {"equalise", [](ImportSession* s) { VlMidiTrackLengthsEqualise(s); return 0; }},
    {"quantise_strands", [](ImportSession* s) { VlMidiQuantiseStrands(s); return 0; }},
    {"kill_baddies", VlMidiKillBaddies},
    {"markers_toggle", [](ImportSession* s) { VlMidiFiducialEventsToggle(s); return 0; }},
    {"markers_clear", [](ImportSession* s) { VlMidiFiducialEventsClear(s); return 0; }},
    {"markers_insert", [](ImportSession* s) { VlMidiFiducialEventsInsert(s); return 0; }},
    {"barlines_insert",
     [](ImportSession* s) { return static_cast<std::int32_t>(VlMidiBarlinesInsert(s)); }},
    {"proprietary_on_offs_insert", VlMidiProprietaryOnOffsInsert},
    {"annotate", VlMidiAnnotate},
}};

// An open session; one read from a file keeps the copy it was read from (with the later tracks'
// signatures gathered into the first, as `vlmidi import` prepares it), since a re-read reads it
// again.
class Session {
public:
    Session(ImportSession* handle, bool live, std::unique_ptr<vl::cli::PreparedFile> file = {},
            std::string path = {})
        : handle_(handle), live_(live), file_(std::move(file)), path_(std::move(path)) {}
    ~Session() { closeSession(handle_); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ImportSession* handle() const {
        if (handle_ == nullptr) throw std::runtime_error("the session is closed");
        return handle_;
    }
    void close() { closeSession(handle_); }
    bool closed() const { return handle_ == nullptr; }
    const std::string& path() const { return path_; }

    std::int32_t run(const std::string& name, py::object progress, const Settings& settings) {
        for (const NamedCommand& command : kCommands) {
            if (name != command.name) continue;
            ImportSession* h = handle();
            std::int32_t answer = 0;
            {
                LibraryCall call(progress, record(), settings.choices());
                answer = command.run(h);
            }
            LibraryCall::raiseCallbackError();
            return answer;
        }
        throw std::invalid_argument("no command '" + name + "'");
    }

private:
    vl::ResolutionSettings& record() {
        return vl::ImportFilterApp::instance().settingsFor(live_ ? 1 : 0);
    }

    ImportSession* handle_;
    bool live_;
    std::unique_ptr<vl::cli::PreparedFile> file_;
    std::string path_;
};

// (a session read from `path`, 0), or (None, the error word the reader left).
py::tuple openFile(const std::string& path, bool gather) {
    if (path.empty() || path.find('\0') != std::string::npos) {
        return py::make_tuple(py::none(), vl::error::Unreadable);
    }
    auto file = std::make_unique<vl::cli::PreparedFile>(path, gather);
    ImportSession* handle = vlImportOpen(&progressWindow, kProgressMessage, file->path().c_str());
    if (handle != nullptr) {
        return py::make_tuple(std::make_unique<Session>(handle, false, std::move(file), path), 0);
    }
    std::uint32_t word = vl::error::Unreadable;
    try {
        word = vl::ImportSession::fromFile(file->path())->error();
    } catch (...) {
    }
    return py::make_tuple(py::none(), word);
}

std::unique_ptr<Session> newLive(std::int32_t division, std::int32_t tracks) {
    vl::ImportFilterApp::instance().setHostWindow(&progressWindow, kProgressMessage);
    ImportSession* handle = vlMidiImportNew(0, 0, division, tracks);
    if (handle == nullptr) return nullptr;
    return std::make_unique<Session>(handle, true);
}

bool appendLive(Session& session, int kind, std::int32_t track, std::uint32_t value,
                std::uint32_t delta) {
    ImportSession* h = session.handle();
    switch (kind) {
        case 1: return vlMidiImportKeySet(h, track, value, delta) != 0;
        case 2: return vlMidiImportTimeSet(h, track, value, delta) != 0;
        case 3: return vlMidiImportTempoSet(h, track, value, delta) != 0;
        default: return vlMidiImportAppend(h, track, value, delta) != 0;
    }
}

// The whole walk after a transcription that answered `initialised`; `shownPath` is the file
// name the JSON report gives.
std::unique_ptr<vl::cli::ImportResult> capture(Session& session, const std::string& shownPath,
                                               std::int32_t initialised) {
    ImportSession* h = session.handle();
    auto result = std::make_unique<vl::cli::ImportResult>(
        vl::cli::captureSummary(h, session.path(), initialised));
    result->path = shownPath;
    if (!result->cancelled) vl::cli::captureItemLists(h, *result);
    // As vlmidi import's score: revised against the notes of the file the session read.
    result->playedNotes = vl::cli::readPlayedNotesInFile(session.path());
    return result;
}

py::object itemTuple(const vl::cli::CapturedItem& captured) {
    const ImportItem& item = captured.item;
    py::object text = py::none();
    if (captured.text) text = py::bytes(*captured.text);
    return py::make_tuple(item.type, item.action, item.arg1, item.arg2, item.arg3,
                          vl::cli::describeItem(item), text);
}

py::list itemList(const vl::cli::CapturedItems& items) {
    py::list list;
    for (const vl::cli::CapturedItem& item : items) list.append(itemTuple(item));
    return list;
}

py::object optionalItemList(const std::optional<vl::cli::CapturedItems>& items) {
    if (!items) return py::none();
    return itemList(*items);
}

py::list strandTuples(const vl::cli::ImportResult& result) {
    py::list strands;
    for (const vl::cli::CapturedStrand& strand : result.strands) {
        py::object voicing = strand.voicing ? itemTuple(*strand.voicing) : py::none();
        strands.append(py::make_tuple(strand.trackIndex, std::move(voicing),
                                      itemList(strand.items)));
    }
    return strands;
}

// Every listing line as (type, chunks).
py::list listing(Session& session) {
    ImportSession* h = session.handle();
    py::list lines;
    for (bool on = VlMidiTextLineSetFirst(h) != 0; on; on = VlMidiTextLineSetNext(h) != 0) {
        const std::int16_t type = VlMidiTextLineType(h);
        py::list chunks;
        for (std::uint16_t c = 0; c < kListingChunks; ++c) {
            const char* text = VlMidiTextLineTextChunk(h, c);
            chunks.append(py::bytes(text != nullptr ? text : ""));
        }
        lines.append(py::make_tuple(type, std::move(chunks)));
    }
    return lines;
}

std::optional<std::vector<std::int32_t>> statistics(Session& session) {
    std::vector<std::int32_t> record(29);
    if (VlMidiStatisticsCompute(session.handle(), record.data()) == 0) return std::nullopt;
    return record;
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The vlmidiin library; use the vlmidiin package, which serialises the calls.";

    py::class_<Settings>(m, "Settings")
        .def(py::init<std::optional<bool>, std::optional<bool>, std::optional<int>>(),
             py::arg("swing") = py::none(), py::arg("triplets") = py::none(),
             py::arg("beat") = py::none());

    py::class_<vl::cli::ImportResult>(m, "Result")
        .def_readonly("cancelled", &vl::cli::ImportResult::cancelled)
        .def_readonly("strand_count", &vl::cli::ImportResult::strandCount)
        .def_readonly("error_word", &vl::cli::ImportResult::errorWord)
        .def_property_readonly("start_items",
                               [](const vl::cli::ImportResult& r) {
                                   return optionalItemList(r.startItems);
                               })
        .def_property_readonly(
            "guide", [](const vl::cli::ImportResult& r) { return optionalItemList(r.guide); })
        .def_property_readonly("strands", &strandTuples)
        .def("json",
             [](const vl::cli::ImportResult& r) { return py::bytes(formatJsonReport(r)); })
        .def("musicxml", [](const vl::cli::ImportResult& r) {
            return py::bytes(r.cancelled ? std::string() : vl::cli::formatMusicXml(r));
        });

    py::class_<Session>(m, "Session")
        .def("run", &Session::run, py::arg("command"), py::arg("progress"), py::arg("settings"))
        .def("close", &Session::close)
        .def_property_readonly("closed", &Session::closed)
        .def_property_readonly("error_word",
                               [](const Session& s) { return vlImportError(s.handle()); })
        .def_property_readonly("strand_count",
                               [](const Session& s) { return vlImportStrandCount(s.handle()); })
        .def_property_readonly("markers_present", [](const Session& s) {
            return VlMidiFiducialEventsArePresent(s.handle()) != 0;
        })
        .def("append", &appendLive)
        .def("capture", &capture)
        .def("listing", &listing)
        .def("statistics", &statistics);

    m.def("open", &openFile, py::arg("path"), py::arg("gather"));
    m.def("new_live", &newLive, py::arg("division"), py::arg("tracks"));
}
