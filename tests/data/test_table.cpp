// The table access layer in one process: index upkeep against a sort done
// here, seeks, scopes and TOTREC, deletion, views, index-file names, the
// mended view drop, errors, disk checks and the system lock.
#include "table_fixture.h"

#include "platform/fs.h"
#include "platform/marker.h"
#include "util/date.h"
#include "util/errors.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <random>

using namespace velt;
using namespace velt::data;
using velt::test::TableTest;

namespace {

struct Art {
    std::string cod, desc;
    bool live = true;
};

// Expected record order of a text key: by key bytes, equal keys by recno.
std::vector<uint32_t> expectedOrder(const std::map<uint32_t, Art>& model, bool byDesc)
{
    std::vector<std::pair<std::string, uint32_t>> keys;
    for (const auto& [r, a] : model) {
        if (!a.live)
            continue;
        std::string k = byDesc ? a.desc : a.cod;
        k.resize(byDesc ? 40 : 13, ' ');
        keys.push_back({k, r});
    }
    std::sort(keys.begin(), keys.end());
    std::vector<uint32_t> out;
    for (auto& k : keys)
        out.push_back(k.second);
    return out;
}

} // namespace

TEST_F(TableTest, IndexesFollowAppendsEditsDeletesAndRecalls)
{
    createCatalogueTable("ARTICOLI");
    std::mt19937 rng(7);
    std::map<uint32_t, Art> model;
    const char* words[] = {"MAGLIA", "GONNA", "CAMICIA", "ZAINO", "BORSA"};
    for (int i = 0; i < 300; ++i) {
        // Few distinct descriptions: many equal keys.
        Art a{std::to_string(100000 + rng() % 900000), std::string(words[rng() % 5]) + " " + std::to_string(rng() % 7)};
        uint32_t r = append({{"CODNEG", a.cod}, {"DESCRIZIO", a.desc}});
        model[r] = a;
    }
    for (int i = 0; i < 300; ++i) {
        uint32_t r = 1 + rng() % 300;
        Art& a = model[r];
        DBGOTO(r);
        DBLOCK(true);
        switch (rng() % 4) {
        case 0:
            a.cod = std::to_string(rng() % 1000);
            FIELDPUT("CODNEG", a.cod);
            break;
        case 1:
            a.desc = std::string(words[rng() % 5]) + " X";
            FIELDPUT("DESCRIZIO", a.desc);
            break;
        case 2:
            if (a.live) {
                DBDEL();
                a.live = false;
            }
            break;
        case 3:
            if (!a.live) {
                DBRECALL();
                a.live = true;
            }
            break;
        }
        DBUNLOCK();
    }
    size_t live = std::count_if(model.begin(), model.end(), [](auto& p) { return p.second.live; });
    for (int pass = 0; pass < 2; ++pass) {
        ORDSETFOCUS("DESCRIZ");
        EXPECT_EQ(walk(), expectedOrder(model, true)) << "pass " << pass;
        EXPECT_EQ(ORDKEYCOUNT(), live);
        ORDSETFOCUS("CODNEG");
        EXPECT_EQ(walk(), expectedOrder(model, false)) << "pass " << pass;
        // Backward walk is the reverse.
        std::vector<uint32_t> back;
        DBGOBOTTOM();
        while (!DBBOF() && !DBEOF()) {
            back.push_back(RECNO());
            if (DBSKIP(-1) == 0)
                break;
        }
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, expectedOrder(model, false));
        // The index files on disk hold the same: reopen and compare again.
        DBCLOSE();
        DBOPEN(true, "ARTICOLI", {}, true, false);
        ORDLIST(std::vector<std::string>{"DESCRIZ", "CODNEG"});
    }
    // Natural order skips the deleted records too.
    ORDSETFOCUS("");
    EXPECT_EQ(walk().size(), live);
}

