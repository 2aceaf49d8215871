// DBF tables and their FPT memo files: field round trips, numbers that do
// not fit, header bytes, appends seen by another handle, the crash rule for
// the record count, zap, damaged files.
#include "data/dbf.h"
#include "platform/clock.h"
#include "support/tempdir.h"
#include "util/errors.h"
#include "util/numround.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

using namespace velt;
using namespace velt::data;

namespace {

const std::vector<FieldDef> kVarie = {
    {"DATA", 'D', 8, 0}, {"FORNITORE", 'C', 30, 0}, {"IMPORTO", 'N', 9, 2}, {"SI", 'L', 1, 0}, {"NOTE", 'M', 10, 0}};

std::string readAll(const std::string& path)
{
    auto f = platform::File::open(path, Access::Read, Share::None);
    std::string s(f.size(), '\0');
    f.readExact(0, s.data(), s.size());
    return s;
}

void writeAll(const std::string& path, const std::string& bytes)
{
    auto f = platform::File::create(path, Share::None);
    f.writeAt(0, bytes.data(), bytes.size());
}

struct FixedToday {
    FixedToday() { platform::setClock(std::make_unique<platform::FixedClock>(Date::fromYMD(2024, 3, 9))); }
};

} // namespace

TEST(Dbf, HeaderBytesFollowTheLayout)
{
    test::TempDataDir dir;
    FixedToday today;
    DbfTable t = DbfTable::create(dir.file("VARIE.DBF"), kVarie, Share::Exclusive);
    std::string rec = t.blankRecord();
    t.appendRecord(rec.data());
    t.close();
    std::string b = readAll(dir.file("VARIE.DBF"));
    ASSERT_EQ(b.size(), 32u + 5 * 32 + 1 + 59 + 1);
    EXPECT_EQ(uint8_t(b[0]), 0xF5);                       // with memo
    EXPECT_EQ(b.substr(1, 3), std::string("\x7C\x03\x09", 3));  // 2024-03-09
    EXPECT_EQ(uint8_t(b[4]), 1);
    EXPECT_EQ(uint8_t(b[8]) | uint8_t(b[9]) << 8, 32 + 5 * 32 + 1);
    EXPECT_EQ(uint8_t(b[10]) | uint8_t(b[11]) << 8, 1 + 8 + 30 + 9 + 1 + 10);
    EXPECT_EQ(uint8_t(b[29]), 0x03);
    EXPECT_EQ(b.substr(32 + 32 * 2, 7), std::string("IMPORTO"));
    EXPECT_EQ(b[32 + 32 * 2 + 11], 'N');
    EXPECT_EQ(uint8_t(b[32 + 32 * 2 + 16]), 9);
    EXPECT_EQ(uint8_t(b[32 + 32 * 2 + 17]), 2);
    EXPECT_EQ(b[32 + 5 * 32], '\x0D');
    EXPECT_EQ(b.back(), '\x1A');
    std::string memo = readAll(dir.file("VARIE.DBT"));
    ASSERT_EQ(memo.size(), 512u);
    EXPECT_EQ(memo.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));

    DbfTable plain = DbfTable::create(dir.file("FORNITOR.DBF"), {{"fornitore", 'C', 30, 0}}, Share::Exclusive);
    EXPECT_FALSE(plain.hasMemo());
    EXPECT_EQ(plain.fields()[0].name, "FORNITORE");
    plain.close();
    EXPECT_EQ(uint8_t(readAll(dir.file("FORNITOR.DBF"))[0]), 0x03);
}

