// Every malformed file in tests/data/bad either fails to open (null handle) or
// opens, initialises and is walked to the end through the C interface; the
// sanitizer build turns any bad read, leak or undefined behaviour on the way
// into a failure. tests/data/cases/bad_files.txt says which file does which.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "interface/host_walk.h"
#include "support/case_file.h"
#include "support/source_path.h"

namespace vl::test {
namespace {

namespace fs = std::filesystem;

TEST(BadFiles, each_file_fails_cleanly_or_imports_to_the_end) {
    std::set<std::string> listed;
    const auto cases = readCases("bad_files");
    for (const Case& c : cases) {
        const bool opens = &c != &cases.front();
        std::istringstream names(c["files"]);
        for (std::string name; names >> name;) {
            SCOPED_TRACE(name);
            listed.insert(name);
            const std::string path = sourcePath("tests/data/bad/" + name).string();
            ::ImportSession* s = vlImportOpenFromName(path.c_str());
            ASSERT_EQ(s != nullptr, opens);
            if (s == nullptr) continue;
            const int32_t strands = vlImportInitialise(s);
            EXPECT_GE(strands, 0);
            EXPECT_EQ(vlImportStrandCount(s), strands);
            EXPECT_LT(walkEverything(s), kWalkCeiling);
            vlImportClose(&s);
            EXPECT_EQ(s, nullptr);
        }
    }
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(sourcePath("tests/data/bad")))
        if (entry.path().extension() == ".mid" || entry.path().extension() == ".rmi")
            onDisk.insert(entry.path().filename().string());
    EXPECT_EQ(onDisk, listed);
}

}  // namespace
}  // namespace vl::test
