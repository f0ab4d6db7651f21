#include "input_walk.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <set>
#include <utility>

namespace vl::cli {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

std::string joined(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    return path.append(name);
}

std::string_view fileName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool lowerEquals(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// The entry names of a folder in byte order, or the reason it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder, std::string& error) {
    std::vector<std::string> names;
    std::error_code code;
    std::filesystem::directory_iterator entry(folder, code);
    for (; !code && entry != std::filesystem::directory_iterator(); entry.increment(code)) {
        names.push_back(entry->path().filename().string());
    }
    if (code) error = code.message();
    std::sort(names.begin(), names.end());
    return names;
}

class FolderWalk {
public:
    explicit FolderWalk(InputWalk& walk) : walk_(walk) {}

    void walk(const std::string& root, const struct stat& rootStatus) {
        // Depth first with an explicit stack, so that deep trees cannot exhaust the call stack.
        std::vector<std::pair<std::string, std::string>> pending;  // path, relative
        if (enter(root, rootStatus)) pending.emplace_back(root, "");
        while (!pending.empty()) {
            const auto [folder, relative] = std::move(pending.back());
            pending.pop_back();
            std::vector<std::pair<std::string, std::string>> subfolders;
            visitFolder(folder, relative, subfolders);
            pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                           std::make_move_iterator(subfolders.rend()));
        }
    }

private:
    bool enter(const std::string& folder, const struct stat& status) {
        if (walked_.insert({status.st_dev, status.st_ino}).second) return true;
        walk_.problems.push_back(
            {folder, "walked already under another name (a symbolic link loop?)"});
        return false;
    }

    void visitFolder(const std::string& folder, const std::string& relative,
                     std::vector<std::pair<std::string, std::string>>& subfolders) {
        std::string error;
        const std::vector<std::string> names = folderEntries(folder, error);
        if (!error.empty()) walk_.problems.push_back({folder, error, true});
        for (const std::string& name : names) {
            const std::string path = joined(folder, name);
            std::string below = relative.empty() ? name : relative + '/' + name;
            struct stat status {};
            const bool known = ::stat(path.c_str(), &status) == 0;
            if (known && S_ISDIR(status.st_mode)) {
                if (enter(path, status)) subfolders.emplace_back(path, std::move(below));
            } else if (hasMidiExtension(name)) {
                // One that cannot be looked at (a link to nowhere) is still an input: its
                // manifest entry tells why it was not read.
                walk_.inputs.push_back({path, std::move(below)});
            }
        }
    }

    InputWalk& walk_;
    std::set<FolderId> walked_;
};

}  // namespace

InputWalk walkInputs(const std::vector<std::string>& roots) {
    InputWalk walk;
    FolderWalk folders(walk);
    for (const std::string& root : roots) {
        struct stat status {};
        if (::stat(root.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
            folders.walk(root, status);
        } else {
            walk.inputs.push_back({root, std::string(fileName(root))});
        }
    }
    return walk;
}

bool hasMidiExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    constexpr std::array<std::string_view, 4> kExtensions{"mid", "midi", "kar", "rmi"};
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(kExtensions.begin(), kExtensions.end(),
                       [&](std::string_view known) { return lowerEquals(extension, known); });
}

std::string mirroredOutputPath(std::string_view outputFolder, std::string_view relative,
                               std::string_view extension) {
    const std::size_t dot = relative.rfind('.');
    const std::size_t slash = relative.rfind('/');
    const bool hasExtension = dot != std::string_view::npos && dot > 0 &&
                              (slash == std::string_view::npos || dot > slash + 1);
    std::string path = joined(outputFolder, hasExtension ? relative.substr(0, dot) : relative);
    return path.append(extension);
}

}  // namespace vl::cli
