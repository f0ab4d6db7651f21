#include "support/case_file.h"
#include "support/source_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vl::test {

const std::string& Case::operator[](const std::string& key) const {
    static const std::string none;
    const auto it = values_.find(key);
    if (it != values_.end()) return it->second;
    ADD_FAILURE() << "case [" << name << "] (line " << line << ") has no '" << key << "'";
    return none;
}

std::string Case::oneLine(const std::string& key) const {
    std::string text = (*this)[key];
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

long long Case::number(const std::string& key, long long fallback) const {
    return has(key) ? std::stoll((*this)[key], nullptr, 0) : fallback;
}

std::vector<Case> readCases(const std::string& name) {
    const auto path =
        sourcePath("tests/data/cases/" + name + ".txt");
    std::ifstream in(path);
    std::vector<Case> cases;
    std::string line;
    std::string lastKey;
    for (int no = 1; std::getline(in, line); ++no) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[' && line.back() == ']') {
            cases.emplace_back();
            cases.back().name = line.substr(1, line.size() - 2);
            cases.back().line = no;
            lastKey.clear();
        } else if (line[0] == ' ' || line[0] == '\t') {
            if (cases.empty() || lastKey.empty()) {
                ADD_FAILURE() << path << ":" << no << ": continuation without a key";
                continue;
            }
            cases.back().extend(lastKey, line.substr(line.find_first_not_of(" \t")));
        } else if (const size_t colon = line.find(':');
                   colon != std::string::npos && !cases.empty()) {
            lastKey = line.substr(0, colon);
            const size_t value = line.find_first_not_of(' ', colon + 1);
            cases.back().set(lastKey, value == std::string::npos ? "" : line.substr(value));
        } else {
            ADD_FAILURE() << path << ":" << no << ": neither a case, a key nor a comment";
        }
    }
    EXPECT_FALSE(cases.empty()) << "no cases in " << path;
    return cases;
}

std::string where(const std::string& file, const Case& c) {
    return file + ".txt:" + std::to_string(c.line) + " [" + c.name + "]";
}

}  // namespace vl::test
