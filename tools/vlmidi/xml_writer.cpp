// XML escaping and the writer's indentation and nesting.

#include "xml_writer.h"

#include <cstdint>

#include "utf8.h"

namespace vl::cli {

namespace {

// Length of the valid UTF-8 sequence at the start of `bytes`, or 0 when it is not one; the
// non-characters U+FFFE and U+FFFF, which XML does not allow, count as invalid too.
std::size_t validUtf8Length(std::string_view bytes) {
    const Utf8Sequence sequence = leadingUtf8Sequence(bytes);
    if (sequence.codePoint == 0xFFFE || sequence.codePoint == 0xFFFF) return 0;
    return sequence.length;
}

void appendLatin1(std::string& out, unsigned char byte) {
    out += static_cast<char>(0xC0 | byte >> 6);
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

bool allowedControl(unsigned char byte) { return byte == '\t' || byte == '\n' || byte == '\r'; }

}  // namespace

std::string xmlEscaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80) {
            const std::size_t length = validUtf8Length(bytes.substr(i));
            if (length == 0) {
                appendLatin1(out, byte);
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (byte) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (byte >= 0x20 || allowedControl(byte)) out += static_cast<char>(byte);
                break;
        }
        ++i;
    }
    return out;
}

XmlWriter::XmlWriter() : out_("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n") {}

void XmlWriter::doctype(std::string_view declaration) {
    out_ += "<!DOCTYPE ";
    out_ += declaration;
    out_ += ">\n";
}

void XmlWriter::startTag(std::string_view name, const XmlAttributes& attributes) {
    out_.append(open_.size() * 2, ' ');
    out_ += '<';
    out_ += name;
    for (const auto& [key, value] : attributes) {
        out_ += ' ' + key + "=\"" + xmlEscaped(value) + '"';
    }
}

void XmlWriter::open(std::string_view name, const XmlAttributes& attributes) {
    startTag(name, attributes);
    out_ += ">\n";
    open_.emplace_back(name);
}

void XmlWriter::close() {
    if (open_.empty()) return;
    out_.append((open_.size() - 1) * 2, ' ');
    out_ += "</" + open_.back() + ">\n";
    open_.pop_back();
}

void XmlWriter::element(std::string_view name, std::string_view text,
                        const XmlAttributes& attributes) {
    startTag(name, attributes);
    out_ += '>';
    out_ += xmlEscaped(text);
    out_ += "</";
    out_ += name;
    out_ += ">\n";
}

void XmlWriter::empty(std::string_view name, const XmlAttributes& attributes) {
    startTag(name, attributes);
    out_ += "/>\n";
}

std::string XmlWriter::finish() {
    while (!open_.empty()) close();
    return std::move(out_);
}

}  // namespace vl::cli
