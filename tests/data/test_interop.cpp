// Other programs read what we write and we read what they write: Debian's
// python3-dbfread and the npm package dbffile (installed by scripts/setup.sh)
// are independent DBF readers/writers.
//
// Both readers pick the memo layout by the memo file's extension, so they
// are shown our FPT-layout memo under the name FoxPro gives it (".FPT").
#include "data/dbf.h"
#include "platform/fs.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using namespace velt;
using namespace velt::data;
namespace fs = velt::platform::fs;

namespace {

struct Command {
    int code;
    std::string out;
};

Command run(const std::string& cmd)
{
    Command r{-1, {}};
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int st = pclose(p);
    r.code = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// Prints the fields, then one line per record: FIELD=value|..., values as
// Python's ascii() (dates in ISO form).
const char* kDbfreadScript = R"(
import sys, datetime, dbfread
t = dbfread.DBF(sys.argv[1], encoding='cp1252', char_decode_errors='strict')
print(' '.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))
def show(v):
    return v.isoformat() if isinstance(v, datetime.date) else ascii(v)
for r in t:
    print('|'.join('%s=%s' % (k, show(v)) for k, v in r.items()))
)";

std::string nodeModules()
{
    const char* src = std::getenv("VELT_SOURCE_DIR");
    return src ? std::string(src) + "/build/npm/node_modules" : std::string();
}

bool haveNodeDbffile()
{
    return fs::isDirectory(nodeModules() + "/dbffile") && run("node --version").code == 0;
}

std::vector<std::string> lines(const std::string& s)
{
    std::vector<std::string> v;
    size_t a = 0;
    while (a < s.size()) {
        size_t b = s.find('\n', a);
        if (b == std::string::npos) b = s.size();
        v.push_back(s.substr(a, b - a));
        a = b + 1;
    }
    return v;
}

} // namespace

