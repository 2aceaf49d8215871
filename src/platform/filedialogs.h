#pragma once
// The system's open-file and save-file dialogs. Real: QFileDialog
// (platform/qt/qtfiledialogs). Tests: ScriptedFileDialogs answers names from
// a queue and records every request; an unscripted dialog throws ScriptError.
#include "platform/msgboxes.h" // ScriptError

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform {

struct FileFilter {
    std::string name;                  // "File PDF (*.pdf)"
    std::vector<std::string> patterns; // {"*.pdf"}
};

struct FileDialogRequest {
    bool save = false;          // save dialog (asks before nothing; the caller checks overwrite)
    std::string title;          // "Salva in"
    std::string startDir;       // directory to start in (empty: current directory)
    std::string proposedName;   // file name proposed in a save dialog
    std::vector<FileFilter> filters;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or nothing when the user cancelled.
    virtual std::optional<std::string> choose(const FileDialogRequest& r) = 0;
};

FileDialogs& fileDialogs();   // default: an empty ScriptedFileDialogs
std::unique_ptr<FileDialogs> setFileDialogs(std::unique_ptr<FileDialogs> f); // returns the previous one

class ScriptedFileDialogs : public FileDialogs {
public:
    void answer(std::optional<std::string> path) { queue_.push_back(std::move(path)); }
    std::optional<std::string> choose(const FileDialogRequest& r) override;
    const std::vector<FileDialogRequest>& shown() const { return shown_; }
    size_t pending() const { return queue_.size(); }

private:
    std::deque<std::optional<std::string>> queue_;
    std::vector<FileDialogRequest> shown_;
};

} // namespace velt::platform
