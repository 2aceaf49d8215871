// The start-up table check: creation of a fresh data directory, the
// maintenance it triggers or not, conversions of older structures, and the
// old data surviving an interrupted or failed conversion.
#include "data/createdb.h"
#include "data/manutenz.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/marker.h"
#include "support/child.h"
#include "table_fixture.h"

#include <fstream>
#include <thread>

namespace velt::test {
namespace {

namespace fs = platform::fs;
using data::FieldDef;
using data::NotifyEvent;

class CreateDbTest : public TableTest {
protected:
    // An old-style table: the catalogue structure with `change` applied.
    static data::Structure variant(const std::string& table, const std::string& field, FieldDef replacement)
    {
        data::Structure s = data::findTable(table)->fields;
        for (auto& f : s)
            if (f.name == field)
                f = replacement;
        return s;
    }
    static void makeTable(const std::string& name, const data::Structure& s,
                          const std::vector<std::vector<std::pair<std::string, Value>>>& rows,
                          const std::vector<size_t>& deleted = {})
    {
        data::DBGEN(name, s);
        data::DBOPEN(true, name, {}, false, false);
        for (size_t i = 0; i < rows.size(); ++i) {
            append(rows[i]);
            for (size_t d : deleted)
                if (d == i)
                    data::DBDEL();
        }
        data::DBCLOSE();
    }
    // The full check (all twelve tables); everything else is created fresh.
    bool check() { return data::AGGIORNADATABASE(); }
    bool maintenanceRan() const { return note->sawWait("Ricostruzione degli indici in corso."); }
    // Field values of the live records in file order.
    static std::vector<Value> column(const std::string& table, const std::string& field)
    {
        std::vector<Value> out;
        data::DBOPEN(true, table, {}, true, true);
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP(1))
            out.push_back(data::FIELDGET(field));
        data::DBCLOSE();
        return out;
    }
    static const FieldDef& fieldOf(const std::string& table, const std::string& field)
    {
        data::DBOPEN(true, table, {}, true, true);
        static FieldDef f;
        const int p = data::area().fieldPos(field);
        f = p ? static_cast<const FieldDef&>(data::area().fieldInfo(p)) : FieldDef{};
        data::DBCLOSE();
        return f;
    }
};

TEST_F(CreateDbTest, FreshDirectoryGetsTwelveTablesAndFourteenIndexFiles)
{
    ASSERT_TRUE(check());
    int tables = 0, indexes = 0;
    for (const auto& name : fs::listDirectory(dir.path())) {
        tables += fs::baseName(name) != "VARIE" && name.ends_with(".DBF") ? 1 : 0;
        tables += name == "VARIE.DBF" ? 1 : 0;
        indexes += name.ends_with(".NTX") ? 1 : 0;
    }
    EXPECT_EQ(tables, 12);
    EXPECT_EQ(indexes, 14);
    EXPECT_TRUE(fs::exists(dir.file("VARIE.DBT")));
    EXPECT_FALSE(fs::exists(dir.file("ARTICOLI.DBT")));
    EXPECT_TRUE(note->sawWait("Verifica archivi in corso..."));
    EXPECT_TRUE(note->sawWait("Aggiornamento archivi in corso..."));
    EXPECT_TRUE(maintenanceRan());
    EXPECT_EQ(note->currentWait(), std::nullopt);
    // Field order as the catalogue has it.
    data::DBOPEN(true, "ARTICOLI", {}, true, true);
    EXPECT_EQ(data::FIELDNAME(1), "CODNEG");
    EXPECT_EQ(data::FIELDNAME(16), "TIPO6");
    data::DBCLOSE();
}

TEST_F(CreateDbTest, AllCurrentRunsNoMaintenanceAndOneMissingIndexRebuildsAll)
{
    ASSERT_TRUE(check());
    note->clear();
    ASSERT_TRUE(check());
    EXPECT_TRUE(note->sawWait("Verifica archivi in corso..."));
    EXPECT_FALSE(note->sawWait("Aggiornamento archivi in corso..."));
    EXPECT_FALSE(maintenanceRan());

    // One index deleted by hand: no table touched, but every index rebuilt.
    std::ofstream(dir.file("TIPI3.NTX"), std::ios::app) << "";  // keep others' times comparable
    fs::removeFile(dir.file("CODFOR.NTX"));
    const std::string before = dir.file("DESCRIZ.NTX");
    fs::removeFile(before);
    std::ofstream(before) << "junk";  // a damaged index is replaced too
    note->clear();
    ASSERT_TRUE(check());
    EXPECT_FALSE(note->sawWait("Aggiornamento archivi in corso..."));
    EXPECT_TRUE(maintenanceRan());
    EXPECT_TRUE(fs::exists(dir.file("CODFOR.NTX")));
    data::DBOPEN(true, "ARTICOLI", {}, true, true);
    data::ORDADD("DESCRIZ");  // a rebuilt, readable index
    EXPECT_EQ(data::ORDKEY(), "descrizio");
    data::DBCLOSE();
}

TEST_F(CreateDbTest, ConversionsCarryLiveRecordsAndFitValues)
{
    // PREVEN N 8,3 -> N 6,2; an extra old field; one deleted record.
    data::Structure art = variant("ARTICOLI", "PREVEN", {"PREVEN", 'N', 8, 3});
    art.push_back({"VECCHIO", 'C', 5, 0});
    makeTable("ARTICOLI", art,
              {{{"CODNEG", Value("A")}, {"PREVEN", Value(123.45)}},
               {{"CODNEG", Value("B")}, {"PREVEN", Value(1234.56)}},
               {{"CODNEG", Value("X")}, {"PREVEN", Value(1.0)}},
               {{"CODNEG", Value("C")}, {"PREVEN", Value(12.125)}}},
              {2});
    // CONTANTI C 1 holding "T" / "F"; DATA as text.
    data::Structure sca = variant("SCARICO", "CONTANTI", {"CONTANTI", 'C', 1, 0});
    for (auto& f : sca)
        if (f.name == "TOTALE")
            f = {"TOTALE", 'C', 12, 0};
    makeTable("SCARICO", sca,
              {{{"CONTANTI", Value("T")}, {"TOTALE", Value("1.234,50")}},
               {{"CONTANTI", Value("F")}, {"TOTALE", Value("12.5")}},
               {{"CONTANTI", Value(" ")}, {"TOTALE", Value("")}}});
    ASSERT_TRUE(check());
    EXPECT_TRUE(note->sawWait("Aggiornamento archivi in corso..."));
    EXPECT_TRUE(maintenanceRan());

    EXPECT_EQ(column("ARTICOLI", "PREVEN"), (std::vector<Value>{123.45, 0.0, 12.13}));
    EXPECT_EQ(column("ARTICOLI", "CODNEG"),
              (std::vector<Value>{Value("A" + std::string(12, ' ')), Value("B" + std::string(12, ' ')),
                                  Value("C" + std::string(12, ' '))}));
    EXPECT_EQ(fieldOf("ARTICOLI", "PREVEN").width, 6);
    EXPECT_EQ(fieldOf("ARTICOLI", "VECCHIO").name, "");  // dropped with the conversion
    EXPECT_EQ(column("SCARICO", "CONTANTI"), (std::vector<Value>{true, true, false}));
    EXPECT_EQ(column("SCARICO", "TOTALE"), (std::vector<Value>{1234.50, 12.5, 0.0}));
    EXPECT_FALSE(fs::exists(dir.file("TEMPDBF_.DBF")));
    EXPECT_FALSE(fs::exists(dir.file("ARTICOLI.OLD")));
}

TEST_F(CreateDbTest, ExtraFieldAloneTriggersNoConversion)
{
    data::Structure tipi = data::findTable("TIPI1")->fields;
    tipi.push_back({"EXTRA", 'C', 3, 0});
    makeTable("TIPI1", tipi, {{{"TIPO", Value("Scarpe")}, {"EXTRA", Value("abc")}}});
    EXPECT_FALSE(data::NEEDUPD("TIPI1", data::findTable("TIPI1")->fields));
    ASSERT_TRUE(check());
    EXPECT_EQ(fieldOf("TIPI1", "EXTRA").width, 3);
    EXPECT_EQ(column("TIPI1", "EXTRA"), (std::vector<Value>{Value("abc")}));
}

TEST_F(CreateDbTest, DateToTextAndBackKeepsTheDate)
{
    const Date d = Date::fromYMD(2031, 7, 4), old = Date::fromYMD(1985, 12, 31);
    makeTable("CARICO", variant("CARICO", "DATA", {"DATA", 'D', 8, 0}),
              {{{"DATA", Value(d)}}, {{"DATA", Value(old)}}, {{"DATA", Value(Date())}}});
    const data::Structure asText = variant("CARICO", "DATA", {"DATA", 'C', 8, 0});
    ASSERT_TRUE(data::MODITAB("CARICO", asText));
    EXPECT_EQ(column("CARICO", "DATA"), (std::vector<Value>{Value("04/07/31"), Value("31/12/85"), Value("        ")}));
    ASSERT_TRUE(data::MODITAB("CARICO", data::findTable("CARICO")->fields));
    EXPECT_EQ(column("CARICO", "DATA"), (std::vector<Value>{Value(d), Value(old), Value(Date())}));
}

TEST(Convdato, TableOfConversions)
{
    const FieldDef c10{"F", 'C', 10, 0}, c8{"F", 'C', 8, 0}, m{"F", 'M', 10, 0}, n82{"F", 'N', 8, 2},
        n80{"F", 'N', 8, 0}, n62{"F", 'N', 6, 2}, d{"F", 'D', 8, 0}, l{"F", 'L', 1, 0};
    struct Row {
        Value in;
        FieldDef from, to;
        Value out;
    } rows[] = {
        {Value("ciao  "), c10, m, Value("ciao")},
        {Value("01/02/79"), c10, d, Value(Date::fromYMD(2079, 2, 1))},
        {Value("20240229xx"), c10, d, Value(Date::fromYMD(2024, 2, 29))},
        {Value("31/02/24"), c10, d, Value(Date())},
        {Value("  1.234,50"), c10, n82, Value(1234.5)},
        {Value("12.5"), c10, n82, Value(12.5)},
        {Value("abc"), c10, n82, Value(0.0)},
        {Value(".f."), c10, l, Value(false)},
        {Value("   "), c10, l, Value(false)},
        {Value("F"), c10, l, Value(true)},
        {Value(Date::fromYMD(2026, 12, 11)), d, n80, Value(20261211.0)},
        {Value(Date::fromYMD(2026, 12, 11)), d, n62, Value(0.0)},
        {Value(Date()), d, l, Value(false)},
        {Value(-0.5), n82, l, Value(true)},
        {Value(-99.995), n82, n62, Value(0.0)},  // -100.00 needs 7 places
        {Value("a\r\nb"), m, c10, Value("a b")},
        {Value(12.5), n82, c10, Value("12.50")},
        {Value(0.0), n82, c10, Value("")},
        {Value(20250101.0), n80, d, Value(Date::fromYMD(2025, 1, 1))},
        {Value(true), l, c8, Value(".T.")},
        {Value(false), l, m, Value("")},
        {Value(true), l, d, Value(Date())},
        {Value(true), l, n62, Value(1.0)},
        {Value("x"), c10, c8, Value("x")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(data::CONVDATO(r.in, r.from, r.to), r.out) << r.from.type << "->" << r.to.type << " " << r.in.text();
    EXPECT_EQ(data::ADJNUM("1.234,50"), "1234.50");
    EXPECT_EQ(data::ADJNUM("12.5"), "12.5");
}

TEST_F(CreateDbTest, TableInUseIsNeitherComparedNorConverted)
{
    ASSERT_TRUE(check());  // every index present, so no maintenance waits for the table
    makeTable("ARTICOLI", variant("ARTICOLI", "PREVEN", {"PREVEN", 'N', 8, 2}), {{{"PREVEN", Value(5.0)}}});
    {
        // Another copy of the program holds the table open.
        auto other = platform::File::open(dir.file("ARTICOLI.DBF"), platform::Access::Read, platform::Share::Shared);
        ASSERT_TRUE(check());
    }
    EXPECT_EQ(fieldOf("ARTICOLI", "PREVEN").width, 8);
    ASSERT_TRUE(check());
    EXPECT_EQ(fieldOf("ARTICOLI", "PREVEN").width, 6);
    EXPECT_EQ(column("ARTICOLI", "PREVEN"), (std::vector<Value>{5.0}));
}

TEST_F(CreateDbTest, InterruptedReplacementGivesTheOldTableBack)
{
    // A crash left VARIE moved aside, its converted copy not yet in place.
    makeTable("VARIE", data::findTable("VARIE")->fields,
              {{{"FORNITORE", Value("Rossi")}, {"NOTE", Value("nota lunga")}}});
    fs::renameReplace(dir.file("VARIE.DBF"), dir.file("VARIE.OLD"));
    fs::renameReplace(dir.file("VARIE.DBT"), dir.file("VARIE.OLM"));
    std::ofstream(dir.file("VARIE.DBT")) << "half-written new memo";
    ASSERT_TRUE(check());
    EXPECT_EQ(column("VARIE", "NOTE"), (std::vector<Value>{Value("nota lunga")}));
    EXPECT_FALSE(fs::exists(dir.file("VARIE.OLD")));
    EXPECT_FALSE(fs::exists(dir.file("VARIE.OLM")));
}

TEST_F(CreateDbTest, FailedConversionEndsTheCheckWithTheDataIntact)
{
    // An older VARIE whose memo file lost its notes: the copy fails half-way.
    makeTable("VARIE", variant("VARIE", "IMPORTO", {"IMPORTO", 'N', 8, 2}),
              {{{"FORNITORE", Value("Bianchi")}}, {{"FORNITORE", Value("Verdi")}, {"NOTE", Value("nota")}}});
    platform::File::open(dir.file("VARIE.DBT"), platform::Access::ReadWrite, platform::Share::Exclusive).truncate(512);
    const auto read = [&](const std::string& f) {
        std::ifstream in(dir.file(f), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    const std::string dbf = read("VARIE.DBF"), dbt = read("VARIE.DBT");
    EXPECT_FALSE(data::AGGIORNADATABASE());
    EXPECT_EQ(read("VARIE.DBF"), dbf);
    EXPECT_EQ(read("VARIE.DBT"), dbt);
    EXPECT_FALSE(fs::exists(dir.file("TEMPDBF_.DBF")));
    EXPECT_FALSE(fs::exists(dir.file("TEMPDBF_.DBT")));
    EXPECT_FALSE(maintenanceRan());
    EXPECT_EQ(note->currentWait(), std::nullopt);
}

TEST_F(CreateDbTest, ConversionAndMaintenanceWaitForAnotherCopy)
{
    ASSERT_TRUE(check());
    makeTable("ARTICOLI", variant("ARTICOLI", "PREVEN", {"PREVEN", 'N', 8, 2}), {{{"PREVEN", Value(7.5)}}});
    // Another copy opens ARTICOLI (after the in-use test) and closes it a moment later.
    const auto holdArticoli = [&] {
        const std::string ready = dir.file("ready");
        fs::removeFile(ready);
        Child c = Child::run([&] {
            auto f = platform::File::open(dir.file("ARTICOLI.DBF"), platform::Access::Read, platform::Share::Shared);
            touchFile(ready);
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            return 0;
        });
        EXPECT_TRUE(waitForFile(ready, 5000));
        return c;
    };
    {
        Child c = holdArticoli();
        note->clear();
        ASSERT_TRUE(data::MODITAB("ARTICOLI", data::findTable("ARTICOLI")->fields));
        EXPECT_TRUE(note->sawWait("Spegnere tutti i terminali..."));
        EXPECT_EQ(c.wait(), 0);
    }
    EXPECT_EQ(fieldOf("ARTICOLI", "PREVEN").width, 6);
    EXPECT_EQ(column("ARTICOLI", "PREVEN"), (std::vector<Value>{7.5}));
    {
        Child c = holdArticoli();
        note->clear();
        EXPECT_TRUE(data::MANUTENZIONE(false));
        EXPECT_TRUE(note->sawWait("Spegnere tutti i terminali..."));
        // The maintenance message comes back once the wait is over.
        EXPECT_EQ(note->events.back().kind, NotifyEvent::CloseWait);
        EXPECT_EQ(std::count_if(note->events.begin(), note->events.end(),
                                [](const NotifyEvent& e) {
                                    return e.kind == NotifyEvent::ShowWait && e.text == "Ricostruzione degli indici in corso.";
                                }),
                  2);
        EXPECT_EQ(c.wait(), 0);
    }
}

TEST_F(CreateDbTest, SharedInstallationCopiesTheConvertedTableOver)
{
    touchFile(dir.file("marker"));
    platform::setSharedInstallMarker(dir.file("marker"));
    makeTable("TIPI2", {{"TIPO", 'C', 8, 0}}, {{{"TIPO", Value("Borse")}}});
    const bool ok = data::MODITAB("TIPI2", data::findTable("TIPI2")->fields);
    platform::setSharedInstallMarker("");
    ASSERT_TRUE(ok);
    EXPECT_EQ(fieldOf("TIPI2", "TIPO").width, 12);
    EXPECT_EQ(column("TIPI2", "TIPO"), (std::vector<Value>{Value("Borse" + std::string(7, ' '))}));
    EXPECT_FALSE(fs::exists(dir.file("TEMPDBF_.DBF")));
    EXPECT_FALSE(fs::exists(dir.file("TIPI2.OLD")));
}

} // namespace
} // namespace velt::test
