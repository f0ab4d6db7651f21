// Field layout of the JSON report.

#include "json_report.h"

#include "item_printer.h"
#include "json_writer.h"

namespace vl::cli {

namespace {

using Layout = JsonWriter::Layout;

void writeItem(JsonWriter& json, const CapturedItem& captured) {
    const ImportItem& item = captured.item;
    json.beginObject(Layout::Inline);
    json.key("type");
    json.number(item.type);
    json.key("typeName");
    json.string(itemTypeName(item.type));
    json.key("action");
    json.number(item.action);
    json.key("arg1");
    json.number(item.arg1);
    json.key("arg2");
    json.number(item.arg2);
    json.key("arg3");
    json.number(item.arg3);
    json.key("description");
    json.string(describeItem(item));
    if (isTextItem(item)) {
        json.key("textIndex");
        json.number(textItemIndex(item));
        json.key("text");
        if (captured.text) {
            json.string(*captured.text);
        } else {
            json.null();
        }
    }
    json.endObject();
}

void writeItems(JsonWriter& json, const CapturedItems& items) {
    json.beginArray();
    for (const CapturedItem& captured : items) writeItem(json, captured);
    json.endArray();
}

void writeOptionalItems(JsonWriter& json, const char* name,
                        const std::optional<CapturedItems>& items) {
    json.key(name);
    if (items) {
        writeItems(json, *items);
    } else {
        json.null();
    }
}

void writeHeader(JsonWriter& json, const std::optional<MidiHeaderFacts>& header) {
    json.key("header");
    if (!header) {
        json.null();
        return;
    }
    json.beginObject(Layout::Inline);
    json.key("format");
    json.number(header->format);
    json.key("tracks");
    json.number(header->trackCount);
    json.key("division");
    json.number(header->division);
    json.endObject();
}

void writeStrand(JsonWriter& json, const CapturedStrand& strand) {
    json.beginObject();
    json.key("index");
    json.number(strand.index);
    json.key("trackIndex");
    if (strand.trackIndex) {
        json.number(*strand.trackIndex);
    } else {
        json.null();
    }
    json.key("channel");
    if (strand.voicing) {
        json.number(strand.voicing->item.arg1);
    } else {
        json.null();
    }
    json.key("voicing");
    if (strand.voicing) {
        writeItem(json, *strand.voicing);
    } else {
        json.null();
    }
    json.key("items");
    writeItems(json, strand.items);
    json.endObject();
}

}  // namespace

std::string formatJsonReport(const ImportResult& result) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("file");
    json.string(result.path);
    writeHeader(json, result.header);
    json.key("cancelled");
    json.boolean(result.cancelled);
    json.key("strandCount");
    json.number(result.strandCount);
    json.key("errorWord");
    json.number(result.errorWord);
    if (!result.cancelled) {
        writeOptionalItems(json, "startItems", result.startItems);
        writeOptionalItems(json, "guide", result.guide);
        json.key("strands");
        json.beginArray();
        for (const CapturedStrand& strand : result.strands) writeStrand(json, strand);
        json.endArray();
    }
    json.endObject();
    return out;
}

}  // namespace vl::cli
