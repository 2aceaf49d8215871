// The demo data generator: a directory VELT starts in without converting or
// rebuilding anything, and an existing one keeps what it has.
#include "articles/ean13.h"
#include "data/dictionary.h"
#include "data/tables.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace velt;

namespace {

int runGenerator(const std::string& dir)
{
    std::string exe = std::string(std::getenv("VELT_TEST_BIN")) + "/src/shell/demo/velt_demodata";
    return std::system(("'" + exe + "' '" + dir + "' >/dev/null").c_str());
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(DemoData, MakesEveryTableWithItsIndexesAndTheSettingsFile)
{
    test::TempDataDir here;
    fs::path dir = fs::path(here.path()) / "demo-data";
    ASSERT_EQ(runGenerator(dir.string()), 0);
    for (const auto& t : data::catalogue()) {
        SCOPED_TRACE(t.name);
        EXPECT_TRUE(fs::exists(dir / (t.name + ".DBF")));
        for (const auto& ix : t.indexes) EXPECT_TRUE(fs::exists(dir / (ix.file + ".NTX"))) << ix.file;
        if (t.hasMemo()) {
            EXPECT_TRUE(fs::exists(dir / (t.name + ".DBT")));
        }
        // The table layer opens what the generator made, with its indexes.
        data::TableGuard guard;
        data::DBOPEN(true, (dir / t.name).string(), t.name);
        for (const auto& ix : t.indexes) data::ORDADD((dir / ix.file).string());
        // Only the demo shop's catalogue is filled; the movements start empty.
        bool filled = t.name == "ARTICOLI" || t.name == "FORNITOR" || t.name.rfind("TIPI", 0) == 0;
        if (t.name == "TIPI4" || t.name == "TIPI5" || t.name == "TIPI6") filled = false;
        EXPECT_EQ(data::LASTREC() > 0, filled);
        EXPECT_EQ(data::ORDLIST().size(), t.indexes.size());
    }
    EXPECT_TRUE(fs::exists(dir / "NET"));

    // The demo articles carry valid EAN-13 shop codes (short internal codes
    // aside), unique, and sell above their cost.
    {
        data::TableGuard guard;
        data::DBOPEN(true, (dir / "ARTICOLI").string(), "ARTICOLI");
        EXPECT_GE(data::LASTREC(), 250u);
        std::set<std::string> codes;
        int ean = 0;
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP()) {
            std::string code = data::FIELDGET("CODNEG").text();
            SCOPED_TRACE(code);
            std::string bare = code.substr(0, code.find_last_not_of(' ') + 1);
            EXPECT_TRUE(bare.size() < 12 || articles::ISEAN13(bare));
            ean += articles::ISEAN13(bare);
            EXPECT_TRUE(codes.insert(bare).second);
            EXPECT_LT(data::FIELDGET("PREACQ").number(), data::FIELDGET("PREVEN").number());
        }
        EXPECT_GT(ean, 250);
    }
    std::string cfg = slurp(dir / "VELT.CFG");
    EXPECT_NE(cfg.find("CFG_HMARG=N0"), std::string::npos) << cfg;

    // A second run changes nothing that is there.
    std::ofstream(dir / "VELT.CFG", std::ios::binary) << "[Vars]\r\nCFG_HMARG=N9\r\n";
    auto before = fs::last_write_time(dir / "ARTICOLI.DBF");
    ASSERT_EQ(runGenerator(dir.string()), 0);
    EXPECT_EQ(slurp(dir / "VELT.CFG"), "[Vars]\r\nCFG_HMARG=N9\r\n");
    EXPECT_EQ(fs::last_write_time(dir / "ARTICOLI.DBF"), before);
}
