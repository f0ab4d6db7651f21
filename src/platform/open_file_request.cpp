#include "platform/open_file_request.h"

#include <filesystem>
#include <system_error>

namespace vl {

namespace fs = std::filesystem;

std::string OpenFileRequest::packedFilters() const {
    std::string packed;
    for (const FileFilter& filter : filters) {
        packed += filter.description;
        packed += '\0';
        packed += filter.patterns;
        packed += '\0';
    }
    packed += '\0';
    return packed;
}

OpenFileRequest importOpenFileRequest() {
    OpenFileRequest request;
    request.title = "Import MIDI file";
    request.filters = {{"MIDI files (*.mid; *.rmi; *.kar)", "*.mid; *.rmi; *.kar"},
                       {"All files (*.*)", "*.*"}};
    request.defaultExtension = "mid";
    request.flags = kOpenHideReadOnly | kOpenEnableHook | kOpenEnableTemplate |
                    kOpenPathMustExist | kOpenFileMustExist | kOpenExplorer | kOpenEnableSizing;
    request.maxPath = 260;
    request.panelTemplateId = kOpenFilePanelTemplateId;
    return request;
}

std::string refusalForChosenPath(const OpenFileRequest& request, const std::string& path) {
    if (path.empty()) return "No file name given.";
    if (!request.fitsPathLimit(path)) return "The path is too long.";
    if (path.find('\0') != std::string::npos) return "The path is not valid.";
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (request.fileMustExist() && (!fs::exists(status) || fs::is_directory(status)))
        return "File not found.";
    if (request.pathMustExist()) {
        const fs::path parent = fs::path(path).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, error)) return "Path not found.";
    }
    return {};
}

std::string withDefaultExtension(const OpenFileRequest& request, const std::string& path) {
    if (request.defaultExtension.empty() || path.empty()) return path;
    const fs::path typed(path);
    if (typed.has_extension() || !typed.has_filename()) return path;
    std::error_code error;
    if (fs::exists(typed, error)) return path;
    return path + "." + request.defaultExtension;
}

}  // namespace vl
