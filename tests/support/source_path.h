#pragma once
// Where the project's sources are, for tests that read data files.
#include <filesystem>
#include <string>

namespace vl::test {

// The path of `relative` inside the source tree ("tests/data/bad").
std::filesystem::path sourcePath(const std::string& relative);

}  // namespace vl::test
