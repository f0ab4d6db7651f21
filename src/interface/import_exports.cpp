// Import interface: open, initialise, walk and close a session.
#include <cstdio>
#include <string>

#include "interface/export_guard.h"
#include "platform/dialog_runner.h"
#include "platform/open_file_request.h"

using vl::guarded;
using vl::guardedVoid;
using vl::toBool;
using vl::withSession;
using vl::handleOf;
using vl::sessionOf;
using vl::ImportFilterApp;

namespace {

constexpr const char* kOpenErrorCaption = "Error opening MIDI file";

// Asks the user for a file; empty when cancelled or failed (a failure is
// reported in a message box).
std::string askForMidiFile(void* parentWindow) {
    std::string path;
    uint32_t errorCode = 0;
    vl::OpenFileRequest request = vl::importOpenFileRequest();
    // The panel's "&Configure" button edits the file settings.
    request.onConfigure = [](void* panel) { ImportFilterApp::instance().configure(panel, 0); };
    if (vl::currentDialogRunner().askOpenFile(request, parentWindow, path, errorCode)) return path;
    if (errorCode != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Error %x on opening file", errorCode);
        vl::showMessageBox(parentWindow, text, kOpenErrorCaption, vl::kIconWarning);
    }
    return {};
}

// One step of the host's walk for a non-null handle.
template <class Step>
vlBool walkStep(ImportSession* h, Step&& step) {
    return withSession(h, vlBool{0}, [&](vl::ImportSession& s) { return toBool(step(s.walk())); });
}

}  // namespace

extern "C" {

VLMIDIIN_API int32_t vlImportVersion(void) { return 1; }

VLMIDIIN_API const char* vlImportFormatName(void) { return ImportFilterApp::kFormatName; }

VLMIDIIN_API ImportSession* vlImportOpen(void* parentWindow, uint32_t progressMessage,
                                         const char* path) {
    return guarded<::ImportSession*>(nullptr, [&]() -> ::ImportSession* {
        ImportFilterApp& app = ImportFilterApp::instance();
        app.setHostWindow(parentWindow, progressMessage);
        std::string chosen = (path != nullptr && path[0] != 0) ? std::string(path)
                                                                : askForMidiFile(parentWindow);
        if (chosen.empty()) return nullptr;
        auto session = vl::ImportSession::fromFile(chosen, app);
        if ((session->error() & (vl::error::Unreadable | vl::error::Reserved)) != 0) return nullptr;
        return handleOf(session.release());
    });
}

VLMIDIIN_API ImportSession* vlImportOpenFromName(const char* path) {
    if (path == nullptr) return nullptr;
    return guarded<::ImportSession*>(nullptr, [&]() -> ::ImportSession* {
        auto session = vl::ImportSession::fromFile(path);
        if (session->error() != 0) return nullptr;
        return handleOf(session.release());
    });
}

VLMIDIIN_API int32_t vlImportInitialise(ImportSession* h) {
    return withSession(h, int32_t{0}, [](vl::ImportSession& s) { return s.transcribe(); });
}

VLMIDIIN_API void vlImportClose(ImportSession** handleVariable) {
    if (handleVariable == nullptr || *handleVariable == nullptr) return;
    guardedVoid([&] { delete sessionOf(*handleVariable); });
    *handleVariable = nullptr;
}

VLMIDIIN_API int32_t vlImportError(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return static_cast<int32_t>(s.error()); });
}

VLMIDIIN_API int32_t vlImportStrandCount(ImportSession* h) {
    return withSession(h, int32_t{0},
                       [](vl::ImportSession& s) { return s.analysis().strandCount(); });
}

VLMIDIIN_API vlBool vlImportGetFirstStrand(ImportSession* h) {
    return walkStep(h, [](vl::ItemWalk& w) { return w.openFirstStrand(); });
}

VLMIDIIN_API vlBool vlImportGetNextStrand(ImportSession* h) {
    return walkStep(h, [](vl::ItemWalk& w) { return w.openNextStrand(); });
}

VLMIDIIN_API vlBool vlImportGetGuideStrand(ImportSession* h) {
    return walkStep(h, [](vl::ItemWalk& w) { return w.openGuideStrand(); });
}

VLMIDIIN_API vlBool vlImportGetStartItems(ImportSession* h) {
    return walkStep(h, [](vl::ItemWalk& w) { return w.openStartItems(); });
}

VLMIDIIN_API vlBool vlImportGetStartVoicing(ImportSession* h, ImportItem* item) {
    return walkStep(h, [&](vl::ItemWalk& w) { return w.startVoicing(item); });
}

VLMIDIIN_API vlBool vlImportGetFirstItem(ImportSession* h, ImportItem* item) {
    return walkStep(h, [&](vl::ItemWalk& w) { return w.firstItem(item); });
}

VLMIDIIN_API vlBool vlImportGetNextItem(ImportSession* h, ImportItem* item) {
    return walkStep(h, [&](vl::ItemWalk& w) { return w.nextItem(item); });
}

VLMIDIIN_API vlBool vlImportConfigure(void* parentWindow, int32_t selector) {
    return guarded(vlBool{0},
                   [&] { return toBool(ImportFilterApp::instance().configure(parentWindow, selector)); });
}

}  // extern "C"
