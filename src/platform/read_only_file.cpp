#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace vl {

namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

}  // namespace

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        close();
        takeFrom(other);
    }
    return *this;
}

void ReadOnlyFile::takeFrom(ReadOnlyFile& other) noexcept {
    fd_ = other.fd_;
    size_ = other.size_;
    pos_ = other.pos_;
    bufferStart_ = other.bufferStart_;
    bufferLength_ = other.bufferLength_;
    buffer_ = std::move(other.buffer_);
    other.fd_ = -1;
    other.size_ = other.pos_ = other.bufferStart_ = 0;
    other.bufferLength_ = 0;
}

bool ReadOnlyFile::open(const std::string& path) noexcept {
    close();
    // Non-blocking so that opening a FIFO cannot wait for a writer; the flag
    // does not affect reads of regular files, the only kind accepted. Linux
    // has no share modes, so other processes are not kept from writing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return false;
    }
    buffer_.reset(new (std::nothrow) uint8_t[kBufferSize]);
    if (!buffer_) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(info.st_size);
    return true;
}

void ReadOnlyFile::close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = pos_ = bufferStart_ = 0;
    bufferLength_ = 0;
    buffer_.reset();
}

size_t ReadOnlyFile::readAt(uint64_t offset, uint8_t* destination, size_t n) noexcept {
    size_t done = 0;
    while (done < n && offset + done < kMaxOffset) {
        const ssize_t got = ::pread(fd_, destination + done, n - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool ReadOnlyFile::fillBuffer() noexcept {
    if (fd_ < 0 || pos_ >= size_) return false;
    bufferStart_ = pos_;
    bufferLength_ = readAt(pos_, buffer_.get(), kBufferSize);
    return bufferLength_ > 0;
}

int ReadOnlyFile::readByteSlow() noexcept {
    if (!fillBuffer()) return -1;
    return buffer_[static_cast<size_t>(pos_++ - bufferStart_)];
}

size_t ReadOnlyFile::read(void* destination, size_t n) noexcept {
    if (fd_ < 0 || destination == nullptr) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < n) {
        if (pos_ >= bufferStart_ && pos_ - bufferStart_ < bufferLength_) {
            const size_t offset = static_cast<size_t>(pos_ - bufferStart_);
            const size_t take = std::min(n - done, bufferLength_ - offset);
            std::memcpy(out + done, buffer_.get() + offset, take);
            done += take;
            pos_ += take;
        } else if (n - done >= kBufferSize) {
            // Large reads bypass the buffer.
            const size_t got = readAt(pos_, out + done, n - done);
            done += got;
            pos_ += got;
            break;
        } else if (!fillBuffer()) {
            break;
        }
    }
    return done;
}

bool ReadOnlyFile::seek(uint64_t position) noexcept {
    if (fd_ < 0) return false;
    pos_ = position;
    return true;
}

}  // namespace vl
