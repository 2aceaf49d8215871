// The settings at start-up and the "Parametri" dialog end to end: what
// VELT.CFG holds afterwards, line by line.
#include "shell/app/commands.h"
#include "shell/app/settings.h"

#include "shell/config/saveto.h"
#include "support/tempdir.h"
#include "support/ui/dialog_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace velt;
using namespace velt::shell;
using platform::MsgButton;

namespace {

std::vector<std::string> cfgLines()
{
    std::ifstream in(kConfigFile, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    return lines;
}

void writeCfg(const std::vector<std::string>& lines)
{
    std::ofstream out(kConfigFile, std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
}

const std::vector<std::string> kNewFile = {"[Vars]",       "CFG_DESCR=N0", "CFG_HMARG=N0",
                                           "CFG_HSTEP=N0", "CFG_VMARG=N0", "CFG_VSTEP=N0"};

class ParametriTest : public ::testing::Test {
protected:
    test::TempDataDir data;
    test::UiScript ui;
};

} // namespace

TEST_F(ParametriTest, FirstStartInAnEmptyDirectoryWritesTheSixLines)
{
    ASSERT_TRUE(LOADSETTINGS());
    EXPECT_EQ(cfgLines(), kNewFile);
    EXPECT_EQ(processSettings().find("CFG_HMARG")->number(), 0.0);
    // A second start reads the file as it is.
    writeCfg({"[Vars]", "CFG_HMARG=N4"});
    ASSERT_TRUE(LOADSETTINGS());
    EXPECT_EQ(cfgLines(), (std::vector<std::string>{"[Vars]", "CFG_HMARG=N4"}));
    EXPECT_EQ(settingValue("CFG_HMARG").number(), 4.0);
}

TEST_F(ParametriTest, ConfirmingRewritesTheChangedLineInPlaceAndKeepsHandAddedKeys)
{
    writeCfg({"[Vars]", "CFG_DESCR=X5", "CFG_HMARG=N0", "CFG_HSTEP=N3", "CFG_VMARG=N0", "CFG_VSTEP=N0",
              "CFG_XYZ=N7", "FOO=C12"});
    ui.next().snapshot().type(101, "12").click(201);
    RUNCOMMAND("PARAMETRI");

    ASSERT_EQ(ui.snapshots().size(), 1u);
    const auto& shot = ui.snapshots()[0];
    EXPECT_EQ(shot.title, "Parametri");
    EXPECT_EQ(shot.focusId, 101);
    EXPECT_EQ(shot.at(103).text, "3");
    EXPECT_EQ(shot.at(105).text, "0"); // CFG_DESCR=X5 has no value
    EXPECT_TRUE(ui.messages().empty());
    // The confirmed dialog writes all its five fields (the one without a
    // value now as 0); the other lines keep their place and text.
    EXPECT_EQ(cfgLines(), (std::vector<std::string>{"[Vars]", "CFG_DESCR=N0", "CFG_HMARG=N12", "CFG_HSTEP=N3",
                                                    "CFG_VMARG=N0", "CFG_VSTEP=N0", "CFG_XYZ=N7", "FOO=C12"}));
    // The command's own set is gone: the process-wide one never saw the 12.
    EXPECT_FALSE(settingExists("CFG_XYZ"));
}

TEST_F(ParametriTest, CancellingAChangeAsksAndWritesNothing)
{
    writeCfg(kNewFile);
    ui.boxes().answer(MsgButton::No);
    ui.boxes().answer(MsgButton::Yes);
    ui.next().type(102, "7").key("Esc").snapshot().click(202);
    RUNCOMMAND("PARAMETRI");
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "Annullo le modifiche?");
    EXPECT_EQ(ui.messages()[1].text, "Annullo le modifiche?");
    ASSERT_EQ(ui.snapshots().size(), 1u); // "No" kept the dialog open with the 7
    EXPECT_EQ(ui.snapshots()[0].at(102).text, "7");
    EXPECT_EQ(cfgLines(), kNewFile);

    // Nothing changed: no question.
    ui.next().click(202);
    RUNCOMMAND("PARAMETRI");
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(cfgLines(), kNewFile);
}

TEST_F(ParametriTest, AFailedWriteSaysSoAndShowsTheDialogAgainWithTheValuesTyped)
{
    writeCfg(kNewFile);
    // The file's replacement cannot be created.
    fs::create_directory(std::string(kConfigFile) + ".~new");
    ui.boxes().answer(MsgButton::Ok);
    ui.next().type(104, "25").click(201);
    ui.next()
        .snapshot()
        .then([](TDIALOG&) { fs::remove(std::string(kConfigFile) + ".~new"); })
        .click(201);
    RUNCOMMAND("PARAMETRI");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("VELT.CFG"), std::string::npos) << ui.messages()[0].text;
    ASSERT_EQ(ui.snapshots().size(), 1u);
    EXPECT_EQ(ui.snapshots()[0].at(104).text, "25");
    EXPECT_EQ(ui.dialogsShown(), 2);
    EXPECT_EQ(cfgLines()[5], "CFG_VSTEP=N25");
}

TEST_F(ParametriTest, ASettingsFileThatCannotBeCreatedStopsTheStart)
{
    fs::create_directory(std::string(kConfigFile) + ".~new");
    ui.boxes().answer(MsgButton::Ok);
    EXPECT_FALSE(LOADSETTINGS());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("VELT.CFG"), std::string::npos) << ui.messages()[0].text;
    EXPECT_FALSE(fs::exists(kConfigFile));
}
