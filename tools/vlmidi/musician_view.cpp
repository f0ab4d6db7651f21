// Rendering of item lists bar by bar.

#include "musician_view.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <string_view>

#include "item_printer.h"
#include "notation_names.h"

namespace vl::cli {

namespace {

enum ItemType : std::uint16_t {
    kMidiNote = 1,
    kNote = 2,
    kRest = 3,
    kBarline = 4,
    kTimeSignature = 5,
    kKeySignature = 6,
    kTempo = 7,
    kClef = 8,
    kProgramChange = 9,
    kSwingStyle = 10,
    kTitle = 4103,
};

constexpr std::uint8_t kClusterAction = 2;
constexpr std::uint8_t kTrebleClef = 1;
constexpr std::uint8_t kBassClef = 2;
constexpr std::uint8_t kNoProgram = 255;

bool isNote(const ImportItem& item) { return item.type == kMidiNote || item.type == kNote; }

int signedByte(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }

unsigned beatsPerMinute(const ImportItem& tempo) {
    return static_cast<unsigned>(tempo.arg2) | static_cast<unsigned>(tempo.arg3) << 8;
}

std::string shortKeyName(const ImportItem& key) {
    const int sharps = signedByte(key.arg1);
    const std::string name = keySignatureName(sharps, key.arg2 != 0);
    // "G major" -> "G", "E minor" -> "Em"; counts beyond seven keep the long form.
    const std::size_t space = name.find(' ');
    if (sharps < -7 || sharps > 7 || space == std::string::npos) return name;
    return name.substr(0, space) + (key.arg2 != 0 ? "m" : "");
}

// "name" for track names, "title" for the start items' title, ...; empty for no known kind.
std::string textKindName(std::uint16_t type) {
    switch (type) {
        case 4096: return "text";
        case 4097: return "notice";
        case 4098: return "name";
        case 4099: return "instrument";
        case 4100: return "lyric";
        case 4101: return "marker";
        case 4102: return "cue";
        case kTitle: return "title";
        default: return {};
    }
}

// "[" + the parts + "]", appended in place (no temporaries per part).
std::string bracketed(std::initializer_list<std::string_view> parts) {
    std::string out(1, '[');
    for (const std::string_view part : parts) out += part;
    out += ']';
    return out;
}

std::string textValue(const CapturedItem& captured) {
    return captured.text ? quoteText(captured.text->c_str()) : std::string("(no text)");
}

std::string clefName(std::uint8_t clef) {
    if (clef == kTrebleClef) return "treble";
    if (clef == kBassClef) return "bass";
    return "clef " + std::to_string(clef);
}

std::string programName(unsigned program, unsigned channel) {
    const std::string number = "program " + std::to_string(program);
    if (channel == kPercussionChannel) {
        return program == kNoProgram ? "percussion" : "percussion (" + number + ")";
    }
    if (program == kNoProgram) return "no program change";
    const char* name = instrumentName(program);
    return name[0] == '\0' ? number : std::string(name) + " (" + number + ")";
}

// Collects the notes and rests of one list into bars. Each bar's tokens are
// written straight into its text, so a note costs no string of its own.
class BarWriter {
public:
    BarWriter(int keySharps, const CapturedItem* skip) : keySharps_(keySharps), skip_(skip) {}

    void add(const CapturedItem& captured) {
        if (&captured == skip_) return;
        const ImportItem& item = captured.item;
        if (isNote(item) && item.action == kClusterAction && chordOpen_) {
            chordKeys_.push_back(item.arg1);
            return;
        }
        flushChord();
        if (isNote(item)) {
            startChord(item);
        } else if (item.type == kRest) {
            addRest(item);
        } else if (item.type == kBarline) {
            bars_.push_back(Bar{static_cast<int>(bars_.size()), {}});
        } else {
            if (item.type == kKeySignature) keySharps_ = signedByte(item.arg1);
            addToken(formatInlineItem(captured));
        }
    }

