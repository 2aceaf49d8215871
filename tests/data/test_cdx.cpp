// The one-tag compact index: content after builds and random changes against
// a sorted reference, order of numbers/dates, seeks, counts with scopes,
// cursors across another process's changes, damaged files.
#include "data/cdx.h"
#include "platform/file.h"
#include "support/child.h"
#include "support/tempdir.h"
#include "util/errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

using namespace velt;
using namespace velt::data;
using platform::Access;
using platform::Share;

namespace {

using Entry = std::pair<std::string, uint32_t>;

std::vector<Entry> walk(CdxIndex& ix)
{
    std::vector<Entry> out;
    IndexCursor c;
    for (bool on = ix.first(c); on; on = ix.next(c)) out.emplace_back(c.key(), c.recno());
    return out;
}

std::vector<Entry> walkBack(CdxIndex& ix)
{
    std::vector<Entry> out;
    IndexCursor c;
    for (bool on = ix.last(c); on; on = ix.prev(c)) out.emplace_back(c.key(), c.recno());
    std::reverse(out.begin(), out.end());
    return out;
}

std::string textKey(const std::string& s, int len)
{
    std::string k = s;
    k.resize(size_t(len), ' ');
    return k;
}

std::string numKey(double v)
{
    std::string k(8, '\0');
    encodeNumberKey(v, k.data());
    return k;
}

IndexSpec textSpec(int len) { return {"descrizio", "!DELETED()", KeyType::Character, len, false, false}; }

CdxIndex buildFrom(const std::string& path, const IndexSpec& def, const std::vector<Entry>& entries,
                   Share share = Share::Exclusive)
{
    KeyList kl(def.keyLength);
    for (const auto& [k, r] : entries) kl.add(k.data(), r);
    return CdxIndex::build(path, def, share, kl);
}

} // namespace

TEST(Cdx, NumberKeysOrderNumericallyAndRoundTrip)
{
    std::vector<double> vals = {-1e9, -2.5, -1, -0.01, 0, 0.01, 1, 2.5, 2451545, 1e12};
    for (size_t i = 0; i + 1 < vals.size(); ++i) {
        EXPECT_LT(numKey(vals[i]), numKey(vals[i + 1])) << vals[i];
        EXPECT_EQ(decodeNumberKey(numKey(vals[i]).data()), vals[i]);
    }
    EXPECT_EQ(numKey(-0.0), numKey(0.0));
}

TEST(Cdx, BuildThenReopenGivesSortedKeysWithEqualKeysInRecnoOrder)
{
    test::TempDataDir dir;
    std::mt19937 rng(7);
    std::vector<Entry> entries;
    // Few distinct texts so many keys are equal; trailing blanks everywhere.
    const char* words[] = {"MAGLIA", "MAGLIONE", "", "ZAINO", "ABITO ROSSO", "ABITO"};
    for (uint32_t r = 1; r <= 5000; ++r) entries.emplace_back(textKey(words[rng() % 6], 40), r);
    std::shuffle(entries.begin(), entries.end(), rng);
    buildFrom(dir.file("DESCRIZ.NTX"), textSpec(40), entries).close();

    CdxIndex ix = CdxIndex::open(dir.file("DESCRIZ.NTX"), Access::ReadWrite, Share::Shared);
    EXPECT_EQ(ix.tagName(), "DESCRIZ");
    EXPECT_EQ(ix.keyExpression(), "descrizio");
    EXPECT_EQ(ix.forExpression(), "!DELETED()");
    EXPECT_EQ(ix.keyLength(), 40);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(walk(ix), entries);
    EXPECT_EQ(walkBack(ix), entries);
    EXPECT_EQ(ix.count(), 5000u);
}