TEST_F(TableTest, DateKeysEmptyFirstAndCenturyWindow)
{
    createCatalogueTable("CARICO");
    uint32_t r79 = append({{"DATA", Date::fromText("01/02/79")}, {"CODICE", "A"}});
    uint32_t r80 = append({{"DATA", Date::fromText("01/02/80")}, {"CODICE", "B"}});
    uint32_t rEmpty = append({{"CODICE", "C"}});
    uint32_t r80b = append({{"DATA", Date::fromYMD(1980, 2, 1)}, {"CODICE", "D"}});
    EXPECT_EQ(Date::fromText("01/02/79"), Date::fromYMD(2079, 2, 1));
    EXPECT_EQ(walk(), (std::vector<uint32_t>{rEmpty, r80, r80b, r79}));
    EXPECT_TRUE(DBSEEK(Date::fromYMD(1980, 2, 1)));
    EXPECT_EQ(RECNO(), r80);
    EXPECT_TRUE(DBSEEK(Date::fromYMD(1980, 2, 1), false, true));
    EXPECT_EQ(RECNO(), r80b);
    EXPECT_FALSE(DBSEEK(Date::fromYMD(2000, 1, 1)));
    EXPECT_TRUE(DBEOF());
    EXPECT_FALSE(DBSEEK(Date::fromYMD(2000, 1, 1), true));
    EXPECT_EQ(RECNO(), r79);  // soft: the next greater key
}

TEST_F(TableTest, SeekExactAndByPrefixSkipDeleted)
{
    createCatalogueTable("ARTICOLI");
    ORDSETFOCUS("CODNEG");
    uint32_t a = append({{"CODNEG", "8001"}});
    uint32_t b = append({{"CODNEG", "800123"}});
    uint32_t c = append({{"CODNEG", "8002"}});
    EXPECT_TRUE(DBSEEK("800"));
    EXPECT_EQ(RECNO(), a);
    EXPECT_TRUE(DBSEEK("80012"));
    EXPECT_EQ(RECNO(), b);
    EXPECT_TRUE(DBSEEKEXACT("8001"));
    EXPECT_EQ(RECNO(), a);
    EXPECT_FALSE(DBSEEKEXACT("80012"));
    EXPECT_TRUE(DBEOF());
    DBGOTO(a);
    DBDEL();
    EXPECT_TRUE(DBSEEK("8001"));
    EXPECT_EQ(RECNO(), b);  // the deleted record carries no key
    EXPECT_FALSE(DBSEEKEXACT("8001"));
    EXPECT_TRUE(DBSEEK("8002"));
    EXPECT_EQ(RECNO(), c);
    EXPECT_TRUE(FOUND());
    DBSKIP(1);
    EXPECT_TRUE(DBEOF());
    EXPECT_FALSE(FOUND());
}

TEST_F(TableTest, TotrecAppliesTheActiveScopeToTheFirstIndex)
{
    createCatalogueTable("SCARICO");
    for (int d = 1; d <= 10; ++d)
        append({{"DATA", Date::fromYMD(2026, 3, d)}, {"QUANTITA", d % 2 ? 1 : 2}});
    DBGOTO(4);
    DBLOCK(true);
    DBDEL();
    // A view of the rows with quantity 2, in date order, scoped to 3..8 March.
    DBSETVIEW([] { return FIELDGET("QUANTITA").number() == 2; }, "QUANTITA == 2");
    ORDSCOPE(0, Date::fromYMD(2026, 3, 3));
    ORDSCOPE(1, Date::fromYMD(2026, 3, 8));
    EXPECT_EQ(ORDKEYCOUNT(), 2u);      // 6 and 8 (4 is deleted)
    EXPECT_EQ(TOTREC(), 5u);           // 3, 5, 6, 7, 8 in the first index
    EXPECT_EQ(walk(), (std::vector<uint32_t>{6, 8}));
    DBCLEARVIEW();
    EXPECT_EQ(ORDNAME(), "SCARICO");
    EXPECT_EQ(ORDSCOPE(0), Value(Date::fromYMD(2026, 3, 3)));  // scopes carried back
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 5, 6, 7, 8}));
    EXPECT_EQ(ORDKEYNO(), 0u);  // at the end
    DBGOTO(6);
    EXPECT_EQ(ORDKEYNO(), 3u);
    ORDKEYGOTO(4);
    EXPECT_EQ(RECNO(), 7u);
}

