// Memo files written by two processes at once: the allocation of new blocks
// is serialised, so no memo ever lands on another's blocks.
#include "data/fpt.h"
#include "support/child.h"
#include "support/tempdir.h"
#include "util/errors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velt;
using namespace velt::data;
using platform::Access;
using platform::Share;

TEST(Fpt, TwoProcessesWritingMemosNeverShareBlocks)
{
    test::TempDataDir dir;
    std::string path = dir.file("VARIE.DBT"), go = dir.file("GO");
    FptMemo::create(path, Share::Shared).close();
    auto writer = [&](char tag) {
        return [=] {
            FptMemo m = FptMemo::open(path, Access::ReadWrite, Share::Shared);
            if (!test::waitForFile(go, 10000)) return 2;   // both start together
            std::vector<std::pair<uint32_t, std::string>> mine;
            for (int i = 0; i < 3000; ++i) {
                std::string text(size_t(20 + (i * 37) % 300), tag);
                text += std::to_string(i);
                uint32_t old = mine.empty() || i % 3 ? 0 : mine.back().first;   // some rewrites in place
                uint32_t b = m.write(old, text);
                if (old) mine.back() = {b, text};
                else mine.emplace_back(b, text);
            }
            for (const auto& [b, text] : mine)
                if (m.read(b) != text) return 1;
            return 0;
        };
    };
    test::Child a = test::Child::run(writer('a'));
    test::Child b = test::Child::run(writer('b'));
    test::touchFile(go);
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);
}

TEST(Fpt, BadBlocksAndLengthsAreDamage)
{
    test::TempDataDir dir;
    FptMemo m = FptMemo::create(dir.file("M.DBT"), Share::Exclusive);
    uint32_t b = m.write(0, std::string(100, 'z'));
    EXPECT_EQ(m.read(b), std::string(100, 'z'));
    EXPECT_EQ(m.read(0), "");
    // A length that runs past the end of the file.
    unsigned char len[4] = {0, 0, 0x10, 0};
    m.file().writeAt(uint64_t(b) * 64 + 4, len, 4);
    for (uint32_t blk : {b, 3u, 100000u}) {
        try {
            m.read(blk);
            ADD_FAILURE() << blk;
        } catch (const VeltError& e) {
            EXPECT_EQ(e.subCode(), subcode::Corrupted) << blk;
        }
    }
}
