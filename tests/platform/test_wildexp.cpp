// Listing files by mask on a real temporary directory, and the mask rules.
#include "platform/wildexp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace velt::platform;
namespace fs = std::filesystem;

TEST(WildMatch, MaskRules)
{
    struct Case { const char* mask; const char* name; bool match; };
    const Case cases[] = {
        {"*.DB?", "ARTICOLI.DBF", true},  {"*.DB?", "VARIE.DBT", true},
        {"*.DB?", "articoli.dbf", true},  {"*.DB?", "ARTICOLI.NTX", false},
        {"*.DB?", "X.DB", false},         {"*.DB?", "X.DBFF", false},
        {"*.*", "NET", true},             {"*", ".hidden", true},
        {"A?C", "ABC", true},             {"A?C", "AC", false},
        {"*A*B", "XAYAB", true},          {"*A*B", "XAYABC", false},
        {"VELT.CFG", "velt.cfg", true},   {"", "X", false},
        {"\x7f*", "\x7f" "2024010112345", true}, {"\x7f*", "X", false},
    };
    for (const auto& c : cases) EXPECT_EQ(wildMatch(c.mask, c.name), c.match) << c.mask << " ~ " << c.name;
}

TEST(Wildexp, ListsMatchingFilesPerMaskInOrder)
{
    fs::path dir = fs::temp_directory_path() / ("velt_wildexp_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "SUB.DBF"); // a directory: never listed
    for (const char* n : {"ARTICOLI.DBF", "varie.dbt", ".HIDDEN.DBF", "RO.DBX", "ARTICOLI.NTX", "VELT.CFG", "NET"})
        std::ofstream(dir / n) << "x";
    fs::permissions(dir / "RO.DBX", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const std::string d = dir.string();
    auto names = WILDEXP({d + "/*.DB?", d + "/velt.cfg", d + "/MISSING/*.*"});
    ASSERT_EQ(names.size(), 5u);
    std::vector<std::string> tables(names.begin(), names.begin() + 4);
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{".HIDDEN.DBF", "ARTICOLI.DBF", "RO.DBX", "varie.dbt"}));
    EXPECT_EQ(names[4], "VELT.CFG"); // the second mask's names come after the first's

    // Without a directory the current one is listed.
    auto cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(WILDEXP({"N?T"}), std::vector<std::string>{"NET"});
    fs::current_path(cwd);

    fs::permissions(dir / "RO.DBX", fs::perms::owner_all);
    fs::remove_all(dir);
}
