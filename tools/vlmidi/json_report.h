#pragma once
// The import as JSON for programs: the summary, the start items, the guide strand and every
// strand with its items (raw fields, type name, action, description, and the text of text
// items). Numbers are the library's own: zero-based track and channel indexes.

#include <string>

#include "import_result.h"

namespace vl::cli {

// The whole document, ending with a newline.
std::string formatJsonReport(const ImportResult& result);

}  // namespace vl::cli