TEST(Cdx, RandomInsertsAndRemovesMatchSortedReference)
{
    // Short keys (many per page, deep trees) and long ones (few per page,
    // two-entry interior pages); record numbers large enough to need wide
    // entries.
    for (int len : {13, 200}) {
        SCOPED_TRACE(len);
        test::TempDataDir dir;
        std::mt19937 rng(42);
        std::set<Entry> ref;
        CdxIndex ix = buildFrom(dir.file("CODNEG.NTX"), textSpec(len), {});
        auto randomKey = [&] {
            std::string s;
            int n = int(rng() % uint32_t(len)) + 1;
            for (int i = 0; i < n; ++i) s += char('0' + rng() % 10);
            return textKey(s, len);
        };
        uint32_t nextRec = len > 100 ? 16000000 : 1;
        const int scale = len > 100 ? 1 : 4;
        // Grow to force splits, shrink to force merges and frees, grow again.
        for (int phase = 0; phase < 3; ++phase) {
            int steps = (phase == 1 ? 1250 : 1000) * scale;
            for (int i = 0; i < steps; ++i) {
                bool add = phase != 1 ? (rng() % 4 != 0) : (rng() % 5 == 0);
                if (add || ref.empty()) {
                    Entry e{randomKey(), nextRec++};
                    ix.insert(e.first, e.second);
                    ref.insert(e);
                } else {
                    auto it = ref.begin();
                    std::advance(it, rng() % ref.size());
                    EXPECT_TRUE(ix.remove(it->first, it->second));
                    ref.erase(it);
                }
            }
            std::vector<Entry> want(ref.begin(), ref.end());
            ASSERT_EQ(walk(ix), want) << "phase " << phase;
            EXPECT_EQ(ix.count(), want.size());
        }
        EXPECT_FALSE(ix.remove(textKey("NOPE", len), 999999));
        // Reading the file afresh sees the same.
        ix.close();
        CdxIndex again = CdxIndex::open(dir.file("CODNEG.NTX"), Access::Read, Share::Shared);
        EXPECT_EQ(walk(again), std::vector<Entry>(ref.begin(), ref.end()));
    }
}

TEST(Cdx, RemovingEverythingLeavesAnEmptyIndexThatGrowsAgain)
{
    test::TempDataDir dir;
    std::vector<Entry> entries;
    for (uint32_t r = 1; r <= 3000; ++r) entries.emplace_back(numKey(double(r % 97)), r);
    CdxIndex ix = buildFrom(dir.file("DATA.NTX"), {"data", "", KeyType::Numeric, 8}, {});
    auto fileSize = [&] { return platform::File::open(dir.file("DATA.NTX"), Access::Read, Share::None).size(); };
    for (const auto& [k, r] : entries) ix.insert(k, r);
    EXPECT_EQ(ix.count(), 3000u);
    uint64_t grown = fileSize();
    for (const auto& [k, r] : entries) ASSERT_TRUE(ix.remove(k, r));
    IndexCursor c;
    EXPECT_FALSE(ix.first(c));
    EXPECT_TRUE(c.atEnd());
    EXPECT_EQ(ix.count(), 0u);
    // Pages freed by the removals are reused: filling it again does not grow the file.
    for (const auto& [k, r] : entries) ix.insert(k, r);
    EXPECT_EQ(ix.count(), 3000u);
    EXPECT_LE(fileSize(), grown);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(walk(ix), entries);
}

TEST(Cdx, DatesAndNumbersEmptyFirstNegativesBeforePositives)
{
    test::TempDataDir dir;
    std::vector<double> vals = {2451545, 0, -3.5, 12, -100, 0, 2460000};
    CdxIndex ix = buildFrom(dir.file("N.NTX"), {"importo", "", KeyType::Numeric, 8}, {});
    for (size_t i = 0; i < vals.size(); ++i) ix.insert(numKey(vals[i]), uint32_t(i + 1));
    std::vector<double> got;
    IndexCursor c;
    for (bool on = ix.first(c); on; on = ix.next(c)) got.push_back(decodeNumberKey(c.key().data()));
    EXPECT_EQ(got, (std::vector<double>{-100, -3.5, 0, 0, 12, 2451545, 2460000}));
    // Reopened as Numeric, trailing zero bytes come back as zeros.
    ix.close();
    CdxIndex re = CdxIndex::open(dir.file("N.NTX"), Access::Read, Share::Shared);
    re.setKeyType(KeyType::Numeric);
    ASSERT_TRUE(re.first(c));
    EXPECT_EQ(decodeNumberKey(c.key().data()), -100);
}

