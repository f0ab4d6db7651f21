// Shared-library start-up: the application object (and with it the settings
// from the per-user store) is created when the library is loaded.
#include "session/import_filter_app.h"

namespace {
__attribute__((constructor)) void loadLibraryWideObjects() { vl::ImportFilterApp::instance(); }
}  // namespace