    // The bars as printed: one line per bar, indented by two spaces.
    std::string finish() {
        flushChord();
        // A bar line with nothing after it closes the music: it is drawn as the final "||".
        bool finalBarline = false;
        if (bars_.size() > 2 && bars_.back().tokens.empty()) {
            bars_.pop_back();
            finalBarline = true;
        }
        std::string lastLabel;
        appendLabel(lastLabel, static_cast<int>(bars_.size()) - 1);
        const std::size_t width = lastLabel.size();
        std::size_t size = 0;
        for (const Bar& bar : bars_) size += bar.tokens.size() + width + 8;
        std::string text;
        text.reserve(size);
        for (const Bar& bar : bars_) {
            if (bar.number == 0 && bar.tokens.empty()) continue;
            text += "  ";
            const std::size_t labelStart = text.size();
            appendLabel(text, bar.number);
            const std::size_t labelLength = text.size() - labelStart;
            if (labelLength < width) text.append(width - labelLength, ' ');
            text += " |";
            // Each token was written as " token ", so neighbours stand two spaces apart.
            text += bar.tokens;
            if (!bar.tokens.empty()) text.pop_back();
            text += (finalBarline && &bar == &bars_.back()) ? " ||\n" : " |\n";
        }
        return text;
    }

private:
    struct Bar {
        int number;          // 0 for what comes before the first bar line
        std::string tokens;  // " token " for each token, in order
    };

    static void appendLabel(std::string& out, int number) {
        if (number == 0) {
            out += "start";
            return;
        }
        out += "bar ";
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        out.append(digits, end);
    }

    std::string& openToken() {
        std::string& tokens = bars_.back().tokens;
        tokens += ' ';
        return tokens;
    }

    void addToken(std::string_view token) { openToken().append(token) += ' '; }

    void addRest(const ImportItem& rest) {
        std::string& out = openToken();
        out += tupletPrefix(rest.arg3);
        if (rest.arg2 == kWholeBarRestCode) {
            out += 'R';
        } else {
            out += "r ";
            appendNoteValueName(out, rest.arg2);
        }
        out += ' ';
    }

    void startChord(const ImportItem& note) {
        chordOpen_ = true;
        chordFlags_ = note.arg3;
        chordValue_ = note.arg2;
        chordKeys_.assign(1, note.arg1);
    }

    // "C4 q", or "[C4 E4 G4]q" for a chord; "~" marks a tie, "3:" a triplet.
    void flushChord() {
        if (!chordOpen_) return;
        chordOpen_ = false;
        std::string& out = openToken();
        if ((chordFlags_ & kTieFlag) != 0) out += '~';
        out += tupletPrefix(chordFlags_);
        const bool flats = keySharps_ < 0;
        if (chordKeys_.size() == 1) {
            appendPitchName(out, chordKeys_.front(), flats);
            out += ' ';
        } else {
            // A musician reads a chord from the bottom up.
            std::sort(chordKeys_.begin(), chordKeys_.end());
            out += '[';
            for (const std::uint8_t key : chordKeys_) {
                appendPitchName(out, key, flats);
                out += ' ';
            }
            out.back() = ']';
        }
        appendNoteValueName(out, chordValue_);
        out += ' ';
    }

