#pragma once
// Gathering into the first track of a format-1 MIDI file the time and key signatures that later
// tracks carry: the library takes its signatures from the first track alone, so a metre change
// written only in a later track would otherwise leave the parts with bar lines that disagree.

#include <optional>
#include <string>

namespace vl::cli {

// The file's bytes with every time or key signature of a later track copied into the first
// track at its absolute tick, where the first track has no signature of that kind and the one
// in force there differs. Nothing when there is nothing to gather or the bytes are not a
// well-formed format-1 file (then the file is to be used as it is).
std::optional<std::string> gatherSignatures(const std::string& bytes);

// The file to hand the library: a temporary copy with the signatures gathered (same file name,
// in a folder of its own, removed with this object), or the original path when nothing was
// gathered or `gather` is false.
class PreparedFile {
public:
    PreparedFile(const std::string& path, bool gather);
    ~PreparedFile();
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;

    const std::string& path() const { return temporary_.empty() ? original_ : temporary_; }

private:
    std::string original_;
    std::string folder_;     // the temporary folder, when one was made
    std::string temporary_;  // the prepared copy, when one was written
};

}  // namespace vl::cli
