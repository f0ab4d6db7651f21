#include "settings/settings_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vl {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCompanyDirectory = "Tolvek Software";
constexpr const char* kFileName = "vlmidiin.ini";

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// Accepts an optional sign and decimal digits, nothing else. Values up to
// 2^32 - 1 are taken as the 32-bit word they would be stored as.
bool parseInteger(std::string_view text, int32_t& result) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    uint64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (magnitude > UINT32_MAX) return false;
    }
    if (negative && magnitude > static_cast<uint64_t>(INT32_MAX) + 1) return false;
    const uint32_t word = negative ? static_cast<uint32_t>(0 - magnitude)
                                   : static_cast<uint32_t>(magnitude);
    result = static_cast<int32_t>(word);
    return true;
}

bool isComment(std::string_view line) {
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Names must read back as themselves: not empty, no surrounding blanks and
// nothing that ends a line; a value name must not open a comment or a header
// or hold "=", a section name must not hold "]".
bool isPlainName(std::string_view name) {
    return !name.empty() && trim(name) == name &&
           name.find_first_of(std::string_view("\0\n\r", 3)) == std::string_view::npos;
}

bool isUsableName(std::string_view name) {
    return isPlainName(name) && !isComment(name) && name.front() != '[' &&
           name.find('=') == std::string_view::npos;
}

bool isUsableSectionName(std::string_view name) {
    return isPlainName(name) && name.find(']') == std::string_view::npos;
}

std::string readFilePrefix(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(limit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(limit));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return text;
}

std::string temporaryPathBeside(const fs::path& target) {
    static std::atomic<uint32_t> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return target.string() + ".tmp-" + std::to_string(ticks) + "-" +
           std::to_string(counter.fetch_add(1));
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Creates a new file at path holding text, flushed to the disk before it
// counts as written; a file that fails is removed again.
bool writeNewFileDurably(const std::string& path, std::string_view text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool flushed = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (flushed && closed) return true;
    ::unlink(path.c_str());
    return false;
}

// Makes a rename in directory last across a crash. The file is already in
// place and readable, so a directory that cannot be flushed does not undo
// the save.
void flushDirectory(const fs::path& directory) {
    const std::string name = directory.empty() ? "." : directory.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {
    sections_.push_back(Section{});
}

std::string SettingsStore::defaultPath() {
    fs::path base;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && fs::path(configHome).is_absolute()) {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || !fs::path(home).is_absolute()) return {};
        base = fs::path(home) / ".config";
    }
    return (base / kCompanyDirectory / kFileName).string();
}

void SettingsStore::load() {
    sections_.assign(1, Section{});
    if (path_.empty()) return;
    try {
        parse(readFilePrefix(path_, kMaxFileSize));
    } catch (const std::exception&) {
        sections_.assign(1, Section{});
    }
}

void SettingsStore::parse(std::string_view text) {
    Section* current = &sections_.front();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view line = trim(raw);
        if (line.empty()) continue;
        if (isComment(line)) {
            current->lines.push_back(Line{{}, std::string(line)});
        } else if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            const std::string_view name = trim(line.substr(1, close - 1));
            if (!isUsableSectionName(name)) continue;
            current = &sectionNamed(name);
        } else {
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) continue;
            const std::string_view name = trim(line.substr(0, equals));
            if (!isUsableName(name)) continue;
            current->lines.push_back(
                Line{std::string(name), std::string(trim(line.substr(equals + 1)))});
        }
    }
}

const SettingsStore::Line* SettingsStore::findValue(std::string_view section,
                                                    std::string_view name) const {
    for (std::size_t s = 1; s < sections_.size(); ++s) {
        if (!equalsIgnoringCase(sections_[s].name, section)) continue;
        for (const Line& line : sections_[s].lines)
            if (equalsIgnoringCase(line.name, name)) return &line;
    }
    return nullptr;
}

SettingsStore::Section& SettingsStore::sectionNamed(std::string_view section) {
    for (std::size_t s = 1; s < sections_.size(); ++s)
        if (equalsIgnoringCase(sections_[s].name, section)) return sections_[s];
    sections_.push_back(Section{std::string(section), {}});
    return sections_.back();
}

int32_t SettingsStore::readInt(std::string_view section, std::string_view name,
                               int32_t defaultValue) const {
    const Line* line = findValue(section, name);
    int32_t value = 0;
    if (line == nullptr || !parseInteger(line->value, value)) return defaultValue;
    return value;
}

void SettingsStore::writeInt(std::string_view section, std::string_view name, int32_t value) {
    if (!isUsableSectionName(section) || !isUsableName(name)) return;
    Section& target = sectionNamed(section);
    for (Line& line : target.lines) {
        if (equalsIgnoringCase(line.name, name)) {
            line.value = std::to_string(value);
            return;
        }
    }
    target.lines.push_back(Line{std::string(name), std::to_string(value)});
}

std::string SettingsStore::serialise() const {
    std::string text;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (s > 0) {
            if (!text.empty()) text += '\n';
            text += '[' + section.name + "]\n";
        }
        for (const Line& line : section.lines)
            text += line.name.empty() ? line.value + '\n' : line.name + '=' + line.value + '\n';
    }
    return text;
}

bool SettingsStore::save() const {
    if (path_.empty()) return false;
    std::string temporary;
    try {
        const fs::path target(path_);
        const std::string text = serialise();
        std::error_code error;
        if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
        temporary = temporaryPathBeside(target);
        // Flushed before the rename, so that after a crash the target holds
        // either the old text or the whole new one.
        if (!writeNewFileDurably(temporary, text)) return false;
        fs::rename(temporary, target, error);
        if (error) {
            fs::remove(temporary, error);
            return false;
        }
        flushDirectory(target.parent_path());
        return true;
    } catch (const std::exception&) {
        if (!temporary.empty()) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
        }
        return false;
    }
}

}  // namespace vl