TEST_F(TableTest, DeletingMovesToTheFollowingRecord)
{
    createCatalogueTable("FORNITOR");
    for (const char* n : {"DELTA", "ALFA", "CHARLIE", "BRAVO"})
        append({{"FORNITORE", n}});
    DBSEEK("BRAVO");
    DBDEL();
    EXPECT_EQ(text("FORNITORE"), "CHARLIE");  // middle: the one that followed
    DBGOBOTTOM();
    EXPECT_EQ(text("FORNITORE"), "DELTA");
    DBDEL();
    EXPECT_TRUE(DBEOF());  // last: the end of the list
    EXPECT_EQ(walk().size(), 2u);
    DBDEL();  // at the end: nothing happens
    EXPECT_EQ(ORDKEYCOUNT(), 2u);

    note->answers = {false};
    DBGOTOP();
    EXPECT_FALSE(DELREC());
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    EXPECT_TRUE(DELREC());
    EXPECT_EQ(ORDKEYCOUNT(), 1u);
    int questions = 0;
    for (const auto& e : note->events)
        questions += e.kind == NotifyEvent::Confirm && e.text == "Confermi la cancellazione?";
    EXPECT_EQ(questions, 2);
    DBGOTO(999);
    note->clear();
    EXPECT_FALSE(DELREC());
    ASSERT_EQ(note->events.size(), 1u);
    EXPECT_EQ(note->events[0].kind, NotifyEvent::Tone);
    EXPECT_EQ(note->events[0].freq, 440);
}

TEST_F(TableTest, ViewsByKeyAndByRecordNumber)
{
    velt::test::TempDataDir temp(false);
    setPrivateTempDir(temp.path() + "/");
    createCatalogueTable("ARTICOLI");
    const char* descs[] = {"ZETA ROSSO", "ALFA", "BETA ROSSO", "ROSSO", "GAMMA"};
    for (const char* d : descs)
        append({{"DESCRIZIO", d}});
    auto rosso = [] { return FIELDGET("DESCRIZIO").text().find("ROSSO") != std::string::npos; };
    ORDSETFOCUS("DESCRIZ");
    DBSETVIEW(rosso, "'ROSSO' $ DESCRIZIO");
    EXPECT_TRUE(platform::fs::exists(viewPath(SELECT())));
    EXPECT_EQ(viewPath(SELECT()), temp.path() + "/\x7FVIEW" + std::to_string(SELECT()) + ".NTX");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 4, 1}));  // BETA, ROSSO, ZETA
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    EXPECT_EQ(TOTREC(), 5u);
    // A record edited out of the condition leaves the view; one edited in joins.
    DBGOTO(4);
    DBLOCK(true);
    FIELDPUT("DESCRIZIO", "VERDE");
    DBGOTO(5);
    DBLOCK(true);
    FIELDPUT("DESCRIZIO", "AAA ROSSO");
    DBUNLOCK();
    EXPECT_EQ(walk(), (std::vector<uint32_t>{5, 3, 1}));
    DBCLEARVIEW();
    EXPECT_FALSE(platform::fs::exists(viewPath(SELECT())));
    EXPECT_EQ(ORDNAME(), "DESCRIZ");

    // With no index active the view keeps record-number order.
    ORDSETFOCUS("");
    DBSETVIEW(rosso, "");
    EXPECT_EQ(ORDKEY(), "RECNO()");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{1, 3, 5}));
    DBCLEARVIEW();
    EXPECT_EQ(ORDNAME(), "");
    // The inventory's six-level key is stored without its arrows.
    DBSETVIEW([] { return true; }, "", kTipiGroupKey);
    EXPECT_EQ(ORDKEY(), "tipo1 + tipo2 + tipo3 + tipo4 + tipo5 + tipo6");
    std::string view = viewPath(SELECT());
    DBCLOSE();
    EXPECT_FALSE(platform::fs::exists(view));  // closing removes the view file
}