TEST(Dbf, EveryFieldTypeRoundTrips)
{
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("VARIE.DBF"), kVarie, Share::Exclusive);
    std::string rec = t.blankRecord();
    std::string longNote(300, 'x');
    longNote += " città €";
    t.putValue(rec.data(), 0, Date::fromYMD(2079, 2, 1));
    t.putValue(rec.data(), 1, "Caffè Più");
    t.putValue(rec.data(), 2, -1234.565);   // rounds half away from zero
    t.putValue(rec.data(), 3, true);
    t.putValue(rec.data(), 4, longNote);
    uint32_t n = t.appendRecord(rec.data());
    std::string blank = t.blankRecord();
    t.appendRecord(blank.data());
    t.close();

    DbfTable r = DbfTable::open(dir.file("VARIE.DBF"), Access::ReadWrite, Share::Shared);
    ASSERT_EQ(r.recordCount(), 2u);
    std::string got(r.recordLength(), '\0');
    r.readRecord(n, got.data());
    EXPECT_EQ(r.getValue(got.data(), 0).date(), Date::fromYMD(2079, 2, 1));
    EXPECT_EQ(r.fieldBytes(got.data(), 0), "20790201");
    EXPECT_EQ(r.getValue(got.data(), 1).text(), "Caffè Più" + std::string(21, ' '));
    EXPECT_EQ(r.fieldBytes(got.data(), 1).substr(0, 9), "Caff\xE8 Pi\xF9");   // Windows-1252 in the file
    EXPECT_EQ(r.fieldBytes(got.data(), 2), " -1234.57");
    EXPECT_DOUBLE_EQ(r.getValue(got.data(), 2).number(), -1234.57);
    EXPECT_TRUE(r.getValue(got.data(), 3).logical());
    EXPECT_EQ(r.getValue(got.data(), 4).text(), longNote);
    EXPECT_FALSE(DbfTable::isDeleted(got.data()));

    // The blank record reads as the empty values of each type.
    r.readRecord(2, got.data());
    EXPECT_TRUE(r.getValue(got.data(), 0).date().isEmpty());
    EXPECT_EQ(r.getValue(got.data(), 2).number(), 0.0);
    EXPECT_FALSE(r.getValue(got.data(), 3).logical());
    EXPECT_EQ(r.getValue(got.data(), 4).text(), "");

    // Logical reading rules, text cut to the width, deleted flag.
    for (auto [c, want] : {std::pair{'T', true}, {'t', true}, {'Y', true}, {'y', true}, {'F', false}, {'N', false}, {'?', false}}) {
        got[size_t(r.fields()[3].offset)] = c;
        EXPECT_EQ(r.getValue(got.data(), 3).logical(), want) << c;
    }
    r.putValue(got.data(), 1, std::string(40, 'A'));
    EXPECT_EQ(r.fieldBytes(got.data(), 1), std::string(30, 'A'));
    DbfTable::setDeleted(got.data(), true);
    r.writeRecord(2, got.data());
    r.readRecord(2, got.data());
    EXPECT_TRUE(DbfTable::isDeleted(got.data()));
}

TEST(Dbf, NumberThatDoesNotFitIsRefusedNamingTableAndField)
{
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("ARTICOLI.DBF"),
                                  {{"GIACENZA", 'N', 3, 0}, {"PREVEN", 'N', 6, 2}}, Share::Exclusive);
    std::string rec = t.blankRecord();
    struct Case {
        int field;
        double v;
        const char* stored;   // nullptr: refused
    } cases[] = {
        {0, 999, "999"},   {0, -99, "-99"},   {0, 1000, nullptr},   {0, -100, nullptr},
        {1, 999.99, "999.99"}, {1, -99.99, "-99.99"}, {1, 999.995, nullptr}, {1, -0.001, "  0.00"},
        {1, 1.005, "  1.01"},
    };
    for (const auto& c : cases) {
        std::string before = rec;
        if (c.stored) {
            t.putValue(rec.data(), c.field, c.v);
            EXPECT_EQ(t.fieldBytes(rec.data(), c.field), c.stored) << c.v;
            continue;
        }
        try {
            t.putValue(rec.data(), c.field, c.v);
            ADD_FAILURE() << c.v << " was stored";
        } catch (const VeltError& e) {
            std::string text = e.description();
            EXPECT_NE(text.find("ARTICOLI"), std::string::npos) << text;
            EXPECT_NE(text.find(t.fields()[size_t(c.field)].name), std::string::npos) << text;
            EXPECT_EQ(e.genCode(), gencode::Report);
        }
        EXPECT_EQ(rec, before) << "buffer changed by a refused " << c.v;
    }
    EXPECT_THROW(t.putValue(rec.data(), 0, "text"), VeltError);
}

