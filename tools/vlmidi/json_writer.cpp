// JSON string escaping and the writer's bookkeeping of commas, indentation and nesting.

#include "json_writer.h"

#include <cstdio>

#include "utf8.h"

namespace vl::cli {

namespace {

void appendUnicodeEscape(std::string& out, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", value);
    out += escape;
}

// The two-character escape JSON has for a byte, or 0.
char shortEscape(unsigned char byte) {
    switch (byte) {
        case '"': return '"';
        case '\\': return '\\';
        case '\b': return 'b';
        case '\f': return 'f';
        case '\n': return 'n';
        case '\r': return 'r';
        case '\t': return 't';
        default: return 0;
    }
}

}  // namespace

std::string jsonQuoted(std::string_view bytes) {
    std::string out = "\"";
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) {
            const std::size_t length = leadingUtf8Sequence(bytes.substr(i)).length;
            if (length == 0) {
                appendUnicodeEscape(out, byte);
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        if (const char escape = shortEscape(byte); escape != 0) {
            out += '\\';
            out += escape;
        } else if (byte < 0x20 || byte == 0x7F) {
            appendUnicodeEscape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return out + "\"";
}

void JsonWriter::newLine() {
    out_ += '\n';
    out_.append(2 * open_.size(), ' ');
}

// Puts the separator that goes before a value: nothing after a key or at the top level, else a
// comma when the container already has members, and the line break of a block container.
void JsonWriter::beginValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;
    Container& container = open_.back();
    if (container.members > 0) out_ += container.layout == Layout::Inline ? ", " : ",";
    if (container.layout == Layout::Block) newLine();
    ++container.members;
}

void JsonWriter::begin(char bracket, bool isObject, Layout layout) {
    beginValue();
    // Inside an inline container everything stays on its line.
    if (!open_.empty() && open_.back().layout == Layout::Inline) layout = Layout::Inline;
    out_ += bracket;
    open_.push_back(Container{layout, isObject});
}

void JsonWriter::end(char bracket) {
    if (open_.empty()) return;
    const Container closed = open_.back();
    open_.pop_back();
    if (closed.layout == Layout::Block && closed.members > 0) newLine();
    out_ += bracket;
    if (open_.empty()) out_ += '\n';
}

void JsonWriter::beginObject(Layout layout) { begin('{', true, layout); }
void JsonWriter::endObject() { end('}'); }
void JsonWriter::beginArray(Layout layout) { begin('[', false, layout); }
void JsonWriter::endArray() { end(']'); }

void JsonWriter::key(std::string_view name) {
    beginValue();
    out_ += jsonQuoted(name);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
    beginValue();
    out_ += jsonQuoted(text);
}

void JsonWriter::number(std::int64_t value) {
    beginValue();
    out_ += std::to_string(value);
}

void JsonWriter::boolean(bool flag) {
    beginValue();
    out_ += flag ? "true" : "false";
}

void JsonWriter::null() {
    beginValue();
    out_ += "null";
}

}  // namespace vl::cli
