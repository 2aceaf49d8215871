#include "data/fpt.h"

#include "util/errors.h"

#include <cstring>

namespace velt::data {

namespace {

constexpr uint32_t kHeaderSize = 512;

uint32_t getBE32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
void putBE32(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

void writeHeader(platform::File& f, uint32_t nextFree)
{
    unsigned char h[kHeaderSize] = {};
    putBE32(h, nextFree);
    h[6] = 0;
    h[7] = kMemoBlockSize;
    f.writeAt(0, h, sizeof h);
}

// Holds the allocation lock of a memo file for one write.
class AllocLock {
public:
    explicit AllocLock(platform::File& f) : f_(f)
    {
        if (f_.share() != platform::Share::Shared) return;
        while (!f_.tryWriteLock(kMemoAllocLockOffset, 1)) platform::shortPause();
        held_ = true;
    }
    ~AllocLock()
    {
        if (held_) {
            try {
                f_.unlock(kMemoAllocLockOffset, 1);
            } catch (...) {
            }
        }
    }

private:
    platform::File& f_;
    bool held_ = false;
};

} // namespace

FptMemo FptMemo::open(const std::string& path, platform::Access access, platform::Share share)
{
    FptMemo m;
    m.file_ = platform::File::open(path, access, share);
    unsigned char h[8];
    if (m.file_.readAt(0, h, sizeof h) != sizeof h) throw corruptFile(path, "memo header");
    uint32_t bs = uint32_t(h[6]) << 8 | h[7];
    if (bs == 0) throw corruptFile(path, "memo block size");
    m.blockSize_ = bs;
    return m;
}

FptMemo FptMemo::create(const std::string& path, platform::Share share)
{
    FptMemo m;
    m.file_ = platform::File::create(path, share);
    writeHeader(m.file_, kHeaderSize / kMemoBlockSize);
    return m;
}

uint32_t FptMemo::blocksFor(uint64_t length) const
{
    return uint32_t((length + 8 + blockSize_ - 1) / blockSize_);
}

uint32_t FptMemo::readNextFree() const
{
    unsigned char h[4];
    file_.readExact(0, h, 4);
    uint32_t next = getBE32(h);
    uint32_t minBlock = (kHeaderSize + blockSize_ - 1) / blockSize_;
    if (next < minBlock) throw corruptFile(path(), "memo next free block");
    return next;
}

std::string FptMemo::read(uint32_t block) const
{
    if (block == 0) return {};
    uint64_t off = uint64_t(block) * blockSize_;
    uint64_t size = file_.size();
    if (off < kHeaderSize || off + 8 > size) throw corruptFile(path(), "memo block out of range");
    unsigned char h[8];
    file_.readExact(off, h, 8);
    uint32_t type = getBE32(h), len = getBE32(h + 4);
    if (type > 2) throw corruptFile(path(), "memo type");
    if (off + 8 + len > size) throw corruptFile(path(), "memo length");
    std::string s(len, '\0');
    if (len) file_.readExact(off + 8, s.data(), len);
    return s;
}

uint32_t FptMemo::write(uint32_t oldBlock, std::string_view bytes)
{
    if (bytes.empty()) return 0;
    uint32_t need = blocksFor(bytes.size());
    uint32_t block = 0;
    if (oldBlock != 0) {
        // The old memo's span in blocks: reuse it when the new text fits.
        uint64_t off = uint64_t(oldBlock) * blockSize_;
        unsigned char h[8];
        if (off >= kHeaderSize && file_.readAt(off, h, 8) == 8 && getBE32(h) <= 2) {
            uint32_t oldLen = getBE32(h + 4);
            if (off + 8 + oldLen <= file_.size() && blocksFor(oldLen) >= need) block = oldBlock;
        }
    }
    std::string buf(size_t(need) * blockSize_, '\0');
    auto* p = reinterpret_cast<unsigned char*>(buf.data());
    putBE32(p, 1);
    putBE32(p + 4, uint32_t(bytes.size()));
    std::memcpy(p + 8, bytes.data(), bytes.size());
    if (block != 0) {
        // Only the used bytes: the rest of the span stays as it was.
        file_.writeAt(uint64_t(block) * blockSize_, buf.data(), 8 + bytes.size());
        return block;
    }
    AllocLock lock(file_);
    block = readNextFree();
    // The memo first, then the header that gives its blocks away.
    file_.writeAt(uint64_t(block) * blockSize_, buf.data(), buf.size());
    unsigned char h[4];
    putBE32(h, block + need);
    file_.writeAt(0, h, 4);
    return block;
}

void FptMemo::zap()
{
    file_.truncate(0);
    writeHeader(file_, kHeaderSize / kMemoBlockSize);
    blockSize_ = kMemoBlockSize;
}

} // namespace velt::data