TEST(Dbf, MemoReusesItsBlocksWhenItFitsAndMovesWhenItGrows)
{
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("VARIE.DBF"), kVarie, Share::Exclusive);
    std::string rec = t.blankRecord();
    t.putValue(rec.data(), 4, std::string(100, 'a'));   // 108 bytes: blocks 8-9
    std::string first(t.fieldBytes(rec.data(), 4));
    EXPECT_EQ(first, "         8");
    t.putValue(rec.data(), 4, std::string(120, 'b'));   // still two blocks
    EXPECT_EQ(std::string(t.fieldBytes(rec.data(), 4)), first);
    t.putValue(rec.data(), 4, std::string(200, 'c'));   // four blocks: next free is 10
    EXPECT_EQ(t.fieldBytes(rec.data(), 4), "        10");
    EXPECT_EQ(t.getValue(rec.data(), 4).text(), std::string(200, 'c'));
    t.putValue(rec.data(), 4, "");
    EXPECT_EQ(t.fieldBytes(rec.data(), 4), "          ");
    // A block number beyond the memo file is damage, not a crash.
    std::memcpy(rec.data() + t.fields()[4].offset, "     99999", 10);
    try {
        t.getValue(rec.data(), 4);
        ADD_FAILURE();
    } catch (const VeltError& e) {
        EXPECT_EQ(e.subCode(), subcode::Corrupted);
        EXPECT_EQ(e.file(), dir.file("VARIE.DBT"));
    }
}

TEST(Dbf, AppendsByAnotherHandleAreSeenAndNeverOverwritten)
{
    test::TempDataDir dir;
    DbfTable a = DbfTable::create(dir.file("CARICO.DBF"), {{"CODICE", 'C', 13, 0}}, Share::Shared);
    DbfTable b = DbfTable::open(dir.file("CARICO.DBF"), Access::ReadWrite, Share::Shared);
    std::string r = a.blankRecord();
    std::memcpy(r.data() + 1, "AAA", 3);
    EXPECT_EQ(a.appendRecord(r.data()), 1u);
    std::memcpy(r.data() + 1, "BBB", 3);
    EXPECT_EQ(b.appendRecord(r.data()), 2u);   // b had not seen a's record
    EXPECT_EQ(a.recordCount(), 1u);
    std::string got(a.recordLength(), '\0');
    a.readRecord(2, got.data());   // past what a knew: the count is read again
    EXPECT_EQ(got.substr(1, 3), "BBB");
    EXPECT_EQ(a.recordCount(), 2u);
    a.readRecord(1, got.data());
    EXPECT_EQ(got.substr(1, 3), "AAA");
    EXPECT_THROW(a.readRecord(3, got.data()), VeltError);
}

TEST(Dbf, RecordCountPastTheEndOfTheFile)
{
    test::TempDataDir dir;
    {
        DbfTable t = DbfTable::create(dir.file("T.DBF"), {{"X", 'C', 10, 0}}, Share::Exclusive);
        std::string r = t.blankRecord();
        for (int i = 0; i < 5; ++i) t.appendRecord(r.data());
    }
    std::string bytes = readAll(dir.file("T.DBF"));
    const size_t hdr = 32 + 32 + 1, len = 11;
    ASSERT_EQ(bytes.size(), hdr + 5 * len + 1);

    // The last record cut in half by a crash: the table reads on with four,
    // and the next append takes number five again.
    writeAll(dir.file("T.DBF"), bytes.substr(0, hdr + 4 * len + 5));
    {
        DbfTable t = DbfTable::open(dir.file("T.DBF"), Access::ReadWrite, Share::Exclusive);
        EXPECT_EQ(t.recordCount(), 4u);
        std::string r = t.blankRecord();
        EXPECT_EQ(t.appendRecord(r.data()), 5u);
    }
    EXPECT_EQ(readAll(dir.file("T.DBF")).size(), hdr + 5 * len + 1);

    // Bytes past the counted records (record written, count not) are ignored.
    std::string extra = bytes;
    extra[4] = 4;
    writeAll(dir.file("T.DBF"), extra);
    EXPECT_EQ(DbfTable::open(dir.file("T.DBF"), Access::Read, Share::None).recordCount(), 4u);

    // A count far beyond the file is damage.
    std::string far = bytes;
    far[4] = 50;
    writeAll(dir.file("T.DBF"), far);
    EXPECT_THROW(DbfTable::open(dir.file("T.DBF"), Access::Read, Share::None), VeltError);
}

