// The configuration file "VELT.CFG" and the named settings it keeps.
#include "platform/fs.h"
#include "platform/textfile.h"
#include "shell/config/ini.h"
#include "shell/config/saveto.h"
#include "util/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using namespace velt;
namespace fs = velt::platform::fs;

std::string readFile(const std::string& path)
{
    auto bytes = platform::readWholeFile(path);
    return bytes ? *bytes : std::string("<missing>");
}

void writeFile(const std::string& path, const std::string& bytes) { platform::writeFileAtomically(path, bytes); }

// A fresh directory per test and a clean process-wide set.
class Config : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = fs::tempDirectory() + "/velt_cfg_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        cfg = dir + "/VELT.CFG";
        processSettings() = Settings();
    }
    void TearDown() override
    {
        fs::removeTree(dir);
        processSettings() = Settings();
    }
    std::string dir, cfg;
};

TEST_F(Config, FirstStartWritesTheFiveZeroSettings)
{
    MKCFG(cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_DESCR=N0\r\nCFG_HMARG=N0\r\nCFG_HSTEP=N0\r\nCFG_VMARG=N0\r\nCFG_VSTEP=N0\r\n");
    EXPECT_EQ(GETPVPROFSECTION("vars", cfg),
              (std::vector<std::string>{"CFG_DESCR", "CFG_HMARG", "CFG_HSTEP", "CFG_VMARG", "CFG_VSTEP"}));
    // An existing file is left alone.
    writeFile(cfg, "[Vars]\nCFG_HMARG=N4\n");
    MKCFG(cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\nCFG_HMARG=N4\n");
}

TEST_F(Config, FourTypesRoundTrip)
{
    setSetting("CFG_T", std::string("Negozio  "));
    setSetting("CFG_N", 12.5);
    setSetting("CFG_W", -3.0);
    setSetting("CFG_D", Date::fromYMD(2024, 3, 15));
    setSetting("CFG_E", Date());
    setSetting("CFG_L", true);
    setSetting("CFG_F", false);
    setSetting("CFG_A", std::string("caff\xC3\xA8")); // Windows-1252 on disk
    SAVEINI("CFG_*", cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_A=Ccaff\xE8\r\nCFG_D=D15/03/24\r\nCFG_E=D  /  /  \r\nCFG_F=L.F.\r\n"
                             "CFG_L=L.T.\r\nCFG_N=N12.5\r\nCFG_T=CNegozio\r\nCFG_W=N-3\r\n");

    processSettings() = Settings();
    loadSettings(cfg);
    EXPECT_EQ(settingValue("CFG_T"), Value("Negozio"));
    EXPECT_EQ(settingValue("cfg_n"), Value(12.5));
    EXPECT_EQ(settingValue("CFG_W"), Value(-3.0));
    EXPECT_EQ(settingValue("CFG_D"), Value(Date::fromYMD(2024, 3, 15)));
    EXPECT_EQ(settingValue("CFG_E"), Value(Date()));
    EXPECT_EQ(settingValue("CFG_L"), Value(true));
    EXPECT_EQ(settingValue("CFG_F"), Value(false));
    EXPECT_EQ(settingValue("CFG_A"), Value("caff\xC3\xA8"));
}

TEST_F(Config, LineValuesReadBack)
{
    struct Case {
        const char* text;
        Value value;
    } cases[] = {
        {"N12", 12.0},         {"N 7", 7.0},        {"N1,5", 1.0}, // plain notation: reading stops at ","
        {"Nabc", 0.0},         {"N", 0.0},          {"C  ab", "  ab"},
        {"C", ""},             {"L.T.xyz", true},   {"L.F.", false},
        {"LT", false},         {"D31/12/99", Date::fromYMD(1999, 12, 31)},
        {"D31/02/24", Date()}, {"X5", Value()},     {"", Value()},
    };
    for (const Case& c : cases) EXPECT_EQ(configValue(c.text), c.value) << c.text;
}

TEST_F(Config, UnknownKeysOrderAndOtherSectionsKept)
{
    const std::string before = "; hand notes\n"
                               "[Other]\n"
                               "cfg_hmarg=C untouched\n"
                               "[VARS]\n"
                               "  cfg_descr =  N5  \n"
                               "CFG_XYZ=N7\n"
                               "FOO=C12\n"
                               "CFG_HMARG=N0\n"
                               "not a key line\n"
                               "\n"
                               "[Tail]\n"
                               "k=v\n";
    writeFile(cfg, before);
    loadSettings(cfg);
    EXPECT_EQ(settingValue("CFG_DESCR"), Value(5.0));
    EXPECT_EQ(settingValue("CFG_XYZ"), Value(7.0));
    EXPECT_EQ(settingValue("FOO"), Value("12"));

    setSetting("CFG_HMARG", 12.0);
    setSetting("CFG_NEW", 1.0);
    SAVEINI("CFG_*", cfg);
    EXPECT_EQ(readFile(cfg), "; hand notes\n"
                             "[Other]\n"
                             "cfg_hmarg=C untouched\n"
                             "[VARS]\n"
                             "cfg_descr=N5\n"
                             "CFG_XYZ=N7\n"
                             "FOO=C12\n"
                             "CFG_HMARG=N12\n"
                             "CFG_NEW=N1\n"
                             "not a key line\n"
                             "\n"
                             "[Tail]\n"
                             "k=v\n");
}

TEST_F(Config, ASettingWithoutValue)
{
    writeFile(cfg, "[Vars]\r\nCFG_DESCR=X5\r\nCFG_HMARG=N3\r\n");
    loadSettings(cfg);
    EXPECT_TRUE(settingExists("CFG_DESCR"));
    EXPECT_TRUE(settingValue("CFG_DESCR").isNil());
    // Saving leaves its line as it was.
    SAVEINI("CFG_*", cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_DESCR=X5\r\nCFG_HMARG=N3\r\n");
}

TEST_F(Config, MissingFileOrSection)
{
    EXPECT_TRUE(GETPVPROFSECTION("Vars", cfg).empty());
    EXPECT_TRUE(GETPVPROFSECTION("Vars", dir + "/nodir/VELT.CFG").empty());
    writeFile(cfg, "[Other]\r\nA=N1\r\n");
    EXPECT_TRUE(GETPVPROFSECTION("Vars", cfg).empty());
    RESTOREINI(cfg);
    EXPECT_FALSE(settingExists("A"));
    // A new section goes at the end.
    setSetting("CFG_X", 2.0);
    SAVEINI("CFG_X", cfg);
    EXPECT_EQ(readFile(cfg), "[Other]\r\nA=N1\r\n[Vars]\r\nCFG_X=N2\r\n");
}

TEST_F(Config, PatternSelectsByPrefixOrExactName)
{
    setSetting("CFG_A", 1.0);
    setSetting("CFG_AB", 2.0);
    setSetting("OTHER", 3.0);
    SAVEINI("cfg_a", cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_A=N1\r\n");
    SAVEINI("*", cfg);
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_A=N1\r\nCFG_AB=N2\r\nOTHER=N3\r\n");
}

TEST_F(Config, CommandSetSeenByWhatTheCommandCalls)
{
    writeFile(cfg, "[Vars]\r\nCFG_HMARG=N1\r\nCFG_VMARG=N2\r\n");
    loadSettings(cfg);
    writeFile(cfg, "[Vars]\r\nCFG_HMARG=N10\r\n");
    {
        CommandSettings own;
        loadSettings(cfg);
        EXPECT_EQ(settingValue("CFG_HMARG"), Value(10.0)); // the command's
        EXPECT_EQ(settingValue("CFG_VMARG"), Value(2.0));  // not loaded by it: the process-wide one
        setSetting("CFG_HMARG", 12.0);
        SAVEINI("CFG_*", cfg);
        {
            CommandSettings inner;
            EXPECT_EQ(settingValue("CFG_HMARG"), Value(12.0));
            setSetting("CFG_NEW", 5.0); // created in the innermost set
        }
        EXPECT_FALSE(settingExists("CFG_NEW"));
    }
    EXPECT_EQ(settingValue("CFG_HMARG"), Value(1.0)); // the process-wide set again
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_HMARG=N12\r\nCFG_VMARG=N2\r\n");
}

TEST_F(Config, FailedWriteLeavesTheOldFile)
{
    // The temporary file cannot be made (a directory holds its name): the
    // old file stays as it was and the error names the file.
    writeFile(cfg, "[Vars]\r\nCFG_HMARG=N1\r\n");
    ASSERT_TRUE(fs::makeDirectory(cfg + ".~new"));
    setSetting("CFG_HMARG", 9.0);
    try {
        SAVEINI("CFG_*", cfg);
        FAIL() << "the write reported success";
    } catch (const VeltError& e) {
        EXPECT_EQ(e.file(), cfg);
    }
    EXPECT_EQ(readFile(cfg), "[Vars]\r\nCFG_HMARG=N1\r\n");

    // A file that is a directory: nothing can be read or written.
    const std::string asDir = dir + "/AS_DIR.CFG";
    ASSERT_TRUE(fs::makeDirectory(asDir));
    EXPECT_THROW(loadSettings(asDir), VeltError);
    EXPECT_THROW(SAVEINI("CFG_*", asDir), VeltError);
    EXPECT_TRUE(fs::isDirectory(asDir));

    // MKCFG in a directory that does not exist fails.
    EXPECT_THROW(MKCFG(dir + "/nodir/VELT.CFG"), VeltError);
    EXPECT_FALSE(fs::exists(dir + "/nodir"));
}

TEST_F(Config, LongValueKeptWhole)
{
    const std::string longText(16383 - 1, 'x'); // 16383 characters with the type letter
    setSetting("CFG_LONG", longText);
    SAVEINI("CFG_*", cfg);
    processSettings() = Settings();
    loadSettings(cfg);
    EXPECT_EQ(settingValue("CFG_LONG").text().size(), longText.size());
}

TEST(IniText, RewritesOnlyWhatChanges)
{
    // Blank and comment lines inside a section; a key added after the last key.
    config::IniText ini("[Vars]\r\nA=1\r\n; note\r\n\r\n[B]\r\nA=2");
    ini.setValue("vars", "Z", "3");
    ini.setValue("b", "a", "4");
    EXPECT_EQ(ini.text(), "[Vars]\r\nA=1\r\nZ=3\r\n; note\r\n\r\n[B]\r\nA=4\r\n");
    EXPECT_EQ(ini.value("VARS", "z"), "3");
    EXPECT_FALSE(ini.value("Vars", "missing"));
}

} // namespace
