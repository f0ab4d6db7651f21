#include "support/smf_builder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vl::test {

namespace {

void appendBigEndian(Bytes& out, uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendFourChars(Bytes& out, std::string_view id) {
    if (id.size() != 4) throw std::invalid_argument("chunk ids have four characters");
    out.insert(out.end(), id.begin(), id.end());
}

void appendAll(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes vlq(uint32_t value) {
    Bytes groups;
    do {
        groups.insert(groups.begin(), static_cast<uint8_t>(value & 0x7F));
        value >>= 7;
    } while (value != 0);
    for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
    return groups;
}

}  // namespace

SmfBuilder& SmfBuilder::format(uint16_t f) {
    format_ = f;
    return *this;
}

SmfBuilder& SmfBuilder::division(uint16_t ticksPerQuarter) {
    division_ = ticksPerQuarter;
    return *this;
}

SmfBuilder& SmfBuilder::trackCount(uint16_t announced) {
    trackCount_ = announced;
    return *this;
}

SmfBuilder& SmfBuilder::track(std::string_view fourChars) {
    Segment s;
    s.type = std::string(fourChars);
    segments_.push_back(std::move(s));
    return *this;
}

SmfBuilder::Segment& SmfBuilder::currentChunk() {
    if (segments_.empty()) track();
    return segments_.back();
}

SmfBuilder& SmfBuilder::chunkLength(uint32_t stated) {
    currentChunk().statedLength = stated;
    return *this;
}

SmfBuilder& SmfBuilder::event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
    Bytes& body = currentChunk().body;
    appendAll(body, vlq(delta));
    body.insert(body.end(), bytes.begin(), bytes.end());
    return *this;
}

SmfBuilder& SmfBuilder::noteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity) {
    return event(delta, {static_cast<uint8_t>(0x90 | (channel & 15)), key, velocity});
}

SmfBuilder& SmfBuilder::noteOff(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity) {
    return event(delta, {static_cast<uint8_t>(0x80 | (channel & 15)), key, velocity});
}

SmfBuilder& SmfBuilder::programChange(uint32_t delta, uint8_t channel, uint8_t program) {
    return event(delta, {static_cast<uint8_t>(0xC0 | (channel & 15)), program});
}

SmfBuilder& SmfBuilder::message(uint32_t delta, uint8_t status,
                                std::initializer_list<uint8_t> data) {
    Bytes& body = currentChunk().body;
    appendAll(body, vlq(delta));
    body.push_back(status);
    body.insert(body.end(), data.begin(), data.end());
    return *this;
}

SmfBuilder& SmfBuilder::meta(uint32_t delta, uint8_t type, const Bytes& payload) {
    Bytes& body = currentChunk().body;
    appendAll(body, vlq(delta));
    body.push_back(0xFF);
    body.push_back(type);
    appendAll(body, vlq(static_cast<uint32_t>(payload.size())));
    appendAll(body, payload);
    return *this;
}

SmfBuilder& SmfBuilder::text(uint32_t delta, uint8_t type, std::string_view text) {
    return meta(delta, type, Bytes(text.begin(), text.end()));
}

SmfBuilder& SmfBuilder::tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
    Bytes payload;
    appendBigEndian(payload, microsecondsPerQuarter, 3);
    return meta(delta, 0x51, payload);
}

SmfBuilder& SmfBuilder::timeSignature(uint32_t delta, uint8_t numerator,
                                      uint8_t denominatorPower, uint8_t clocksPerClick,
                                      uint8_t thirtySecondsPerQuarter) {
    return meta(delta, 0x58,
                {numerator, denominatorPower, clocksPerClick, thirtySecondsPerQuarter});
}

SmfBuilder& SmfBuilder::keySignature(uint32_t delta, int8_t sharps, bool minor) {
    return meta(delta, 0x59, {static_cast<uint8_t>(sharps), static_cast<uint8_t>(minor)});
}

SmfBuilder& SmfBuilder::endTrack(uint32_t delta) { return meta(delta, 0x2F, {}); }

SmfBuilder& SmfBuilder::raw(const Bytes& bytes) {
    appendAll(currentChunk().body, bytes);
    return *this;
}

Bytes SmfBuilder::bytes() const {
    Bytes out;
    appendFourChars(out, "MThd");
    appendBigEndian(out, 6, 4);
    appendBigEndian(out, format_, 2);
    appendBigEndian(out, trackCount_.value_or(static_cast<uint16_t>(segments_.size())), 2);
    appendBigEndian(out, division_, 2);
    for (const Segment& s : segments_) {
        appendFourChars(out, s.type);
        appendBigEndian(out, s.statedLength.value_or(static_cast<uint32_t>(s.body.size())), 4);
        appendAll(out, s.body);
    }
    return out;
}

TempDir::TempDir() {
    const std::filesystem::path pattern =
        std::filesystem::temp_directory_path() / "vlmidiin-test-XXXXXX";
    std::string buffer = pattern.string();
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    path_ = buffer;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

TempFile::TempFile(const Bytes& bytes, std::string_view name)
    : path_((std::filesystem::path(dir_.path()) / name).string()) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path_);
}

TempFile writeTempFile(const Bytes& bytes, std::string_view name) {
    return TempFile(bytes, name);
}

}  // namespace vl::test
