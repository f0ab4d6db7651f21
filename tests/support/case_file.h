#pragma once
// Table cases kept as text in tests/data/cases/<name>.txt, one runner per table.
//
//   # a comment
//   [a note across the bar line is split]
//   in: 0 on 0 60, 384 off 0 60
//   out: 0 on 0 60, 192 KQVLBAR, ...
//       a line that starts with a space continues the value above it
//
// A case starts with its name in brackets; then "key: value" lines.
#include <map>
#include <string>
#include <vector>

namespace vl::test {

class Case {
public:
    std::string name;
    int line = 0;  // where the case starts in its file, for failure messages

    bool has(const std::string& key) const { return values_.count(key) != 0; }
    // The value of key; a missing key fails the test and gives "".
    const std::string& operator[](const std::string& key) const;
    // The value of key on one line, its continuation lines joined with a space (track texts).
    std::string oneLine(const std::string& key) const;
    // The value of key as a number (decimal, or hexadecimal after 0x), or fallback when absent.
    long long number(const std::string& key, long long fallback = 0) const;

    void set(const std::string& key, const std::string& value) { values_[key] = value; }
    void extend(const std::string& key, const std::string& more) { values_[key] += "\n" + more; }

private:
    std::map<std::string, std::string> values_;
};

// The cases of tests/data/cases/<name>.txt; a file that is missing or has no
// case fails the test.
std::vector<Case> readCases(const std::string& name);

// "<file>:<line> [<case name>]", for SCOPED_TRACE.
std::string where(const std::string& file, const Case& c);

}  // namespace vl::test
