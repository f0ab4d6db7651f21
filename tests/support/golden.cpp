#include "support/golden.h"
#include "support/source_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vl::test {

namespace {

std::filesystem::path goldenPath(const std::string& name) {
    return sourcePath("tests/data/golden") / name;
}

bool updating() {
    const char* flag = std::getenv("VLMIDIIN_UPDATE_GOLDEN");
    return flag != nullptr && *flag != '\0' && std::string(flag) != "0";
}

}  // namespace

void expectGolden(const std::string& name, const std::string& text) {
    const std::filesystem::path path = goldenPath(name);
    if (updating()) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << path << " (VLMIDIIN_UPDATE_GOLDEN=1 writes it)";
    const std::string expected{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text, expected) << "differs from " << path;
}

}  // namespace vl::test
