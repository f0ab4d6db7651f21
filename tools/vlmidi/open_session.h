#pragma once
// Opening a MIDI file for a command: the session closes itself however the
// command ends, and a file the library refused is explained in one line.

#include <string>

#include "vlmidiin.h"

namespace vl::cli {

class OpenSession {
public:
    explicit OpenSession(ImportSession* session) : session_(session) {}
    ~OpenSession() { vlImportClose(&session_); }
    OpenSession(const OpenSession&) = delete;
    OpenSession& operator=(const OpenSession&) = delete;

    ImportSession* get() const { return session_; }

private:
    ImportSession* session_;
};

// Why a file the library refused could not be read, told from the file system.
std::string reasonFileIsUnreadable(const std::string& path);

// Prints "vlmidi: cannot read MIDI file 'PATH' (REASON)" on stderr and
// returns the exit code for an unreadable file.
int reportUnreadableFile(const std::string& path);

}  // namespace vl::cli