TEST(Cdx, SeekExactPrefixSoftAndLast)
{
    test::TempDataDir dir;
    std::vector<Entry> entries;
    const char* codes[] = {"8001234567890", "8001234", "8009", "123", "8001234567890", "9"};
    for (uint32_t r = 1; r <= 6; ++r) entries.emplace_back(textKey(codes[r - 1], 13), r);
    CdxIndex ix = buildFrom(dir.file("CODNEG.NTX"), textSpec(13), entries);
    IndexCursor c;
    struct Case {
        std::string sought;
        bool found;
        std::string at;   // key text where it stops ("" = end)
        uint32_t rec;
    } cases[] = {
        {textKey("8001234567890", 13), true, "8001234567890", 1},  // equal keys: lowest recno first
        {"8001234", true, "8001234", 2},                            // prefix: first key starting so
        {"80012345", true, "8001234567890", 1},
        {"8002", false, "8009", 3},                                 // soft: next greater
        {"99", false, "", 0},                                       // past everything
        {"", true, "123", 4},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(ix.seek(c, k.sought), k.found) << k.sought;
        if (k.at.empty()) {
            EXPECT_TRUE(c.atEnd()) << k.sought;
        } else {
            ASSERT_TRUE(c.onKey()) << k.sought;
            EXPECT_EQ(c.key(), textKey(k.at, 13)) << k.sought;
            EXPECT_EQ(c.recno(), k.rec) << k.sought;
        }
    }
    EXPECT_TRUE(ix.seekLast(c, "8001"));
    EXPECT_EQ(c.recno(), 5u);   // last of the keys starting "8001"
    EXPECT_TRUE(ix.seekEntry(c, textKey("8001234567890", 13), 5));
    EXPECT_FALSE(ix.seekEntry(c, textKey("8001234567890", 13), 3));
    EXPECT_EQ(c.recno(), 5u);
    EXPECT_FALSE(ix.seekLast(c, "0"));
}

TEST(Cdx, CountWithScopesOrdinalAndPosition)
{
    test::TempDataDir dir;
    std::vector<Entry> entries;
    for (uint32_t r = 1; r <= 20000; ++r) entries.emplace_back(numKey(double(2451545 + r % 365)), r);
    CdxIndex ix = buildFrom(dir.file("SCARICO.NTX"), {"data", "!DELETED()", KeyType::Numeric, 8}, entries);
    auto inRange = [&](int lo, int hi) {
        return uint64_t(std::count_if(entries.begin(), entries.end(), [&](const Entry& e) {
            double v = decodeNumberKey(e.first.data());
            return v >= lo && v <= hi;
        }));
    };
    EXPECT_EQ(ix.count(numKey(2451600), numKey(2451700)), inRange(2451600, 2451700));
    EXPECT_EQ(ix.count(numKey(2451600), std::nullopt), inRange(2451600, 9999999));
    EXPECT_EQ(ix.count(std::nullopt, numKey(2451546)), inRange(0, 2451546));
    EXPECT_EQ(ix.count(numKey(3000000), std::nullopt), 0u);

    IndexCursor c;
    ASSERT_TRUE(ix.seek(c, numKey(2451700)));
    EXPECT_EQ(ix.ordinal(c), inRange(0, 2451699));
    EXPECT_DOUBLE_EQ(ix.relativePosition(c), double(inRange(0, 2451699)) / 19999.0);
    ix.first(c);
    EXPECT_EQ(ix.ordinal(c), 0u);
    EXPECT_EQ(ix.relativePosition(c), 0.0);
    ix.last(c);
    EXPECT_EQ(ix.relativePosition(c), 1.0);
}

