#pragma once
// What a file-open dialog is asked for: title, filters, default extension,
// flags and path limit, and the hook of the "&Configure" button on the
// library's own panel below the dialog.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vl {

// Flag bits of the open-file record.
inline constexpr uint32_t kOpenHideReadOnly = 0x4;
inline constexpr uint32_t kOpenEnableHook = 0x20;
inline constexpr uint32_t kOpenEnableTemplate = 0x40;
inline constexpr uint32_t kOpenPathMustExist = 0x800;
inline constexpr uint32_t kOpenFileMustExist = 0x1000;
inline constexpr uint32_t kOpenExplorer = 0x80000;
inline constexpr uint32_t kOpenEnableSizing = 0x800000;

inline constexpr int kOpenFilePanelTemplateId = 3003;
inline constexpr int kOpenFileConfigureButtonId = 3022;

struct FileFilter {
    std::string description;  // "MIDI files (*.mid; *.rmi; *.kar)"
    std::string patterns;     // "*.mid; *.rmi; *.kar"
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // appended when the typed name has none
    uint32_t flags = 0;
    std::size_t maxPath = 260;  // characters of the path buffer, terminating zero included
    int panelTemplateId = 0;    // 0: no panel of our own
    // Called with the panel window when its "&Configure" button is pressed.
    std::function<void(void* panelWindow)> onConfigure;

    bool fileMustExist() const { return (flags & kOpenFileMustExist) != 0; }
    bool pathMustExist() const { return (flags & kOpenPathMustExist) != 0; }
    // A full path fits the buffer when it leaves room for the terminating zero.
    bool fitsPathLimit(const std::string& path) const { return path.size() < maxPath; }
    // The filters as one block: each text zero-terminated, then an empty text.
    std::string packedFilters() const;
};

// The library's own request for a MIDI file to import.
OpenFileRequest importOpenFileRequest();

// Why a chosen path cannot be returned, or an empty text when it can.
// Checks the path limit and, where the flags ask for it, that the file (or
// its directory) exists.
std::string refusalForChosenPath(const OpenFileRequest& request, const std::string& path);

// The path completed with the request's default extension when the name as
// typed has no extension and the file does not exist, else unchanged.
std::string withDefaultExtension(const OpenFileRequest& request, const std::string& path);

}  // namespace vl
