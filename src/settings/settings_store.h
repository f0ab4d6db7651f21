#pragma once
// The per-user settings store: an INI file of sections holding integer
// values by name. Loading never fails (a missing or unreadable file is an
// empty store); saving replaces the file atomically.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl {

class SettingsStore {
public:
    // A file larger than this is read only up to this size.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    explicit SettingsStore(std::string path);

    // $XDG_CONFIG_HOME/Tolvek Software/vlmidiin.ini, or the same below
    // $HOME/.config; empty when neither variable gives an absolute directory.
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    // Replaces the contents with those of the file; a missing or unreadable
    // file leaves the store empty.
    void load();
    // Section and value names compare without regard to ASCII case. A value
    // that is missing or not a decimal integer gives defaultValue.
    int32_t readInt(std::string_view section, std::string_view name, int32_t defaultValue) const;
    void writeInt(std::string_view section, std::string_view name, int32_t value);
    // Writes a temporary file beside the target, flushes it to the disk and
    // renames it over the target (then flushes the directory), creating the
    // directory when needed. Returns true when the file was replaced; on
    // failure the previous file is left as it was.
    bool save() const;

private:
    // One line of a section: a value (name non-empty) or a kept comment.
    struct Line {
        std::string name;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    void parse(std::string_view text);
    std::string serialise() const;
    const Line* findValue(std::string_view section, std::string_view name) const;
    Section& sectionNamed(std::string_view section);

    std::string path_;
    std::vector<Section> sections_;  // sections_[0] holds lines before any header
};

}  // namespace vl