TEST(Interop, DbfreadReadsOurArticlesAndNotesFieldByField)
{
    if (run("/usr/bin/python3 -c 'import dbfread'").code != 0)
        GTEST_SKIP() << "python3-dbfread is not installed (scripts/setup.sh installs it)";
    test::TempDataDir dir;
    writeText(dir.file("read.py"), kDbfreadScript);

    std::vector<FieldDef> articoli = {
        {"CODNEG", 'C', 13, 0}, {"CODFOR", 'C', 13, 0}, {"DESCRIZIO", 'C', 40, 0}, {"MARCA", 'C', 25, 0},
        {"PREACQ", 'N', 6, 2},  {"FORNITORE", 'C', 30, 0}, {"PREVEN", 'N', 6, 2}, {"SCORTA", 'N', 3, 0},
        {"GIACENZA", 'N', 3, 0}, {"DATA", 'D', 8, 0}, {"TIPO1", 'C', 12, 0}, {"TIPO2", 'C', 12, 0},
        {"TIPO3", 'C', 12, 0}, {"TIPO4", 'C', 12, 0}, {"TIPO5", 'C', 12, 0}, {"TIPO6", 'C', 12, 0}};
    {
        DbfTable t = DbfTable::create(dir.file("ARTICOLI.DBF"), articoli, Share::Exclusive);
        std::string r = t.blankRecord();
        std::vector<Value> v = {"8001234567895", "F-77", "Maglia più calda €", "Ditta Ò", 12.345, "Fornitore",
                                999.99, 5, -12, Date::fromYMD(1999, 12, 31), "A", "B", "C", "D", "E", "F"};
        for (int i = 0; i < 16; ++i) t.putValue(r.data(), i, v[size_t(i)]);
        t.appendRecord(r.data());
        std::string blank = t.blankRecord();
        t.appendRecord(blank.data());
    }
    Command a = run("/usr/bin/python3 " + dir.file("read.py") + " " + dir.file("ARTICOLI.DBF"));
    ASSERT_EQ(a.code, 0) << a.out;
    auto al = lines(a.out);
    ASSERT_EQ(al.size(), 3u) << a.out;
    EXPECT_EQ(al[0], "CODNEG:C:13:0 CODFOR:C:13:0 DESCRIZIO:C:40:0 MARCA:C:25:0 PREACQ:N:6:2 FORNITORE:C:30:0 "
                     "PREVEN:N:6:2 SCORTA:N:3:0 GIACENZA:N:3:0 DATA:D:8:0 TIPO1:C:12:0 TIPO2:C:12:0 TIPO3:C:12:0 "
                     "TIPO4:C:12:0 TIPO5:C:12:0 TIPO6:C:12:0");
    EXPECT_EQ(al[1], R"(CODNEG='8001234567895'|CODFOR='F-77'|DESCRIZIO='Maglia pi\xf9 calda \u20ac'|)"
                     R"(MARCA='Ditta \xd2'|PREACQ=12.35|FORNITORE='Fornitore'|PREVEN=999.99|SCORTA=5|)"
                     R"(GIACENZA=-12|DATA=1999-12-31|TIPO1='A'|TIPO2='B'|TIPO3='C'|TIPO4='D'|TIPO5='E'|TIPO6='F')");
    EXPECT_EQ(al[2], "CODNEG=''|CODFOR=''|DESCRIZIO=''|MARCA=''|PREACQ=None|FORNITORE=''|PREVEN=None|SCORTA=None|"
                     "GIACENZA=None|DATA=None|TIPO1=''|TIPO2=''|TIPO3=''|TIPO4=''|TIPO5=''|TIPO6=''");

    {
        DbfTable t = DbfTable::create(dir.file("VARIE.DBF"),
                                      {{"DATA", 'D', 8, 0}, {"FORNITORE", 'C', 30, 0}, {"IMPORTO", 'N', 9, 2},
                                       {"SI", 'L', 1, 0}, {"NOTE", 'M', 10, 0}},
                                      Share::Exclusive);
        std::string r = t.blankRecord();
        t.putValue(r.data(), 0, Date::fromYMD(2024, 3, 9));
        t.putValue(r.data(), 1, "Bar Sport");
        t.putValue(r.data(), 2, -12345.67);
        t.putValue(r.data(), 3, true);
        t.putValue(r.data(), 4, std::string("primo testo"));
        t.putValue(r.data(), 4, std::string("riga uno\r\nriga due è ") + std::string(150, '-'));   // moves
        t.appendRecord(r.data());
        r = t.blankRecord();
        t.putValue(r.data(), 3, false);
        t.putValue(r.data(), 4, std::string("breve"));
        t.appendRecord(r.data());
    }
    fs::makeDirectory(dir.file("fox"));
    fs::copyFile(dir.file("VARIE.DBF"), dir.file("fox/VARIE.DBF"));
    fs::copyFile(dir.file("VARIE.DBT"), dir.file("fox/VARIE.FPT"));
    Command v = run("/usr/bin/python3 " + dir.file("read.py") + " " + dir.file("fox/VARIE.DBF"));
    ASSERT_EQ(v.code, 0) << v.out;
    auto vl = lines(v.out);
    ASSERT_EQ(vl.size(), 3u) << v.out;
    EXPECT_EQ(vl[0], "DATA:D:8:0 FORNITORE:C:30:0 IMPORTO:N:9:2 SI:L:1:0 NOTE:M:10:0");
    EXPECT_EQ(vl[1], "DATA=2024-03-09|FORNITORE='Bar Sport'|IMPORTO=-12345.67|SI=True|NOTE='riga uno\\r\\nriga due \\xe8 " +
                         std::string(150, '-') + "'");
    EXPECT_EQ(vl[2], "DATA=None|FORNITORE=''|IMPORTO=None|SI=False|NOTE='breve'");
}