TEST_F(TableTest, IndexFileNamesAndLists)
{
    createCatalogueTable("ARTICOLI");
    DBCLOSE();
    EXPECT_TRUE(platform::fs::exists("CODNEG.NTX"));
    DBOPEN(true, "articoli", {}, true, false);
    EXPECT_EQ(ALIAS(), "ARTICOLI");
    ORDADD("codneg");
    ORDADD("DESCRIZ.NTX");
    std::string cwd = platform::fs::currentDirectory();
    EXPECT_EQ(ORDLIST(), (std::vector<std::string>{cwd + "/CODNEG.NTX", cwd + "/DESCRIZ.NTX"}));
    EXPECT_EQ(ORDLIST("codneg"), (std::vector<std::string>{cwd + "/DESCRIZ.NTX"}));
    EXPECT_EQ(ORDNAME(), "CODNEG");  // the first added is active
    // A name that has an extension is taken as it is (upper-cased).
    ORDBUILD("alt.idx", "FIELD -> marca");
    EXPECT_TRUE(platform::fs::exists("ALT.IDX"));
    EXPECT_EQ(ORDKEY(), "marca");
    EXPECT_THROW(ORDADD("MISSING"), VeltError);
    EXPECT_EQ(ORDLIST().size(), 3u);
}

TEST_F(TableTest, ViewDropReportsAMissingIndexAndGoesOnWithout)
{
    createCatalogueTable("ARTICOLI");
    for (const char* d : {"B", "A", "C"})
        append({{"DESCRIZIO", d}, {"CODNEG", d}});
    ORDSETFOCUS("CODNEG");
    DBSETVIEW([] { return true; }, "");
    platform::fs::removeFile("DESCRIZ.NTX");
    try {
        DBCLEARVIEW();
        FAIL() << "the missing index was not reported";
    } catch (const VeltError& e) {
        EXPECT_EQ(e.osCode(), oscode::FileNotFound);
    }
    std::string cwd = platform::fs::currentDirectory();
    EXPECT_EQ(ORDLIST(), (std::vector<std::string>{cwd + "/CODNEG.NTX", cwd + "/CODFOR.NTX"}));
    EXPECT_EQ(ORDNAME(), "CODNEG");
    EXPECT_FALSE(HASVIEW());
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 1, 3}));
}

TEST_F(TableTest, ErrorsOfFilesPropagate)
{
    try {
        DBOPEN(true, "NOTHERE", {}, true, false);
        FAIL();
    } catch (const VeltError& e) {
        EXPECT_EQ(e.osCode(), oscode::FileNotFound);
        EXPECT_NE(e.file().find("NOTHERE.DBF"), std::string::npos);
    }
    std::ofstream("BROKEN.DBF") << "this is not a table at all, not even close to one.....";
    EXPECT_THROW(DBOPEN(true, "BROKEN", {}, true, false), VeltError);
    EXPECT_FALSE(USED());
    EXPECT_THROW(DBOPEN(true, "NODIR/ARTICOLI", {}, true, false), VeltError);

    createCatalogueTable("FORNITOR");
    append({{"FORNITORE", "ALFA"}});
    DBGOTOP();
    EXPECT_THROW(FIELDPUT("FORNITORE", "BETA"), VeltError);  // shared, not locked
    EXPECT_THROW(FIELDGET("NOFIELD"), VeltError);
    EXPECT_THROW(DBOPEN(true, "FORNITOR", {}, true, false), VeltError);  // alias in use
    EXPECT_EQ(text("FORNITORE"), "ALFA");
}

