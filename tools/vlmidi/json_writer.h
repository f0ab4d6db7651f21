#pragma once
// A small JSON writer for vlmidi's machine-readable output. Texts from MIDI files may hold any
// bytes, so strings are escaped to always give valid JSON: valid UTF-8 passes through, and
// every byte that is not part of a valid UTF-8 sequence becomes \u00XX (its Latin-1 value).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl::cli {

// `bytes` as a JSON string literal, quotes included.
std::string jsonQuoted(std::string_view bytes);

class JsonWriter {
public:
    // Block containers put each member on its own indented line; inline ones keep all members
    // on one line (used for the many small item objects).
    enum class Layout { Block, Inline };

    explicit JsonWriter(std::string& out) : out_(out) {}

    void beginObject(Layout layout = Layout::Block);
    void endObject();
    void beginArray(Layout layout = Layout::Block);
    void endArray();

    // The name of the next member of the current object.
    void key(std::string_view name);

    void string(std::string_view text);
    void number(std::int64_t value);
    void boolean(bool flag);
    void null();

private:
    struct Container {
        Layout layout;
        bool isObject;
        int members = 0;
    };

    void beginValue();
    void begin(char bracket, bool isObject, Layout layout);
    void end(char bracket);
    void newLine();

    std::string& out_;
    std::vector<Container> open_;
    bool afterKey_ = false;
};

}  // namespace vl::cli
