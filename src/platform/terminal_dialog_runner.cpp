#include "platform/terminal_dialog_runner.h"

#include <cctype>
#include <charconv>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

namespace vl {

namespace {

constexpr const char* kDialogCommands =
    "Commands: check ID, uncheck ID, select ID N (-1 for none), press ID, ok, cancel, help, show;\n"
    "          a key shown as (key X) alone on a line presses that button or toggles that box";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> splitWords(const std::string& line) {
    std::istringstream words(line);
    std::vector<std::string> result;
    for (std::string word; words >> word;) result.push_back(word);
    return result;
}

bool parseNumber(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// "Resolve &triplets" reads "Resolve triplets"; "&&" stands for "&".
std::string withoutMnemonic(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

bool isAngle(char c) { return c == '<' || c == '>'; }

// "<OK>"; a text with arrows of its own keeps them apart: "< << >".
std::string buttonFace(const std::string& text) {
    const std::string shown = withoutMnemonic(text);
    if (!shown.empty() && (isAngle(shown.front()) || isAngle(shown.back())))
        return "< " + shown + " >";
    return "<" + shown + ">";
}

char lowerCase(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The access key of "&Up" is 'u' (as typed), of "<&<" it is '<'; 0 without one.
char mnemonicOf(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return lowerCase(text[i + 1]);
        ++i;  // "&&" is a plain "&"
    }
    return 0;
}

bool takesKeys(const DialogControl& control) {
    return control.kind == ControlKind::Button || control.kind == ControlKind::CheckBox;
}

std::string keyHint(const DialogControl& control) {
    const char key = takesKeys(control) ? mnemonicOf(control.text) : 0;
    return key == 0 ? std::string() : std::string("  (key ") + key + ")";
}

const DialogControl* controlWithKey(const DialogModel& model, char key) {
    const char typed = lowerCase(key);
    for (const DialogControl& control : model.controls())
        if (takesKeys(control) && mnemonicOf(control.text) == typed) return &control;
    return nullptr;
}

std::string idColumn(int id) {
    std::string column = id == kNoControlId ? std::string() : std::to_string(id);
    if (column.size() < 6) column.insert(0, 6 - column.size(), ' ');
    return column;
}

}  // namespace

TerminalDialogRunner::TerminalDialogRunner(std::istream& in, std::ostream& out)
    : in_(in), out_(out) {}

bool TerminalDialogRunner::readLine(std::string& line) {
    line.clear();
    bool gotAny = false;
    for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
        gotAny = true;
        if (c == '\n') return true;
        if (line.size() < kMaxLineLength) line += static_cast<char>(c);
    }
    return gotAny;
}

void TerminalDialogRunner::printDialog(const DialogModel& model) {
    out_ << "\n== " << model.title() << " ==\n";
    for (const DialogControl& control : model.controls()) {
        out_ << idColumn(control.id) << "  ";
        switch (control.kind) {
        case ControlKind::CheckBox:
            out_ << (control.checked ? "[x] " : "[ ] ") << withoutMnemonic(control.text)
                 << keyHint(control);
            break;
        case ControlKind::Button:
            out_ << buttonFace(control.text) << (control.isDefault ? " (default)" : "")
                 << keyHint(control);
            break;
        case ControlKind::GroupBox:
            out_ << "-- " << withoutMnemonic(control.text) << " --";
            break;
        case ControlKind::DropDownList:
        case ControlKind::ListBox:
            out_ << controlKindName(control.kind)
                 << (control.selection < 0 ? " (nothing selected)" : "");
            break;
        case ControlKind::EditText:
            out_ << "[" << control.text << "]";  // typed text has no mnemonics
            break;
        default:
            out_ << withoutMnemonic(control.text);
            break;
        }
        out_ << '\n';
        if (!control.hasEntries()) continue;
        for (std::size_t i = 0; i < control.entries.size(); ++i) {
            const bool selected = control.selection >= 0 &&
                                  static_cast<std::size_t>(control.selection) == i;
            out_ << "          " << (selected ? "> " : "  ") << i << "  " << control.entries[i]
                 << '\n';
        }
    }
    out_ << kDialogCommands << '\n';
    out_.flush();
}

void TerminalDialogRunner::applyKey(DialogModel& model, char key) {
    const DialogControl* control = controlWithKey(model, key);
    if (control == nullptr) {
        out_ << "No control has the key " << key << ".\n";
        return;
    }
    if (control->kind == ControlKind::CheckBox) {
        model.setChecked(control->id, !control->checked);
    } else {
        model.pressButton(control->id);
    }
    if (!model.hasEnded()) printDialog(model);
}

void TerminalDialogRunner::applyCommand(DialogModel& model, const std::string& line) {
    const std::string_view typed = trimmed(line);
    if (typed.size() == 1) {
        applyKey(model, typed[0]);
        return;
    }
    const std::vector<std::string> words = splitWords(line);
    if (words.empty()) return;
    const std::string& verb = words[0];
    int id = kNoControlId;
    const bool hasId = words.size() >= 2 && parseNumber(words[1], id);
    const DialogControl* control = hasId ? model.findControl(id) : nullptr;

    if (verb == "ok" || verb == "cancel") {
        model.pressButton(verb == "ok" ? kDialogOk : kDialogCancel);
    } else if (verb == "help") {
        model.pressHelp();
    } else if (verb == "show") {
        printDialog(model);
    } else if ((verb == "check" || verb == "uncheck") && words.size() == 2) {
        if (control == nullptr || control->kind != ControlKind::CheckBox) {
            out_ << "No check box " << words[1] << ".\n";
            return;
        }
        model.setChecked(id, verb == "check");
        printDialog(model);
    } else if (verb == "select" && words.size() == 3) {
        int index = -1;
        if (control == nullptr || !control->hasEntries()) {
            out_ << "No list " << words[1] << ".\n";
        } else if (!parseNumber(words[2], index) || !model.setSelection(id, index)) {
            out_ << "No entry " << words[2] << " in list " << words[1] << ".\n";
        } else {
            printDialog(model);
        }
    } else if (verb == "press" && words.size() == 2) {
        if (control == nullptr || control->kind != ControlKind::Button) {
            out_ << "No button " << words[1] << ".\n";
            return;
        }
        model.pressButton(id);
        if (!model.hasEnded()) printDialog(model);
    } else {
        out_ << kDialogCommands << '\n';
    }
}

int TerminalDialogRunner::runModal(DialogModel& model, void* /*parent*/) {
    model.startModal();
    if (model.hasEnded()) return model.endResult();
    printDialog(model);
    std::string line;
    while (!model.hasEnded()) {
        out_ << "> " << std::flush;
        if (!readLine(line)) {
            out_ << '\n';
            model.endDialog(kDialogCancel);
            break;
        }
        applyCommand(model, line);
    }
    out_.flush();
    return model.endResult();
}

bool TerminalDialogRunner::askOpenFile(const OpenFileRequest& request, void* parent,
                                       std::string& path, uint32_t& errorCode) {
    errorCode = 0;
    out_ << "\n== " << request.title << " ==\n";
    for (const FileFilter& filter : request.filters) out_ << "  " << filter.description << '\n';
    out_ << "Type the path of the file";
    if (request.onConfigure) out_ << ", \"configure\" for the import configuration";
    out_ << ", or an empty line to cancel.\n";
    std::string line;
    for (;;) {
        out_ << "path> " << std::flush;
        if (!readLine(line)) {
            out_ << '\n';
            return false;
        }
        const std::string typed(trimmed(line));
        if (typed.empty()) return false;
        if (typed == "configure" && request.onConfigure) {
            request.onConfigure(parent);
            continue;
        }
        std::error_code error;
        const std::string candidate = withDefaultExtension(request, typed);
        const std::filesystem::path full = std::filesystem::absolute(candidate, error);
        const std::string fullPath = error ? candidate : full.string();
        const std::string refusal = refusalForChosenPath(request, fullPath);
        if (refusal.empty()) {
            path = fullPath;
            return true;
        }
        out_ << refusal << '\n';
    }
}

void TerminalDialogRunner::showMessageBox(void* /*owner*/, const std::string& text,
                                          const std::string& caption, int /*icon*/) {
    out_ << caption << ": " << text << '\n' << std::flush;
}

void TerminalDialogRunner::beep() { out_ << '\a' << std::flush; }

void TerminalDialogRunner::showHelp(uint32_t context) {
    out_ << "Help requested (context " << context << ").\n" << std::flush;
}

}  // namespace vl
