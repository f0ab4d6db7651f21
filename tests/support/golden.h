#pragma once
// Expected outputs kept as files in tests/data/golden/. A test compares what
// it produced with its file; run the tests with VLMIDIIN_UPDATE_GOLDEN=1 in
// the environment to write the files from the output instead, when a change
// of the output is intended, and review their diff in the commit.

#include <string>

namespace vl::test {

// Expects text to equal the golden file `name` (or writes it, see above).
void expectGolden(const std::string& name, const std::string& text);

}  // namespace vl::test