TEST(Interop, WeReadTablesWrittenByDbffile)
{
    if (!haveNodeDbffile()) GTEST_SKIP() << "node or the npm package dbffile is missing (scripts/setup.sh installs them)";
    test::TempDataDir dir;
    writeText(dir.file("write.js"), R"(
const {DBFFile} = require('dbffile');
(async () => {
  const fields = [
    {name: 'CODICE', type: 'C', size: 13}, {name: 'DESCRIZIO', type: 'C', size: 40},
    {name: 'QUANTITA', type: 'N', size: 2, decimalPlaces: 0}, {name: 'PREZZO', type: 'N', size: 6, decimalPlaces: 2},
    {name: 'DATA', type: 'D', size: 8}, {name: 'CONTANTI', type: 'L', size: 1}];
  for (const [name, version] of [['DB3.DBF', 0x03], ['VFP.DBF', 0x30]]) {
    const d = await DBFFile.create(process.argv[2] + '/' + name, fields, {fileVersion: version, encoding: 'win1252'});
    await d.appendRecords([
      {CODICE: '8001234567895', DESCRIZIO: 'Perché sì €', QUANTITA: -3, PREZZO: 12.5, DATA: new Date(Date.UTC(2024, 1, 29)), CONTANTI: true},
      {CODICE: 'X', DESCRIZIO: '', QUANTITA: 99, PREZZO: -9.99, DATA: null, CONTANTI: false}]);
  }
})().catch(e => { console.error(e); process.exit(1); });
)");
    Command w = run("NODE_PATH=" + nodeModules() + " node " + dir.file("write.js") + " " + dir.path());
    ASSERT_EQ(w.code, 0) << w.out;
    for (const char* name : {"DB3.DBF", "VFP.DBF"}) {
        SCOPED_TRACE(name);
        DbfTable t = DbfTable::open(dir.file(name), Access::Read, Share::Shared);
        ASSERT_EQ(t.recordCount(), 2u);
        ASSERT_EQ(t.fields().size(), 6u);
        std::string r(t.recordLength(), '\0');
        t.readRecord(1, r.data());
        EXPECT_EQ(t.getValue(r.data(), t.fieldIndex("codice")).text(), "8001234567895");
        EXPECT_EQ(t.getValue(r.data(), 1).text(), "Perché sì €" + std::string(29, ' '));
        EXPECT_EQ(t.getValue(r.data(), 2).number(), -3);
        EXPECT_EQ(t.getValue(r.data(), 3).number(), 12.5);
        EXPECT_EQ(t.getValue(r.data(), 4).date(), Date::fromYMD(2024, 2, 29));
        EXPECT_TRUE(t.getValue(r.data(), 5).logical());
        t.readRecord(2, r.data());
        EXPECT_EQ(t.getValue(r.data(), 2).number(), 99);
        EXPECT_EQ(t.getValue(r.data(), 3).number(), -9.99);
        EXPECT_TRUE(t.getValue(r.data(), 4).date().isEmpty());
        EXPECT_FALSE(t.getValue(r.data(), 5).logical());
    }
}

TEST(Interop, DbffileReadsOurMemoTable)
{
    if (!haveNodeDbffile()) GTEST_SKIP() << "node or the npm package dbffile is missing (scripts/setup.sh installs them)";
    test::TempDataDir dir;
    {
        DbfTable t = DbfTable::create(dir.file("VARIE.DBF"), {{"IMPORTO", 'N', 9, 2}, {"NOTE", 'M', 10, 0}},
                                      Share::Exclusive);
        std::string r = t.blankRecord();
        t.putValue(r.data(), 0, 1234.5);
        t.putValue(r.data(), 1, std::string(300, 'n') + " è");
        t.appendRecord(r.data());
    }
    fs::copyFile(dir.file("VARIE.DBT"), dir.file("VARIE.FPT"));
    writeText(dir.file("read.js"), R"(
const {DBFFile} = require('dbffile');
(async () => {
  const d = await DBFFile.open(process.argv[2], {encoding: 'win1252'});
  for (const r of await d.readRecords()) console.log(JSON.stringify(r));
})().catch(e => { console.error(e); process.exit(1); });
)");
    Command rd = run("NODE_PATH=" + nodeModules() + " node " + dir.file("read.js") + " " + dir.file("VARIE.DBF"));
    ASSERT_EQ(rd.code, 0) << rd.out;
    EXPECT_EQ(rd.out, "{\"IMPORTO\":1234.5,\"NOTE\":\"" + std::string(300, 'n') + " è\"}\n");
}
