// Backup and restore through the real zip code, checked with independent
// readers (unzip -t, Python's zipfile) and with archives Python made.
#include "data/backup.h"
#include "data/createdb.h"
#include "data/zip.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/filedialogs.h"
#include "platform/fs.h"
#include "platform/process_exit.h"
#include "table_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace velt::test {
namespace {

namespace fs = platform::fs;

class BackupTest : public TableTest {
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        auto d = std::make_unique<platform::ScriptedFileDialogs>();
        dialogs = d.get();
        previousDialogs = platform::setFileDialogs(std::move(d));
        platform::setClock(std::make_unique<platform::FixedClock>(Date::fromYMD(2026, 3, 7)));
        ASSERT_TRUE(data::AGGIORNADATABASE());
        note->clear();
    }
    void TearDown() override
    {
        platform::setFileDialogs(std::move(previousDialogs));
        TableTest::TearDown();
    }
    // Runs a shell command in the data directory; its exit code and output.
    std::pair<int, std::string> shell(const std::string& cmd)
    {
        std::string out;
        FILE* p = ::popen(("cd '" + dir.path() + "' && " + cmd + " 2>&1").c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        return {WEXITSTATUS(::pclose(p)), out};
    }
    // Entry names of an archive as Python's zipfile reads them (after its CRC test).
    std::string pythonNames(const std::string& archive)
    {
        auto [rc, out] = shell("/usr/bin/python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                               "assert z.testzip() is None; assert all(i.compress_type==8 for i in z.infolist()); "
                               "print(' '.join(z.namelist()))\" '" + archive + "'");
        EXPECT_EQ(rc, 0) << out;
        return out;
    }
    // Records of a table (live ones) in file order, one field.
    static std::vector<std::string> column(const std::string& table, const std::string& field)
    {
        std::vector<std::string> out;
        data::DBOPEN(true, table, {}, true, true);
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP(1))
            out.push_back(text(field));
        data::DBCLOSE();
        return out;
    }
    static void addArticles(const std::vector<std::string>& codes, const std::vector<int>& deleted = {})
    {
        data::DBOPEN(true, "ARTICOLI", {}, false, false);
        for (const auto& c : codes)
            append({{"CODNEG", Value(c)}});
        for (int d : deleted) {
            data::DBGOTO(uint32_t(d));
            data::DBDEL();
        }
        data::DBCLOSE();
    }
    platform::ScriptedFileDialogs* dialogs = nullptr;
    std::unique_ptr<platform::FileDialogs> previousDialogs;
};

TEST_F(BackupTest, FreshInstallationBackupHoldsThirteenBareEntries)
{
    dialogs->answer(dir.file("copia"));
    ASSERT_TRUE(data::SALVA());
    const auto& req = dialogs->shown().at(0);
    EXPECT_TRUE(req.save);
    EXPECT_EQ(req.title, "Salvataggio dati");
    EXPECT_EQ(req.startDir, dir.path());
    EXPECT_EQ(req.proposedName, "Salvataggio archivi " + fs::baseName(platform::programPath()) + " del 070326.zip");
    ASSERT_EQ(req.filters.size(), 1u);
    EXPECT_EQ(req.filters[0].name, "File ZIP (*.zip)");
    EXPECT_EQ(req.filters[0].patterns, (std::vector<std::string>{"*.zip"}));
    EXPECT_TRUE(note->sawWait("Compressione in corso..."));
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Salvataggio completato."}));

    ASSERT_TRUE(fs::exists(dir.file("copia.zip")));
    auto [rc, out] = shell("unzip -t copia.zip");
    EXPECT_EQ(rc, 0) << out;
    std::string names = pythonNames("copia.zip");
    int count = 0;
    for (const auto& t : data::catalogue()) {
        EXPECT_NE(names.find(t.name + ".DBF"), std::string::npos) << t.name;
        ++count;
    }
    EXPECT_NE(names.find("VARIE.DBT"), std::string::npos);
    EXPECT_EQ(names.find('/'), std::string::npos);
    EXPECT_EQ(names.find(".NTX"), std::string::npos);
    EXPECT_EQ(std::count(names.begin(), names.end(), ' ') + 1, count + 1);  // 13 entries
    // Archive flag set, time the file's own (to the two seconds a zip keeps).
    auto [rc2, stamp] = shell("/usr/bin/python3 -c \"import zipfile,os,time; i=zipfile.ZipFile('copia.zip').getinfo('CARICO.DBF'); "
                              "t=time.mktime(i.date_time+(0,0,-1)); print(i.external_attr & 0xFF, abs(t-os.path.getmtime('CARICO.DBF'))<=2)\"");
    EXPECT_EQ(stamp, "32 True\n") << rc2;

    // The same name again replaces the archive without a question.
    addArticles({"NUOVO"});
    dialogs->answer(dir.file("copia.zip"));
    ASSERT_TRUE(data::SALVA());
    EXPECT_EQ(shell("unzip -t copia.zip").first, 0);
    EXPECT_EQ(dialogs->pending(), 0u);
}

