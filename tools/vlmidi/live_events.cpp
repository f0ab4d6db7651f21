// Reading live-input events from text or from a MIDI file. Every byte of a file is read through
// a bounds-checked reader; nothing announced by the file is trusted for allocation.

#include "live_events.h"

#include "smf_byte_reader.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vl::cli {

namespace {

// ---- Text -------------------------------------------------------------------------------------

std::optional<long long> parseNumber(const std::string& token) {
    const bool negative = !token.empty() && token[0] == '-';
    const std::size_t start = negative ? 1 : 0;
    int base = 10;
    std::size_t digits = start;
    if (token.size() > start + 2 && token[start] == '0' &&
        (token[start + 1] == 'x' || token[start + 1] == 'X')) {
        base = 16;
        digits = start + 2;
    }
    long long value = 0;
    const char* first = token.data() + digits;
    const char* last = token.data() + token.size();
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    return negative ? -value : value;
}

class LineReader {
public:
    LineReader(const std::vector<std::string>& tokens, long line) : tokens_(tokens), line_(line) {}

    std::size_t count() const { return tokens_.size(); }

    // The number at index i within [low, high], or a message in `error`.
    bool number(std::size_t i, const char* what, long long low, long long high, long long& out) {
        if (i >= tokens_.size()) return fail(std::string("missing ") + what);
        const auto value = parseNumber(tokens_[i]);
        if (!value) return fail(std::string("not a number for ") + what + ": '" + tokens_[i] + "'");
        if (*value < low || *value > high) {
            return fail(std::string(what) + " " + tokens_[i] + " out of range " +
                        std::to_string(low) + ".." + std::to_string(high));
        }
        out = *value;
        return true;
    }

    bool fail(const std::string& message) {
        if (!error) error = "line " + std::to_string(line_) + ": " + message;
        return false;
    }

    std::optional<std::string> error;

private:
    const std::vector<std::string>& tokens_;
    long line_;
};

constexpr long long kMaxDelta = 0xFFFFFFFFll;
// Track indices are passed on as given, so that the library's own refusal can be seen; only
// what does not fit the 32-bit argument is a mistake of the text.
constexpr long long kMinTrack = INT32_MIN;
constexpr long long kMaxTrack = INT32_MAX;

bool readTrackAndDelta(LineReader& r, std::size_t first, LiveEvent& e) {
    long long track = 0, delta = 0;
    if (!r.number(first, "TRACK", kMinTrack, kMaxTrack, track)) return false;
    if (!r.number(first + 1, "DELTA", 0, kMaxDelta, delta)) return false;
    e.track = static_cast<std::int32_t>(track);
    e.delta = static_cast<std::uint32_t>(delta);
    return true;
}

bool readMessage(LineReader& r, LiveEvent& e) {
    if (!readTrackAndDelta(r, 0, e)) return false;
    if (r.count() > 5) return r.fail("a message has at most STATUS DATA1 DATA2");
    long long bytes[3] = {0, 0, 0};
    const char* names[3] = {"STATUS", "DATA1", "DATA2"};
    for (std::size_t i = 2; i < r.count(); ++i) {
        if (!r.number(i, names[i - 2], 0, 255, bytes[i - 2])) return false;
    }
    if (r.count() < 3) return r.fail("missing STATUS");
    e.kind = LiveEvent::Kind::Message;
    e.value = static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16);
    return true;
}

bool readKey(LineReader& r, const std::vector<std::string>& tokens, LiveEvent& e) {
    long long sharps = 0;
    if (!readTrackAndDelta(r, 1, e) || !r.number(3, "SHARPS", -7, 7, sharps)) return false;
    long long minor = 0;
    if (tokens.size() > 4) {
        if (tokens[4] == "minor") {
            minor = 1;
        } else if (tokens[4] != "major" && !r.number(4, "minor flag", 0, 1, minor)) {
            return false;
        }
    }
    e.kind = LiveEvent::Kind::KeySignature;
    e.value = static_cast<std::uint32_t>((sharps & 0xFF) | minor << 8);
    return true;
}

