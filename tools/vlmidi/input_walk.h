#pragma once
// The inputs of a whole-collection conversion: files named on the command line, and the MIDI
// files (.mid, .midi, .kar, .rmi in any case) found by walking folders recursively, each with
// the path its output mirrors under the output folder.

#include <string>
#include <string_view>
#include <vector>

namespace vl::cli {

struct InputFile {
    std::string path;      // as it is opened
    std::string relative;  // below the folder given ('/' between folders); a file's own name
};

// Something the walk could not go into: a folder it cannot read (its files are lost to the run)
// or one it has walked already, reached again through a symbolic link (nothing is lost).
struct WalkProblem {
    std::string path;
    std::string reason;
    bool filesLost = false;
};

struct InputWalk {
    std::vector<InputFile> inputs;  // each folder's entries in byte order of their names
    std::vector<WalkProblem> problems;
};

// A named file is taken whatever its extension (a missing one too: it is reported unreadable);
// in folders only MIDI extensions count, and symbolic links are followed, each folder once.
InputWalk walkInputs(const std::vector<std::string>& roots);

bool hasMidiExtension(std::string_view name);

// OUTDIR/RELATIVE with the file's extension replaced by `extension` (".musicxml").
std::string mirroredOutputPath(std::string_view outputFolder, std::string_view relative,
                               std::string_view extension);

}  // namespace vl::cli
