// Maintenance: packing keeps the live records in order and renumbers them,
// the VARIE memo file is compacted with its table, indexes are rebuilt, a
// missing table ends the run there, and a kill at any moment of a pack loses
// no live record.
#include "data/createdb.h"
#include "data/manutenz.h"
#include "platform/fs.h"
#include "support/child.h"
#include "table_fixture.h"

#include <fstream>
#include <random>
#include <thread>

namespace velt::test {
namespace {

namespace fs = platform::fs;
using data::NotifyEvent;

class ManutenzTest : public TableTest {
protected:
    // CARICO with descriptions R1..Rn; the listed rows (1-based) deleted.
    static void loads(int n, const std::vector<int>& deleted)
    {
        data::DBGEN("CARICO", data::findTable("CARICO")->fields);
        data::DBOPEN(true, "CARICO", {}, false, false);
        for (int i = 1; i <= n; ++i)
            append({{"DESCRIZIO", Value("R" + std::to_string(i))}, {"QUANTITA", Value(i)}});
        for (int d : deleted) {
            data::DBGOTO(uint32_t(d));
            data::DBDEL();
        }
        data::DBCLOSE();
    }
    // (record number, description) of every record in file order, deleted included.
    static std::vector<std::pair<uint32_t, std::string>> records(const std::string& table, const std::string& field)
    {
        std::vector<std::pair<uint32_t, std::string>> out;
        data::DBOPEN(true, table, {}, true, true);
        for (uint32_t r = 1; r <= data::LASTREC(); ++r) {
            data::DBGOTO(r);
            out.emplace_back(r, text(field) + (data::DELETED() ? "*" : ""));
        }
        data::DBCLOSE();
        return out;
    }
    static std::string bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
};

TEST_F(ManutenzTest, CancelledMenuMaintenanceTouchesNothing)
{
    loads(3, {2});
    const std::string before = bytes(dir.file("CARICO.DBF"));
    note->answers = {false};
    EXPECT_FALSE(data::MANUTENZIONE());
    ASSERT_EQ(note->events.size(), 1u);
    EXPECT_EQ(note->events[0], (NotifyEvent{NotifyEvent::Confirm,
                                            "La manutenzione potrebbe;richiedere del tempo.;Confermi l'operazione?", {}}));
    EXPECT_EQ(bytes(dir.file("CARICO.DBF")), before);
    EXPECT_FALSE(fs::exists(dir.file("CARICO.NTX")));
}

TEST_F(ManutenzTest, PackKeepsOrderRenumbersAndReindexes)
{
    ASSERT_TRUE(data::AGGIORNADATABASE());
    loads(10, {2, 5, 9});
    note->clear();
    EXPECT_TRUE(data::MANUTENZIONE());
    EXPECT_TRUE(note->sawWait("Manutenzione degli archivi in corso."));
    EXPECT_EQ(note->currentWait(), std::nullopt);
    const std::vector<std::pair<uint32_t, std::string>> want = {
        {1, "R1"}, {2, "R3"}, {3, "R4"}, {4, "R6"}, {5, "R7"}, {6, "R8"}, {7, "R10"}};
    EXPECT_EQ(records("CARICO", "DESCRIZIO"), want);
    data::DBOPEN(true, "CARICO", {}, true, true);
    data::ORDADD("CARICO");
    EXPECT_EQ(data::ORDKEYCOUNT(), 7u);
    data::DBCLOSE();
    for (const auto& t : data::catalogue())
        for (const auto& ix : t.indexes)
            EXPECT_TRUE(fs::exists(dir.file(ix.file + ".NTX"))) << ix.file;
}

TEST_F(ManutenzTest, VarieMemoFileIsCompactedWithItsTable)
{
    ASSERT_TRUE(data::AGGIORNADATABASE());
    data::DBOPEN(true, "VARIE", {}, false, false);
    for (int i = 1; i <= 6; ++i)
        append({{"FORNITORE", Value("F" + std::to_string(i))}, {"NOTE", Value(std::string(300, char('a' + i)))}});
    for (uint32_t r : {2u, 4u, 5u}) {
        data::DBGOTO(r);
        data::DBDEL();
    }
    // A note rewritten longer leaves its old blocks dead.
    data::DBGOTO(6);
    data::DBLOCK(true);
    data::FIELDPUT("NOTE", Value(std::string(900, 'z')));
    data::DBUNLOCK();
    data::DBCLOSE();
    const auto sizeBefore = bytes(dir.file("VARIE.DBT")).size();
    data::MANUTENZIONE(false);
    // Header, then only the three live notes: 308 bytes in 5 blocks, 908 in 15.
    EXPECT_EQ(bytes(dir.file("VARIE.DBT")).size(), 512u + (5 + 5 + 15) * 64u);
    EXPECT_GT(sizeBefore, 512u + (5 + 5 + 15) * 64u);
    data::DBOPEN(true, "VARIE", {}, true, true);
    std::vector<std::string> notes;
    for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP(1))
        notes.push_back(text("FORNITORE") + ":" + data::FIELDGET("NOTE").text());
    data::DBCLOSE();
    EXPECT_EQ(notes, (std::vector<std::string>{"F1:" + std::string(300, 'b'), "F3:" + std::string(300, 'd'),
                                               "F6:" + std::string(900, 'z')}));
}

TEST_F(ManutenzTest, MissingTableEndsTheRunThere)
{
    ASSERT_TRUE(data::AGGIORNADATABASE());
    for (const char* t : {"TIPI1", "VARIE"}) {
        data::DBOPEN(true, t, {}, false, false);
        append({});
        data::DBDEL();
        data::DBCLOSE();
    }
    fs::removeFile(dir.file("SCARICO.DBF"));
    note->clear();
    EXPECT_FALSE(data::MANUTENZIONE(false));
    EXPECT_EQ(records("TIPI1", "TIPO").size(), 0u);   // before SCARICO: packed
    EXPECT_EQ(records("VARIE", "FORNITORE").size(), 1u);  // after it: untouched
    EXPECT_EQ(note->currentWait(), std::nullopt);
    EXPECT_TRUE(std::any_of(note->events.begin(), note->events.end(),
                            [](const NotifyEvent& e) { return e.kind == NotifyEvent::Error; }));
    EXPECT_FALSE(data::USED());
}

TEST_F(ManutenzTest, KilledPackLosesNoLiveRecord)
{
    ASSERT_TRUE(data::AGGIORNADATABASE());
    constexpr int kRows = 3000;
    data::DBOPEN(true, "VARIE", {}, false, false);
    for (int i = 1; i <= kRows; ++i)
        append({{"FORNITORE", Value("F" + std::to_string(i))}, {"NOTE", Value("nota " + std::to_string(i))}});
    for (uint32_t r = 1; r <= kRows; r += 3) {
        data::DBGOTO(r);
        data::DBDEL();
    }
    data::DBCLOSE();
    std::vector<std::string> want;
    for (int i = 1; i <= kRows; ++i)
        if ((i - 1) % 3 != 0)
            want.push_back("F" + std::to_string(i) + ":nota " + std::to_string(i));

    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        Child c = Child::run([] {
            for (;;)
                data::MANUTENZIONE(false);
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 120));
        c.kill9();
        c.wait();
        // What the next start sees: the table check puts things right first.
        ASSERT_TRUE(data::AGGIORNADATABASE()) << round;
        data::DBOPEN(true, "VARIE", {}, true, true);
        std::vector<std::string> got;
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP(1))
            got.push_back(text("FORNITORE") + ":" + data::FIELDGET("NOTE").text());
        data::DBCLOSE();
        ASSERT_EQ(got, want) << "round " << round;
    }
}

} // namespace
} // namespace velt::test