bool readTime(LineReader& r, const std::vector<std::string>& tokens, LiveEvent& e) {
    if (!readTrackAndDelta(r, 1, e)) return false;
    if (tokens.size() < 4) return r.fail("missing NN/DEN");
    const std::size_t slash = tokens[3].find('/');
    if (slash == std::string::npos) return r.fail("time signature wanted as NN/DEN, e.g. 3/4");
    const auto nn = parseNumber(tokens[3].substr(0, slash));
    const auto den = parseNumber(tokens[3].substr(slash + 1));
    if (!nn || *nn < 1 || *nn > 255) return r.fail("numerator out of range 1..255");
    int power = -1;
    for (int p = 0; p < 8; ++p) {
        if (den && *den == (1ll << p)) power = p;
    }
    if (power < 0) return r.fail("denominator must be 1, 2, 4, ... 128");
    long long cc = 24, bb = 8;
    if (tokens.size() > 4 && !r.number(4, "CC", 0, 255, cc)) return false;
    if (tokens.size() > 5 && !r.number(5, "BB", 0, 255, bb)) return false;
    e.kind = LiveEvent::Kind::TimeSignature;
    e.value = static_cast<std::uint32_t>(*nn | power << 8 | cc << 16 | bb << 24);
    return true;
}

bool readStatement(const std::vector<std::string>& tokens, long line, LiveScript& script,
                   std::optional<std::string>& error) {
    LineReader r(tokens, line);
    const std::string& word = tokens[0];
    LiveEvent e;
    e.line = line;
    long long n = 0;
    bool ok = false;
    if (word == "division" || word == "tracks") {
        if (!script.events.empty()) {
            r.fail("'" + word + "' must come before the first event");
        } else if (tokens.size() != 2) {
            r.fail("'" + word + "' takes one number");
        } else if (word == "division" && r.number(1, "division", 1, 0x7FFF, n)) {
            script.division = static_cast<std::uint32_t>(n);
        } else if (word == "tracks" && r.number(1, "tracks", 1, 0xFFFF, n)) {
            script.tracks = static_cast<std::int32_t>(n);
        }
        error = r.error;
        return !error;
    }
    if (word == "key") {
        ok = readKey(r, tokens, e);
    } else if (word == "time") {
        ok = readTime(r, tokens, e);
    } else if (word == "tempo") {
        ok = readTrackAndDelta(r, 1, e) && r.number(3, "MICROSECONDS", 1, 0xFFFFFF, n);
        e.kind = LiveEvent::Kind::Tempo;
        e.value = static_cast<std::uint32_t>(n);
    } else if (word == "end") {
        ok = readTrackAndDelta(r, 1, e);
        e.value = kEndOfTrackMessage;
    } else if (parseNumber(word)) {
        ok = readMessage(r, e);
    } else {
        r.fail("unknown statement '" + word + "'");
    }
    if (ok) script.events.push_back(e);
    error = r.error;
    return ok;
}

// ---- MIDI file --------------------------------------------------------------------------------