TEST(Dbf, DamagedHeadersAreReportedAsDamagedFiles)
{
    test::TempDataDir dir;
    {
        DbfTable t = DbfTable::create(dir.file("G.DBF"), kVarie, Share::Exclusive);
        std::string r = t.blankRecord();
        t.appendRecord(r.data());
    }
    std::string good = readAll(dir.file("G.DBF"));
    auto damaged = [&](std::string bytes) {
        writeAll(dir.file("D.DBF"), bytes);
        writeAll(dir.file("D.DBT"), readAll(dir.file("G.DBT")));
        try {
            DbfTable::open(dir.file("D.DBF"), Access::Read, Share::None);
            return std::string("opened");
        } catch (const VeltError& e) {
            EXPECT_EQ(e.file(), dir.file("D.DBF"));
            return e.subCode() == subcode::Corrupted ? std::string("corrupt") : std::string("other");
        }
    };
    std::string noEnd = good;
    noEnd[32 + 5 * 32] = 'X';
    std::string badLen = good;
    badLen[10] = 3;
    std::string badVersion = good;
    badVersion[0] = 0x77;
    std::string zeroWidth = good;
    zeroWidth[32 + 16] = 0;
    EXPECT_EQ(damaged(good.substr(0, 20)), "corrupt");
    EXPECT_EQ(damaged(std::string(600, '\0')), "corrupt");
    EXPECT_EQ(damaged(noEnd), "corrupt");
    EXPECT_EQ(damaged(badLen), "corrupt");
    EXPECT_EQ(damaged(badVersion), "corrupt");
    EXPECT_EQ(damaged(zeroWidth), "corrupt");
    EXPECT_EQ(damaged(good), "opened");

    // Random damage: opens or says damaged, never crashes or reads outside.
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::string m = good;
        for (int k = 0; k < 4; ++k) m[rng() % m.size()] = char(rng());
        writeAll(dir.file("F.DBF"), m);
        writeAll(dir.file("F.DBT"), readAll(dir.file("G.DBT")));
        try {
            DbfTable t = DbfTable::open(dir.file("F.DBF"), Access::Read, Share::None);
            std::string r(t.recordLength(), '\0');
            for (uint32_t i = 1; i <= t.recordCount(); ++i) {
                t.readRecord(i, r.data());
                for (int f = 0; f < int(t.fields().size()); ++f) t.getValue(r.data(), f);
            }
        } catch (const VeltError&) {
        }
    }
}

TEST(Dbf, ZapEmptiesTableAndMemo)
{
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("VARIE.DBF"), kVarie, Share::Exclusive);
    std::string r = t.blankRecord();
    t.putValue(r.data(), 4, "nota");
    t.appendRecord(r.data());
    t.zap();
    EXPECT_EQ(t.recordCount(), 0u);
    t.close();
    EXPECT_EQ(readAll(dir.file("VARIE.DBF")).size(), 32u + 5 * 32 + 1 + 1);
    EXPECT_EQ(readAll(dir.file("VARIE.DBT")).size(), 512u);
    EXPECT_EQ(DbfTable::open(dir.file("VARIE.DBF"), Access::Read, Share::None).recordCount(), 0u);
}

TEST(Dbf, BadDefinitionsAreRefused)
{
    test::TempDataDir dir;
    std::vector<std::vector<FieldDef>> bad = {
        {},
        {{"", 'C', 10, 0}},
        {{"NOMETROPPOLUNGO", 'C', 10, 0}},
        {{"A", 'C', 10, 0}, {"a", 'C', 5, 0}},
        {{"A", 'X', 10, 0}},
        {{"A", 'C', 0, 0}},
        {{"A", 'N', 5, 4}},
    };
    for (const auto& defs : bad) EXPECT_THROW(DbfTable::create(dir.file("BAD.DBF"), defs, Share::Exclusive), VeltError);
}

