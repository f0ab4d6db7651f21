#pragma once
// Shared pieces of the fuzz targets: a file made from the fuzz bytes, a byte
// reader that runs dry gracefully, and a full walk of an initialised session.

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "vlmidiin.h"

namespace vl::fuzz {

// The bytes as an anonymous in-memory file reachable by path; no disk use.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) {
        fd_ = ::memfd_create("vlmidiin-fuzz", MFD_CLOEXEC);
        if (fd_ < 0) return;
        size_t written = 0;
        while (written < size) {
            const ssize_t n = ::write(fd_, data + written, size - written);
            if (n <= 0) break;
            written += static_cast<size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    bool ok() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Takes values off the front of the fuzz bytes; zeros once they run out.
class ByteSource {
public:
    ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    uint8_t u8() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t u16() { return static_cast<uint16_t>(u8() | (u8() << 8)); }
    uint32_t u32() { return static_cast<uint32_t>(u16()) | (static_cast<uint32_t>(u16()) << 16); }
    const uint8_t* rest() const { return data_ + pos_; }
    size_t restSize() const { return pos_ < size_ ? size_ - pos_ : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Every item of the current list, with its description and text.
inline void walkList(ImportSession* session) {
    ImportItem item{};
    std::array<char, 128> buffer{};
    for (bool more = vlImportGetFirstItem(session, &item) != 0; more;
         more = vlImportGetNextItem(session, &item) != 0) {
        VliGetDescription(&item, buffer.data(), static_cast<uint32_t>(buffer.size()));
        VliGetDescription(&item, buffer.data(), 1);
        const char* text = vlImportItemText(session, &item);
        if (text != nullptr) (void)std::string(text);
    }
}

// Start items, guide strand, every strand with its voicing, then the listing
// line by line with every chunk of every line.
inline void walkSession(ImportSession* session) {
    if (vlImportGetStartItems(session) != 0) walkList(session);
    if (vlImportGetGuideStrand(session) != 0) walkList(session);
    ImportItem voicing{};
    for (bool more = vlImportGetFirstStrand(session) != 0; more;
         more = vlImportGetNextStrand(session) != 0) {
        vlImportGetStartVoicing(session, &voicing);
        walkList(session);
    }
    (void)vlImportStrandCount(session);
    (void)VlMidiTextLineCount(session);
    for (bool more = VlMidiTextLineSetFirst(session) != 0; more;
         more = VlMidiTextLineSetNext(session) != 0) {
        (void)VlMidiTextLineType(session);
        // Columns may be empty (null) in the middle; ask past the last one too.
        for (const uint16_t chunk : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 65535}) {
            const char* text = VlMidiTextLineTextChunk(session, chunk);
            if (text != nullptr) (void)std::string(text);
        }
    }
    StatisticsRecord record{};
    VlMidiStatisticsCompute(session, record.values);
}

}  // namespace vl::fuzz