TEST_F(BackupTest, CancelledDialogsDoNothing)
{
    dialogs->answer(std::nullopt);
    EXPECT_FALSE(data::SALVA());
    note->answers = {false};
    EXPECT_FALSE(data::RICARICA());  // the question answered Cancel: no dialog
    dialogs->answer(std::nullopt);
    EXPECT_FALSE(data::RICARICA());
    EXPECT_TRUE(note->messages().empty());
    EXPECT_EQ(dialogs->shown().size(), 2u);
    EXPECT_EQ(dialogs->shown()[1].title, "Ripristina dati da");
    EXPECT_FALSE(dialogs->shown()[1].save);
}

TEST_F(BackupTest, FileThatCannotBeReadFailsTheBackupAndLeavesNoArchive)
{
    {
        // Held exclusively by another copy: it cannot be read.
        auto held = platform::File::open(dir.file("FORNITOR.DBF"), platform::Access::ReadWrite,
                                         platform::Share::Exclusive);
        dialogs->answer(dir.file("copia.zip"));
        EXPECT_FALSE(data::SALVA());
    }
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Impossibile leggere il file;;FORNITOR.DBF"}));
    EXPECT_FALSE(fs::exists(dir.file("copia.zip")));

    note->clear();
    EXPECT_FALSE(data::ZIP(dir.file("x.zip"), {"ARTICOLI.DBF", "MANCA.DBF"}));
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Impossibile trovare il file;;MANCA.DBF"}));
    EXPECT_FALSE(fs::exists(dir.file("x.zip")));
}

TEST_F(BackupTest, RestoreOfForeignArchiveWithPathsPacksAndReindexes)
{
    // A backup of a shop with three articles, one of them deleted, and a
    // USERS table, repacked by another tool under directory paths.
    addArticles({"UNO", "DUE", "TRE"}, {2});
    data::DBGEN("USERS", data::usersTable().fields);
    ASSERT_TRUE(data::ZIP(dir.file("orig.zip"), {"ARTICOLI.DBF", "USERS.DBF"}));
    auto [rc, out] = shell(
        "/usr/bin/python3 -c \"import zipfile; s=zipfile.ZipFile('orig.zip'); "
        "d=zipfile.ZipFile('altro.zip','w',zipfile.ZIP_DEFLATED); d.writestr('backup/', ''); "
        "d.writestr('backup/dati/ARTICOLI.DBF', s.read('ARTICOLI.DBF')); "
        "d.writestr('backup\\\\\\\\USERS.DBF', s.read('USERS.DBF')); d.writestr('x/..', 'no'); d.close()\"");
    ASSERT_EQ(rc, 0) << out;
    fs::removeFile(dir.file("orig.zip"));
    // The shop's tables now differ from the archive.
    data::DBGEN("ARTICOLI", data::findTable("ARTICOLI")->fields);
    addArticles({"ALTRO"});
    fs::removeFile(dir.file("USERS.DBF"));
    fs::removeFile(dir.file("CODNEG.NTX"));

    note->clear();
    dialogs->answer(dir.file("altro"));
    ASSERT_TRUE(data::RICARICA());
    EXPECT_EQ(note->events.front().text, "Spegnere tutti i terminali.;;Continuo l'operazione?");
    EXPECT_TRUE(note->sawWait("Decompressione in corso..."));
    EXPECT_TRUE(note->sawWait("Ricostruzione degli indici in corso."));
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Ripristino completato."}));

    EXPECT_EQ(column("ARTICOLI", "CODNEG"), (std::vector<std::string>{"UNO", "TRE"}));
    data::DBOPEN(true, "ARTICOLI", {}, true, true);
    EXPECT_EQ(data::LASTREC(), 2u);  // the deleted record packed away
    data::ORDADD("CODNEG");
    EXPECT_EQ(data::ORDKEYCOUNT(), 2u);
    data::DBCLOSE();
    EXPECT_TRUE(fs::exists(dir.file("USERS.NTX")));
    EXPECT_FALSE(fs::exists(dir.file("backup")));
    EXPECT_FALSE(fs::exists(dir.file("..")) && fs::isRegularFile(dir.file("..")));
    for (const auto& name : fs::listDirectory(dir.path()))
        EXPECT_NE(name.front(), data::kTempMark) << "leftover " << name;
}

