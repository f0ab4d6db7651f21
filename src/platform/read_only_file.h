#pragma once
// A buffered read-only view of one regular file: open, read n bytes (told how
// many arrived), seek to an absolute position, tell, size, close. No call
// throws; failures are reported by results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vl {

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    explicit ReadOnlyFile(const std::string& path) { open(path); }
    ~ReadOnlyFile() { close(); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ReadOnlyFile(ReadOnlyFile&& other) noexcept { takeFrom(other); }
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;

    // Opens a regular file for reading, closing any file open before.
    // Directories, devices, pipes and sockets are refused.
    bool open(const std::string& path) noexcept;
    bool isOpen() const { return fd_ >= 0; }
    void close() noexcept;

    // Reads up to n bytes at the current position; returns how many were read
    // (fewer only at the end of the file or on a read error).
    size_t read(void* destination, size_t n) noexcept;
    // The next byte 0..255, or -1 when none can be read.
    int readByte() noexcept {
        if (pos_ >= bufferStart_ && pos_ - bufferStart_ < bufferLength_)
            return buffer_[static_cast<size_t>(pos_++ - bufferStart_)];
        return readByteSlow();
    }
    // Moves to an absolute position; positions past the end are allowed (reads
    // there give nothing). False when no file is open.
    bool seek(uint64_t position) noexcept;
    uint64_t tell() const { return pos_; }
    // Size of the file when it was opened.
    uint64_t size() const { return size_; }
    // Bytes between the current position and the end of the file.
    uint64_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

private:
    static constexpr size_t kBufferSize = 64 * 1024;

    int readByteSlow() noexcept;
    // Reads the block at the current position into the buffer; false when
    // nothing could be read.
    bool fillBuffer() noexcept;
    // Reads directly from the file at offset, retrying interrupted calls.
    size_t readAt(uint64_t offset, uint8_t* destination, size_t n) noexcept;
    void takeFrom(ReadOnlyFile& other) noexcept;

    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
    uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
    size_t bufferLength_ = 0;   // valid bytes in buffer_
    std::unique_ptr<uint8_t[]> buffer_;
};

}  // namespace vl