TEST_F(TableTest, ZapKeepsTheIndexesAndPackDropsDeletedRecords)
{
    createCatalogueTable("TIPI1", false);
    for (const char* t : {"C", "A", "B", "D"})
        append({{"TIPO", t}});
    DBGOTO(2);
    DBDEL();
    DBPACK();
    EXPECT_EQ(LASTREC(), 3u);
    EXPECT_EQ(ORDNAME(), "TIPI1");
    DBGOTOP();
    EXPECT_EQ(text("TIPO"), "B");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 1, 3}));  // B C D keep their relative order
    _DBZAP();
    EXPECT_EQ(LASTREC(), 0u);
    EXPECT_TRUE(DBEOF() && DBBOF());
    append({{"TIPO", "Z"}});
    // A new record of an exclusive table counts before it reaches the file.
    DBAPP();
    EXPECT_EQ(RECNO(), 2u);
    EXPECT_EQ(LASTREC(), 2u);
    FIELDPUT("TIPO", "Y");
    DBUNLOCK();
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 1}));
    DBCLOSE();
    DBOPEN(true, "TIPI1", {}, true, false);
    EXPECT_THROW(_DBZAP(), VeltError);  // shared: refused
}

TEST_F(TableTest, DiskChecks)
{
    EXPECT_FALSE(ISFULL(""));
    EXPECT_TRUE(note->events.empty());
    EXPECT_TRUE(ISREADY(""));
    EXPECT_TRUE(ISREADY(dir.path()));
    EXPECT_FALSE(ISREADY(dir.path() + "/nope", false));
    EXPECT_TRUE(note->messages().empty());
    EXPECT_FALSE(ISREADY(dir.path() + "/nope"));
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Disco non pronto."}));
    note->clear();
    EXPECT_FALSE(ISFULL(dir.path()));
    EXPECT_TRUE(ISFULL(dir.path(), ~uint64_t(0)));
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Spazio sul disco insufficiente."}));
    note->clear();
    EXPECT_THROW(DBGEN("NODIR/X", {{"A", 'C', 1, 0}}), Abandon);
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Disco non pronto."}));
}

TEST_F(TableTest, SystemLockTableAndHook)
{
    velt::test::TempDataDir temp(false);
    platform::setSharedInstallMarker(temp.path() + "/NOMARKER");
    SCREATE();
    ASSERT_TRUE(platform::fs::exists("NET"));
    EXPECT_FALSE(platform::fs::exists("NET.DBF"));
    DBOPEN(true, "NET.", {}, true, true);
    EXPECT_EQ(LASTREC(), 1u);
    EXPECT_EQ(FIELDNAME(1), "LOCK");
    DBCLOSE();
    SLOCK();
    EXPECT_FALSE(SLOCKED());  // no private directory yet: nothing
    setPrivateTempDir(temp.path() + "/");
    int before = SELECT();
    SLOCK();
    EXPECT_TRUE(SLOCKED());
    EXPECT_EQ(SELECT(), before);
    runBeforeErrorMessageHook();  // what the error handler does before a message
    EXPECT_FALSE(SLOCKED());
    SLOCK();
    ISREADY(dir.path() + "/nope", false);
    EXPECT_FALSE(SLOCKED());

    // A shared installation locks the central file and creates no local one.
    std::string central = temp.path() + "/CENTRAL";
    DBGEN(central + ".", netTable().fields);
    DBOPEN(true, central + ".", {}, true, false);
    append({});
    DBCLOSE();
    platform::setSharedInstallMarker(central);
    platform::fs::removeFile("NET");
    SCREATE();
    EXPECT_FALSE(platform::fs::exists("NET"));
    SLOCK();
    EXPECT_TRUE(SLOCKED());
    EXPECT_EQ(areaAt(kSystemLockSlot)->path(), central);
    SUNLOCK();
    platform::setSharedInstallMarker({});
}
