#include "platform/filedialogs.h"

#include <cstdio>

namespace velt::platform {

namespace {
std::unique_ptr<FileDialogs>& current()
{
    static std::unique_ptr<FileDialogs> f = std::make_unique<ScriptedFileDialogs>();
    return f;
}
} // namespace

FileDialogs& fileDialogs() { return *current(); }
std::unique_ptr<FileDialogs> setFileDialogs(std::unique_ptr<FileDialogs> f)
{
    std::swap(current(), f);
    return f;
}

std::optional<std::string> ScriptedFileDialogs::choose(const FileDialogRequest& r)
{
    shown_.push_back(r);
    if (queue_.empty()) {
        std::string what = std::string("file dialog not scripted: ") + (r.save ? "save" : "open") + " \"" + r.title + "\"";
        std::fprintf(stderr, "%s\n", what.c_str());
        throw ScriptError(what);
    }
    auto a = std::move(queue_.front());
    queue_.pop_front();
    return a;
}

} // namespace velt::platform
