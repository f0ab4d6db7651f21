#pragma once
// A small streaming XML writer for the MusicXML export: nested elements indented by two spaces,
// attributes and character data escaped, and text from MIDI files made valid UTF-8 XML.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vl::cli {

// `bytes` as XML character data or attribute value: & < > " ' escaped; valid UTF-8 sequences
// kept; any other byte above 0x7F read as Latin-1 (MIDI texts often are); control bytes that
// XML 1.0 cannot hold (all below 0x20 but tab, newline and carriage return) left out.
std::string xmlEscaped(std::string_view bytes);

using XmlAttributes = std::vector<std::pair<std::string, std::string>>;

class XmlWriter {
public:
    // Starts the document with the XML declaration.
    XmlWriter();

    void doctype(std::string_view declaration);
    void open(std::string_view name, const XmlAttributes& attributes = {});
    void close();
    // <name attributes>text</name> on one line.
    void element(std::string_view name, std::string_view text,
                 const XmlAttributes& attributes = {});
    // <name attributes/>
    void empty(std::string_view name, const XmlAttributes& attributes = {});

    // Closes every element still open and hands over the document.
    std::string finish();

private:
    void startTag(std::string_view name, const XmlAttributes& attributes);

    std::string out_;
    std::vector<std::string> open_;
};

}  // namespace vl::cli