    int keySharps_;
    const CapturedItem* skip_;
    std::vector<Bar> bars_{Bar{0, {}}};
    bool chordOpen_ = false;
    std::uint8_t chordFlags_ = 0;
    std::uint8_t chordValue_ = 0;
    std::vector<std::uint8_t> chordKeys_;  // the leading note's first
};

// The value column of one start item.
std::string startItemValue(const CapturedItem& captured) {
    const ImportItem& item = captured.item;
    switch (item.type) {
        case kKeySignature: {
            const int sharps = signedByte(item.arg1);
            return keySignatureName(sharps, item.arg2 != 0) + " (" + accidentalCount(sharps) + ")";
        }
        case kTimeSignature: return timeSignatureName(item.arg1, item.arg2);
        case kTempo:
            return noteValueName(item.arg1) + " = " + std::to_string(beatsPerMinute(item));
        case kSwingStyle:
            return item.arg1 == 0 ? "straight" : "swung (" + std::to_string(item.arg1) + ")";
        default:
            if (isTextItem(item)) return textValue(captured);
            return formatInlineItem(captured);
    }
}

std::string startItemLabel(const ImportItem& item) {
    switch (item.type) {
        case kKeySignature: return "key";
        case kTimeSignature: return "time";
        case kTempo: return "tempo";
        case kSwingStyle: return "swing";
        default: {
            const std::string kind = textKindName(item.type);
            return kind.empty() ? itemTypeName(item.type) : kind;
        }
    }
}

int startKey(const ImportResult& result) {
    if (!result.startItems) return 0;
    for (const CapturedItem& captured : *result.startItems) {
        if (captured.item.type == kKeySignature) return signedByte(captured.item.arg1);
    }
    return 0;
}

void printStartItems(const CapturedItems& items, std::FILE* out) {
    std::fprintf(out, "\nstart items\n");
    for (const CapturedItem& captured : items) {
        std::fprintf(out, "  %-8s %s\n", startItemLabel(captured.item).c_str(),
                     startItemValue(captured).c_str());
    }
}

void printBars(const std::string& lines, std::FILE* out) {
    std::fwrite(lines.data(), 1, lines.size(), out);
}

const CapturedItem* findClef(const CapturedItems& items) {
    const auto clef = std::find_if(items.begin(), items.end(), [](const CapturedItem& c) {
        return c.item.type == kClef;
    });
    return clef == items.end() ? nullptr : &*clef;
}

std::string strandHeading(const CapturedStrand& strand, std::int32_t strandCount,
                          const CapturedItem* clef) {
    std::string heading = "strand " + std::to_string(strand.index + 1) + " of " +
                          std::to_string(strandCount) + ": track ";
    heading += strand.trackIndex ? std::to_string(*strand.trackIndex + 1) : std::string("?");
    if (strand.voicing) {
        const ImportItem& voicing = strand.voicing->item;
        heading += ", channel " + std::to_string(channelNumber(voicing.arg1)) + ", " +
                   programName(voicing.arg2, voicing.arg1);
    }
    heading += clef != nullptr ? ", " + clefName(clef->item.arg1) + " clef" : ", no notes";
    return heading;
}

}  // namespace

std::string formatInlineItem(const CapturedItem& captured) {
    const ImportItem& item = captured.item;
    switch (item.type) {
        case kTimeSignature: return bracketed({timeSignatureName(item.arg1, item.arg2)});
        case kKeySignature: return bracketed({"key ", shortKeyName(item)});
        case kTempo:
            return bracketed(
                {noteValueName(item.arg1), "=", std::to_string(beatsPerMinute(item))});
        case kClef: return bracketed({clefName(item.arg1)});
        case kProgramChange:
            return bracketed({"prog ", std::to_string(item.arg2), " ch",
                              std::to_string(channelNumber(item.arg1))});
        case kSwingStyle: return bracketed({"swing ", std::to_string(item.arg1)});
        default: break;
    }
    if (isTextItem(item)) {
        std::string kind = textKindName(item.type);
        if (kind.empty()) kind = itemTypeName(item.type);
        return bracketed({kind, " ", textValue(captured)});
    }
    return bracketed({itemTypeName(item.type), " ", std::to_string(item.arg1), ",",
                      std::to_string(item.arg2), ",", std::to_string(item.arg3)});
}

std::string formatBars(const CapturedItems& items, int keySharps, const CapturedItem* skip) {
    BarWriter writer(keySharps, skip);
    for (const CapturedItem& captured : items) writer.add(captured);
    return writer.finish();
}

void printMusicianView(const ImportResult& result, std::FILE* out) {
    const int key = startKey(result);
    if (result.startItems) printStartItems(*result.startItems, out);
    if (result.guide) {
        std::fprintf(out, "\nguide\n");
        printBars(formatBars(*result.guide, key), out);
    }
    for (const CapturedStrand& strand : result.strands) {
        const CapturedItem* clef = findClef(strand.items);
        std::fprintf(out, "\n%s\n", strandHeading(strand, result.strandCount, clef).c_str());
        printBars(formatBars(strand.items, key, clef), out);
    }
}

}  // namespace vl::cli