TEST(Dbf, NumberTextMatchesRoundedPrintfForEveryKindOfValue)
{
    // Prices, quantities and sums as the tills make them, plus values that
    // sit on a half, carry binary tails or are too wide: the stored text is
    // always the rounded value printed at the field's decimals.
    std::mt19937_64 rng(7);
    std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.005, 2.675, 0.1 + 0.2, 999999.995, -1e-9, 1e14, -1e14,
                                  123456789012345.0, 1e15, 4.35, 0.045, 1.0 / 3.0};
    for (int i = 0; i < 20000; ++i) {
        long long cents = (long long)(rng() % 20000000) - 10000000;
        values.push_back(double(cents) / 100.0);
        values.push_back(double(cents) / 1000.0 * 3.0);
        values.push_back(double(cents % 100000));
    }
    for (double v : values)
        for (int dec : {0, 1, 2, 3}) {
            const int width = 12;
            char ref[64];
            double r = velt::ROUND(v, dec);
            if (r == 0) r = 0;
            int n = std::snprintf(ref, sizeof ref, "%*.*f", width, dec, r);
            auto got = DbfTable::formatNumber(v, width, dec);
            if (n > width) {
                EXPECT_FALSE(got) << v << " dec " << dec;
                continue;
            }
            ASSERT_TRUE(got) << v << " dec " << dec;
            EXPECT_EQ(*got, std::string(ref, size_t(n))) << v << " dec " << dec;
        }
}

TEST(Dbf, ExclusiveAppendCountIsInTheFileAfterEveryAppend)
{
    // An exclusive table writes its count without re-reading the header:
    // what another reader of the file sees must still cover each record as
    // soon as it is appended (a crash of this process loses nothing).
    test::TempDataDir dir;
    DbfTable t = DbfTable::create(dir.file("T.DBF"), {{"X", 'C', 3, 0}}, Share::Exclusive);
    std::string r = t.blankRecord();
    for (uint32_t i = 1; i <= 3; ++i) {
        std::memcpy(r.data() + 1, std::to_string(i).c_str(), 1);
        EXPECT_EQ(t.appendRecord(r.data()), i);
        std::string bytes = readAll(dir.file("T.DBF"));
        ASSERT_EQ(bytes.size(), 32 + 32 + 1 + 4 * i + 1);
        EXPECT_EQ(uint8_t(bytes[4]), i);
        EXPECT_EQ(bytes[32 + 32 + 1 + 4 * (i - 1) + 1], char('0' + i));
        EXPECT_EQ(bytes.back(), '\x1A');
    }
    t.zap();
    EXPECT_EQ(readAll(dir.file("T.DBF"))[4], 0);
    EXPECT_EQ(t.appendRecord(r.data()), 1u);
    EXPECT_EQ(readAll(dir.file("T.DBF"))[4], 1);
}

TEST(Dbf, NumberFieldsReadAsTheirDecimalText)
{
    // Whatever wrote the field (this system right aligned, other programs
    // left aligned or with a plus sign), the value read is the one strtod
    // gives for the text; blanks and garbage read as 0.
    std::mt19937_64 rng(11);
    std::vector<std::string> texts = {"", "    ", "  -0.00", "   12.50", "-1", "1.", "  .5", "12 ", "+3.25", "1e3",
                                      "abc", "  12.3.4", "999999999999999", "1234567890123456", "0.000000000000001",
                                      "  - 5"};
    for (int i = 0; i < 20000; ++i) {
        char buf[32];
        long long k = (long long)(rng() % 2000000000000LL) - 1000000000000LL;
        std::snprintf(buf, sizeof buf, "%14.*f", int(rng() % 4), double(k) / 1000.0);
        texts.push_back(buf);
    }
    for (const auto& t : texts) {
        std::string trimmed = t.substr(std::min(t.find_first_not_of(' '), t.size()));
        char* end = nullptr;
        double want = std::strtod(trimmed.c_str(), &end);
        if (end == trimmed.c_str()) want = 0;
        double got = DbfTable::parseNumber(t);
        EXPECT_EQ(got, want) << "'" << t << "'";
        EXPECT_EQ(std::signbit(got), std::signbit(want)) << "'" << t << "'";
    }
}
