#pragma once
// The memo file of a table (FoxPro FPT layout with 64-byte blocks, stored
// with the extension ".DBT"): 512-byte header (next free block, BE; block
// size, BE, 64), then memos of type 1 (text) with a BE length, padded to the
// next block. The text is stored and returned as raw bytes (Windows-1252);
// the table converts to and from UTF-8.
//
// Allocation of new blocks by several processes is serialised by a write
// lock on 1 byte at kMemoAllocLockOffset held only while the header's next
// free block is read and advanced.
#include "platform/file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velt::data {

inline constexpr uint64_t kMemoAllocLockOffset = 0x7FFFFFFE;
inline constexpr uint32_t kMemoBlockSize = 64;

class FptMemo {
public:
    static FptMemo open(const std::string& path, platform::Access access, platform::Share share);
    // Creates an empty memo file (next free block 8), replacing one there.
    static FptMemo create(const std::string& path, platform::Share share);

    const std::string& path() const { return file_.path(); }
    platform::File& file() { return file_; }
    void close() noexcept { file_.close(); }

    // The bytes of the memo at `block`; block 0 is "no memo" (empty). A block
    // before the header, beyond the file, a bad type or a length running past
    // the file -> corruptFile.
    std::string read(uint32_t block) const;
    // Stores `bytes` as a memo replacing the one at `oldBlock` (0 for none):
    // in place when it fits the blocks the old one spans, else at the next
    // free block. Returns the block number (0 for empty bytes: no memo).
    uint32_t write(uint32_t oldBlock, std::string_view bytes);
    // Empties the file (header only).
    void zap();

private:
    uint32_t blocksFor(uint64_t length) const;
    uint32_t readNextFree() const;

    platform::File file_;
    uint32_t blockSize_ = kMemoBlockSize;
};

} // namespace velt::data
