#include "util/errors.h"

#include <utility>

namespace velt {

VeltError::VeltError(std::string description, Codes codes, std::string file, std::string operation,
                     std::string subsystem, bool severe, std::source_location where)
    : std::runtime_error(description + (file.empty() ? std::string() : ": " + file)),
      codes_(codes), description_(std::move(description)), file_(std::move(file)),
      operation_(std::move(operation)), subsystem_(std::move(subsystem)), severe_(severe), where_(where)
{
}

VeltError fileError(int osCode, const std::string& file, const std::string& operation, std::source_location where)
{
    return VeltError("file error", {osCode, 0, 0}, file, operation, "DOS", true, where);
}

VeltError corruptFile(const std::string& file, const std::string& what, std::source_location where)
{
    return VeltError(what.empty() ? "corruption detected" : what,
                     {0, subcode::Corrupted, gencode::Corrupted}, file, {}, "DBFCDX", true, where);
}

VeltError diskFull(const std::string& file, std::source_location where)
{
    return VeltError("write error", {0, subcode::DiskFull, 0}, file, "write", "DOS", true, where);
}

VeltError reportError(const std::string& description, const std::string& file, const std::string& operation,
                      std::source_location where)
{
    return VeltError(description, {0, 0, gencode::Report}, file, operation, "VELT", true, where);
}

namespace {
std::function<void()>& hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void setBeforeErrorMessageHook(std::function<void()> h) { hook() = std::move(h); }
void runBeforeErrorMessageHook()
{
    if (hook()) hook()();
}

} // namespace velt