TEST(Cdx, CursorFollowsChangesMadeByAnotherProcess)
{
    test::TempDataDir dir;
    std::vector<Entry> entries;
    for (uint32_t r = 1; r <= 2000; ++r) entries.emplace_back(textKey("K" + std::to_string(10000 + r), 10), r);
    std::string path = dir.file("TIPI1.NTX");
    buildFrom(path, textSpec(10), entries, Share::Shared).close();
    CdxIndex ix = CdxIndex::open(path, Access::ReadWrite, Share::Shared);
    IndexCursor c;
    ASSERT_TRUE(ix.seek(c, "K11000"));
    uint32_t before = ix.changeCounter();

    // The other process removes our entry and the one after it, and inserts
    // enough keys ahead of us to split pages under our cursor.
    test::Child child = test::Child::run([&] {
        CdxIndex other = CdxIndex::open(path, Access::ReadWrite, Share::Shared);
        other.remove(textKey("K11000", 10), 1000);
        other.remove(textKey("K11001", 10), 1001);
        for (uint32_t r = 3000; r < 3600; ++r) other.insert(textKey("K0" + std::to_string(r), 10), r);
        other.insert(textKey("K11000X", 10), 5000);
        return 0;
    });
    ASSERT_EQ(child.wait(), 0);

    EXPECT_TRUE(ix.next(c));   // the removed entry's follower
    EXPECT_EQ(c.key(), textKey("K11000X", 10));
    EXPECT_TRUE(ix.next(c));
    EXPECT_EQ(c.key(), textKey("K11002", 10));
    EXPECT_TRUE(ix.prev(c));
    EXPECT_EQ(c.recno(), 5000u);
    EXPECT_GT(ix.changeCounter(), before);
    EXPECT_EQ(ix.count(), 2000u - 2 + 600 + 1);
}

TEST(Cdx, DamagedFilesAreReportedNotCrashed)
{
    test::TempDataDir dir;
    std::vector<Entry> entries;
    for (uint32_t r = 1; r <= 3000; ++r) entries.emplace_back(textKey(std::to_string(r * 7919 % 10007), 13), r);
    std::string good = dir.file("GOOD.NTX");
    buildFrom(good, textSpec(13), entries).close();
    std::string bytes;
    {
        auto f = platform::File::open(good, Access::Read, Share::None);
        bytes.resize(f.size());
        f.readExact(0, bytes.data(), bytes.size());
    }
    auto write = [&](const std::string& name, const std::string& content) {
        auto f = platform::File::create(dir.file(name), Share::None);
        f.writeAt(0, content.data(), content.size());
        return dir.file(name);
    };
    auto expectCorrupt = [&](const std::string& path) {
        try {
            CdxIndex ix = CdxIndex::open(path, Access::Read, Share::None);
            walk(ix);
            ix.count();
            ADD_FAILURE() << path << " read without complaint";
        } catch (const VeltError& e) {
            EXPECT_EQ(e.subCode(), subcode::Corrupted) << path << ": " << e.what();
            EXPECT_EQ(e.file(), path);
        }
    };
    expectCorrupt(write("SHORT.NTX", bytes.substr(0, 1500)));
    expectCorrupt(write("GARBAGE.NTX", std::string(4096, '\x5A')));
    std::string badRoot = bytes;
    uint32_t far = 0x7FFFFE00;
    std::memcpy(&badRoot[1536], &far, 4);   // tag root beyond the file
    expectCorrupt(write("ROOT.NTX", badRoot));
    std::string cut = bytes.substr(0, bytes.size() - 2048);   // pages missing at the end
    expectCorrupt(write("CUT.NTX", cut));
    std::string badCount = bytes;
    badCount[2560 + 2] = '\xFF';   // first leaf: key count far too large
    badCount[2560 + 3] = '\x7F';
    expectCorrupt(write("COUNT.NTX", badCount));

    // Random byte damage: either it reads or it says "damaged"; never a crash.
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        std::string m = bytes;
        for (int k = 0; k < 8; ++k) m[rng() % m.size()] = char(rng());
        try {
            CdxIndex ix = CdxIndex::open(write("FUZZ.NTX", m), Access::Read, Share::None);
            walk(ix);
            walkBack(ix);
            IndexCursor c;
            ix.seek(c, "5");
        } catch (const VeltError&) {
        }
    }
}

