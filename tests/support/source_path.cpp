#include "support/source_path.h"

namespace vl::test {

std::filesystem::path sourcePath(const std::string& relative) {
    return std::filesystem::path(VLMIDIIN_SOURCE_DIR) / relative;
}

}  // namespace vl::test
