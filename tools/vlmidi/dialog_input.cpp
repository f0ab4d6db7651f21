#include "dialog_input.h"

#include <stdio_ext.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace vl::cli {

namespace {

constexpr const char* kBlanks = " \t\r\n";

// A scratch file that goes when this object goes.
class ScratchFile {
public:
    ScratchFile() : file_(std::tmpfile()) {}
    ~ScratchFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    bool ok() const { return file_ != nullptr; }
    int descriptor() const { return fileno(file_); }

    bool write(const std::string& text) {
        return std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
               std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0;
    }
    std::string readAll() {
        std::string text;
        if (std::fseek(file_, 0, SEEK_SET) != 0) return text;
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
        return text;
    }

private:
    std::FILE* file_;
};

// Puts a file in place of descriptor target until this object goes.
class Redirection {
public:
    Redirection(int target, int replacement) : target_(target), saved_(dup(target)) {
        if (saved_ >= 0 && dup2(replacement, target_) < 0) {
            close(saved_);
            saved_ = -1;
        }
    }
    ~Redirection() {
        if (saved_ < 0) return;
        dup2(saved_, target_);
        close(saved_);
    }
    Redirection(const Redirection&) = delete;
    Redirection& operator=(const Redirection&) = delete;

    bool ok() const { return saved_ >= 0; }

private:
    int target_;
    int saved_;
};

// Forgets what standard input had read ahead or its end-of-file mark, so that
// reading starts afresh on whatever descriptor 0 is now.
void forgetBufferedInput() {
    __fpurge(stdin);
    std::clearerr(stdin);
    std::cin.clear();
}

void flushErrorStreams() {
    std::cerr.flush();
    std::fflush(stderr);
}

}  // namespace

std::string commandLines(const std::string& script) {
    std::string lines;
    for (size_t start = 0;;) {
        const size_t end = std::min(script.find(';', start), script.size());
        const size_t first = script.find_first_not_of(kBlanks, start);
        if (first < end) {
            const size_t last = script.find_last_not_of(kBlanks, end - 1);
            lines += script.substr(first, last - first + 1) + '\n';
        }
        if (end == script.size()) return lines;
        start = end + 1;
    }
}

bool runWithDialogInput(const std::string& commands, std::string* shown,
                        const std::function<void()>& show) {
    ScratchFile input;
    if (!input.ok() || !input.write(commands)) return false;
    ScratchFile output;
    if (shown != nullptr && !output.ok()) return false;

    flushErrorStreams();
    forgetBufferedInput();
    {
        const Redirection in(STDIN_FILENO, input.descriptor());
        if (!in.ok()) return false;
        if (shown != nullptr) {
            const Redirection err(STDERR_FILENO, output.descriptor());
            if (!err.ok()) return false;
            show();
            flushErrorStreams();
        } else {
            show();
            flushErrorStreams();
        }
        forgetBufferedInput();  // the rest of the commands must not outlive the dialog
    }
    forgetBufferedInput();
    if (shown != nullptr) *shown = output.readAll();
    return true;
}

}  // namespace vl::cli
