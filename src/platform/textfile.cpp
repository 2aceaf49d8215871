#include "platform/textfile.h"

#include "platform/file.h"
#include "platform/fs.h"
#include "util/errors.h"

namespace velt::platform {

std::optional<std::string> readWholeFile(const std::string& path)
{
    File f;
    try {
        f = File::open(path, Access::Read, Share::None);
    } catch (const VeltError& e) {
        if (e.osCode() == oscode::FileNotFound || e.osCode() == oscode::PathNotFound) return std::nullopt;
        throw;
    }
    std::string bytes(size_t(f.size()), '\0');
    bytes.resize(f.readAt(0, bytes.data(), bytes.size()));
    return bytes;
}

void writeFileAtomically(const std::string& path, const std::string& bytes)
{
    const std::string tmp = path + ".~new";
    try {
        File out = File::create(tmp, Share::Exclusive);
        out.writeAt(0, bytes.data(), bytes.size());
        out.sync();
        out.close();
        fs::renameReplace(tmp, path);
    } catch (const VeltError& e) {
        try {
            fs::removeFile(tmp);
        } catch (const VeltError&) {
            // the write's own error is the one to report
        }
        // Name the file the caller asked for, not the temporary one.
        if (e.file() == tmp) throw VeltError(e.description(), {e.osCode(), e.subCode(), e.genCode()}, path,
                                             e.operation(), e.subsystem(), e.severe(), e.where());
        throw;
    }
}

} // namespace velt::platform