TEST_F(BackupTest, RestoreExtractsNothingWhileATableIsInUse)
{
    addArticles({"UNO"});
    ASSERT_TRUE(data::ZIP(dir.file("a.zip"), {"FORNITOR.DBF", "ARTICOLI.DBF"}));
    data::DBGEN("FORNITOR", data::findTable("FORNITOR")->fields);
    data::DBOPEN(true, "FORNITOR", {}, false, false);
    append({{"FORNITORE", Value("Dopo")}});
    data::DBCLOSE();
    {
        auto other = platform::File::open(dir.file("ARTICOLI.DBF"), platform::Access::Read, platform::Share::Shared);
        EXPECT_FALSE(data::UNZIP(dir.file("a.zip")));
    }
    EXPECT_EQ(note->messages(), (std::vector<std::string>{"Il file ARTICOLI.DBF è in uso da un altro terminale."}));
    EXPECT_EQ(column("FORNITOR", "FORNITORE"), (std::vector<std::string>{"Dopo"}));  // not replaced either
}

TEST_F(BackupTest, DamagedEntryStopsTheRestoreBeforeMaintenance)
{
    addArticles({"UNO", "DUE"});
    ASSERT_TRUE(data::ZIP(dir.file("a.zip"), {"FORNITOR.DBF", "ARTICOLI.DBF"}));
    // Flip one byte of ARTICOLI's compressed data: its CRC no longer matches.
    auto [rc, out] = shell("/usr/bin/python3 -c \"import zipfile; z=zipfile.ZipFile('a.zip'); "
                           "i=z.getinfo('ARTICOLI.DBF'); f=open('a.zip','r+b'); f.seek(i.header_offset+30+len(i.filename)+i.compress_size//2); "
                           "b=f.read(1); f.seek(-1,1); f.write(bytes([b[0]^0xFF])); f.close()\"");
    ASSERT_EQ(rc, 0) << out;
    data::DBGEN("ARTICOLI", data::findTable("ARTICOLI")->fields);
    addArticles({"RESTA"});
    note->clear();
    dialogs->answer(dir.file("a.zip"));
    EXPECT_FALSE(data::RICARICA());
    EXPECT_EQ(note->messages(),
              (std::vector<std::string>{"Si è verificato un errore durante la decompressione del file;;ARTICOLI.DBF"}));
    EXPECT_FALSE(note->sawWait("Ricostruzione degli indici in corso."));
    EXPECT_EQ(column("ARTICOLI", "CODNEG"), (std::vector<std::string>{"RESTA"}));
    for (const auto& name : fs::listDirectory(dir.path()))
        EXPECT_NE(name.front(), data::kTempMark) << "leftover " << name;
}

TEST_F(BackupTest, ArchiveMissingOrUnreadable)
{
    EXPECT_FALSE(data::UNZIP(dir.file("nessuno.zip")));
    std::ofstream(dir.file("rotto.zip")) << "not a zip";
    EXPECT_FALSE(data::UNZIP(dir.file("rotto.zip")));
    EXPECT_EQ(note->messages(),
              (std::vector<std::string>{"Impossibile trovare il file;;" + dir.file("nessuno.zip"),
                                        "Si è verificato un errore durante la decompressione del file;;" +
                                            dir.file("rotto.zip")}));
}

TEST(ZipNames, EntryTargets)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ARTICOLI.DBF", "ARTICOLI.DBF"}, {"a/b/varie.dbt", "VARIE.DBT"}, {"dir\\sub\\X.DBF", "X.DBF"},
        {"dir/", ""}, {"..", ""}, {"x/..", ""}, {"x/.", ""}, {"", ""}, {"../../etc/passwd", "PASSWD"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(data::entryTargetName(in), out) << in;
}

} // namespace
} // namespace velt::test
