#pragma once
// Opening a MIDI file for a command: the session closes itself however the
// command ends, a file the library refused is explained in one line, and
// "--after STEP" says how far the session is taken before it is shown.

#include <cstddef>
#include <optional>
#include <string>

#include "commands.h"
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

// Reads the STEP of "--after STEP" from args[i + 1], moving i past it: sets
// afterInitialise for "initialise" (or "initialize"), accepts "read"; for
// anything else the usage mistake, worded for the command named.
std::optional<std::string> readAfterStep(const std::string& command, const Arguments& args,
                                         std::size_t& i, bool& afterInitialise);

}  // namespace vl::cli