TEST(Cdx, TwoProcessesInsertingAtOnceLoseNothing)
{
    test::TempDataDir dir;
    std::string path = dir.file("CARICO.NTX"), go = dir.file("GO");
    buildFrom(path, textSpec(10), {}, Share::Shared).close();
    auto inserter = [&](uint32_t base) {
        return [=] {
            CdxIndex ix = CdxIndex::open(path, Access::ReadWrite, Share::Shared);
            if (!test::waitForFile(go, 10000)) return 2;
            for (uint32_t i = 0; i < 1500; ++i) ix.insert(textKey(std::to_string((i * 7919 + base) % 5000), 10), base + i);
            return 0;
        };
    };
    test::Child a = test::Child::run(inserter(10000));
    test::Child b = test::Child::run(inserter(20000));
    test::touchFile(go);
    ASSERT_EQ(a.wait(), 0);
    ASSERT_EQ(b.wait(), 0);
    std::vector<Entry> want;
    for (uint32_t base : {10000u, 20000u})
        for (uint32_t i = 0; i < 1500; ++i) want.emplace_back(textKey(std::to_string((i * 7919 + base) % 5000), 10), base + i);
    std::sort(want.begin(), want.end());
    CdxIndex ix = CdxIndex::open(path, Access::Read, Share::Shared);
    EXPECT_EQ(walk(ix), want);
}

TEST(Cdx, SeekOrdinalLandsWhereStepwiseWalkingDoes)
{
    // Long keys: few per leaf, so a few thousand keys span many leaves; the
    // removes and inserts leave leaves of uneven fill, shared mode reads
    // uncached page headers from the file.
    test::TempDataDir dir;
    std::mt19937 rng(11);
    std::vector<Entry> entries;
    for (uint32_t r = 1; r <= 3000; ++r) entries.emplace_back(textKey("K" + std::to_string(rng() % 700), 60), r);
    CdxIndex ix = buildFrom(dir.file("ORD.NTX"), textSpec(60), entries, Share::Shared);
    for (uint32_t r = 1; r <= 3000; r += 3) ASSERT_TRUE(ix.remove(entries[r - 1].first, r));
    for (uint32_t r = 3001; r <= 3600; ++r) ix.insert(textKey("K" + std::to_string(rng() % 700), 60), r);
    std::vector<Entry> ref = walk(ix);
    ASSERT_EQ(ref.size(), ix.count());
    CdxIndex reopened = CdxIndex::open(dir.file("ORD.NTX"), Access::Read, Share::Shared);
    for (CdxIndex* x : {&ix, &reopened}) {
        for (uint64_t n = 0; n < ref.size(); n += (n % 7) + 1) {
            IndexCursor c;
            ASSERT_TRUE(x->seekOrdinal(c, n)) << n;
            EXPECT_EQ(Entry(c.key(), c.recno()), ref[n]) << n;
            EXPECT_EQ(x->ordinal(c), n);
        }
        IndexCursor c;
        ASSERT_TRUE(x->seekOrdinal(c, ref.size() - 1));
        EXPECT_EQ(Entry(c.key(), c.recno()), ref.back());
        EXPECT_FALSE(x->next(c));
        EXPECT_FALSE(x->seekOrdinal(c, ref.size()));
        EXPECT_TRUE(c.atEnd());
    }
}