// One track chunk's events; stops at its end of track.
std::optional<std::string> readTrackEvents(ByteReader& in, std::int32_t track, LiveScript& s) {
    std::uint8_t running = 0;
    std::uint32_t pendingDelta = 0;  // deltas of skipped events go to the next event taken
    while (!in.atEnd()) {
        LiveEvent e;
        e.track = track;
        e.line = static_cast<long>(s.events.size());
        std::uint32_t delta = 0;
        std::uint8_t status = 0;
        if (!in.quantity(delta) || !in.peek(status)) return "event cut off";
        pendingDelta = delta > UINT32_MAX - pendingDelta ? UINT32_MAX : pendingDelta + delta;
        if (status >= 0x80) {
            in.byte(status);
        } else if (running != 0) {
            status = running;
        } else {
            return std::string("data byte without a status");
        }
        if (status == 0xFF) {
            std::uint8_t type = 0;
            std::uint32_t length = 0;
            if (!in.byte(type) || !in.quantity(length)) return "meta event cut off";
            std::uint32_t payload = 0;
            const int used = type == 0x51 ? 3 : type == 0x58 ? 4 : type == 0x59 ? 2 : 0;
            if (length < static_cast<std::uint32_t>(used)) {
                if (!in.skip(length)) return "meta event cut off";
                continue;
            }
            if (!in.bigEndian(used, payload) || !in.skip(length - used)) {
                return "meta event cut off";
            }
            if (type == 0x2F) {
                e.value = kEndOfTrackMessage;
            } else if (type == 0x51) {
                e.kind = LiveEvent::Kind::Tempo;
                e.value = payload;
            } else if (type == 0x58) {  // the export takes the bytes lowest first
                e.kind = LiveEvent::Kind::TimeSignature;
                e.value = (payload >> 24) | (payload >> 8 & 0xFF00) | (payload << 8 & 0xFF0000) |
                          (payload << 24);
            } else if (type == 0x59) {
                e.kind = LiveEvent::Kind::KeySignature;
                e.value = (payload >> 8) | (payload & 0xFF) << 8;
            } else {
                continue;
            }
        } else if (status == 0xF0 || status == 0xF7) {
            std::uint32_t length = 0;
            if (!in.quantity(length) || !in.skip(length)) return "system exclusive cut off";
            continue;
        } else if (status > 0xF0) {
            return std::string("unexpected system message");
        } else {
            running = status;
            std::uint8_t d1 = 0, d2 = 0;
            if (!in.byte(d1) || (dataBytesOf(status) == 2 && !in.byte(d2))) {
                return "channel message cut off";
            }
            e.value = static_cast<std::uint32_t>(status | d1 << 8 | d2 << 16);
        }
        e.delta = pendingDelta;
        pendingDelta = 0;
        s.events.push_back(e);
        if (e.kind == LiveEvent::Kind::Message && e.value == kEndOfTrackMessage) break;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> readLiveText(std::istream& in, LiveScript& script) {
    std::string text;
    long line = 0;
    while (std::getline(in, text)) {
        ++line;
        const std::size_t hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::istringstream words(text);
        std::vector<std::string> tokens{std::istream_iterator<std::string>(words),
                                        std::istream_iterator<std::string>()};
        if (tokens.empty()) continue;
        std::optional<std::string> error;
        if (!readStatement(tokens, line, script, error)) return error;
    }
    return std::nullopt;
}

std::optional<std::string> readLiveFromMidiFile(const std::string& path, LiveScript& script) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "cannot open '" + path + "'";
    std::string bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {  // a folder, or a read error: the stream buffer throws
        return "cannot read '" + path + "'";
    }
    ByteReader header(bytes, 0, bytes.size());
    std::uint32_t length = 0, format = 0, tracks = 0, division = 0;
    if (!header.tag("MThd") || !header.bigEndian(4, length) || length < 6 ||
        !header.bigEndian(2, format) || !header.bigEndian(2, tracks) ||
        !header.bigEndian(2, division) || !header.skip(length - 6)) {
        return "'" + path + "' is no Standard MIDI File";
    }
    if (division == 0 || division >= 0x8000) {
        return "'" + path + "' has no ticks-per-quarter division";
    }
    script.division = division;
    std::int32_t track = 0;
    ByteReader chunks(bytes, header.position(), bytes.size());
    while (!chunks.atEnd()) {
        const bool isTrack = chunks.tag("MTrk");
        if (!isTrack && !chunks.skip(4)) break;
        std::uint32_t chunkLength = 0;
        if (!chunks.bigEndian(4, chunkLength)) break;
        const std::size_t begin = chunks.position();
        const std::size_t available = bytes.size() - begin;
        const std::size_t end = begin + std::min<std::size_t>(chunkLength, available);
        if (isTrack) {
            ByteReader events(bytes, begin, end);
            if (auto error = readTrackEvents(events, track, script)) {
                return "track " + std::to_string(track) + ": " + *error;
            }
            ++track;
        }
        chunks.skip(static_cast<std::uint32_t>(end - begin));
    }
    script.tracks = track;
    return std::nullopt;
}

}  // namespace vl::cli
