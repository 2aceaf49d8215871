// The scripted and recorded platform services tests rely on, and the real
// xdg hand-over (driven against stand-in xdg-open / xdg-email programs).
#include "platform/scripted.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace velt::platform;
namespace fs = std::filesystem;

TEST(KindSpec, ButtonsInitialAndEscapePerKind)
{
    using B = MsgButton;
    struct Row {
        int kind;
        std::vector<B> buttons;
        MsgIcon icon;
        B initial, escape;
    };
    const Row rows[] = {
        {1, {B::Ok}, MsgIcon::Information, B::Ok, B::Ok},
        {2, {B::Ok, B::Cancel}, MsgIcon::Question, B::Ok, B::Cancel},
        {3, {B::Yes, B::No, B::Cancel}, MsgIcon::Question, B::Yes, B::Cancel},
        {4, {B::Yes, B::No}, MsgIcon::Question, B::Yes, B::No},
        {5, {B::Yes, B::No}, MsgIcon::Question, B::No, B::No},
        {6, {B::Ok, B::Cancel}, MsgIcon::Stop, B::Ok, B::Cancel},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        KindSpec s = kindSpec(r.kind);
        EXPECT_TRUE(s.valid);
        EXPECT_EQ(s.buttons, r.buttons);
        EXPECT_EQ(s.icon, r.icon);
        EXPECT_EQ(s.initial, r.initial);
        EXPECT_EQ(s.escape, r.escape);
    }
    EXPECT_FALSE(kindSpec(0).valid);
    EXPECT_FALSE(kindSpec(7).valid);
}

TEST(ScriptedMessageBoxes, AnswersInOrderAndRecordsEveryBox)
{
    ScriptedServices s;
    s.boxes().answer(MsgButton::No);
    s.boxes().answerInitial();
    s.boxes().answerEscape();
    EXPECT_EQ(messageBoxes().show({3, "T", "a"}), MsgButton::No);
    EXPECT_EQ(messageBoxes().show({5, "T", "b"}), MsgButton::No); // Enter on kind 5 is No
    EXPECT_EQ(messageBoxes().show({3, "T", "c"}), MsgButton::Cancel);
    ASSERT_EQ(s.boxes().shown().size(), 3u);
    EXPECT_EQ(s.boxes().shown()[1].kind, 5);
    EXPECT_EQ(s.boxes().shown()[2].text, "c");
}

TEST(ScriptedMessageBoxes, UnscriptedOrImpossibleAnswersFailLoudly)
{
    ScriptedServices s;
    EXPECT_THROW(messageBoxes().show({1, "Attenzione", "non previsto"}), ScriptError);
    EXPECT_EQ(s.boxes().shown().size(), 1u); // still recorded, for the failure message
    s.boxes().answer(MsgButton::Yes);        // kind 2 has no Yes
    EXPECT_THROW(messageBoxes().show({2, "", "x"}), ScriptError);
}

TEST(ScriptedServices, RestoresThePreviousServices)
{
    ScriptedServices outer;
    {
        ScriptedServices inner;
        velt::TONE(440, 20);
        EXPECT_EQ(inner.tones().calls().size(), 1u);
    }
    velt::TONE(880, 55);
    EXPECT_EQ(outer.tones().calls(), (std::vector<ToneCall>{{880, 55}}));
}

TEST(ScriptedFileDialogs, QueuedNamesThenScriptError)
{
    ScriptedServices s;
    s.files().answer(std::string("/tmp/a.pdf"));
    s.files().answer(std::nullopt);
    FileDialogRequest r{true, "Salva in", "", "Listino.pdf", {{"File PDF", {"*.pdf"}}}};
    EXPECT_EQ(fileDialogs().choose(r), std::optional<std::string>("/tmp/a.pdf"));
    EXPECT_EQ(fileDialogs().choose(r), std::nullopt);
    EXPECT_THROW(fileDialogs().choose(r), ScriptError);
    EXPECT_EQ(s.files().shown().at(0).proposedName, "Listino.pdf");
}

TEST(ProgramEnd, ExitRoutinesRunOnceInReverseOrderThenTheEnd)
{
    ScriptedServices s;
    std::string order;
    atProgramEnd([&] { order += "A"; });
    atProgramEnd([&] { order += "B"; throw std::runtime_error("ignored"); });
    atProgramEnd([&] { order += "C"; });
    endProgram(3);
    EXPECT_EQ(order, "CBA");
    EXPECT_EQ(s.end().code(), 3);
    endProgram(4); // routines already ran
    EXPECT_EQ(order, "CBA");
    EXPECT_EQ(s.end().count(), 2);
}

TEST(ProgramPath, IsThisTestProgram)
{
    EXPECT_EQ(fs::path(programPath()).filename(), "platform_test_services");
}

// Stand-in xdg programs that write their arguments, one a line, to a file.
class XdgShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("velt_xdg_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        for (const char* name : {"xdg-open", "xdg-email"}) {
            fs::path p = dir_ / name;
            std::ofstream(p) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << (dir_ / name).string()
                             << ".args\"\nexit ${XDG_STANDIN_CODE:-0}\n";
            fs::permissions(p, fs::perms::owner_all);
        }
        oldPath_ = std::getenv("PATH");
        setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", oldPath_.c_str(), 1);
        unsetenv("XDG_STANDIN_CODE");
        fs::remove_all(dir_);
    }
    std::string args(const char* name, bool waitForIt = false)
    {
        fs::path p = dir_ / (std::string(name) + ".args");
        for (int i = 0; waitForIt && !fs::exists(p) && i < 500; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(p);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
    std::string oldPath_;
};

TEST_F(XdgShellTest, OpenPassesTheTargetAsOneArgument)
{
    XdgShell sh;
    const std::string url = "mailto:?subject=Rapporto di errore&body=a%0d%0ab";
    EXPECT_TRUE(sh.open(url));
    // xdg-open runs detached; the file appears when it has run.
    std::string got;
    for (int i = 0; i < 500 && got.empty(); ++i) {
        got = args("xdg-open", true);
        if (got.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(got, url + "\n");
}

TEST_F(XdgShellTest, MailWaitsAndPassesSubjectCopiesAndAttachments)
{
    XdgShell sh;
    EXPECT_EQ(sh.mail({"Oggetto", "", {"a@x.it", "b@x.it"}, {"/tmp/x y.pdf"}}), 0);
    EXPECT_EQ(args("xdg-email"), "--utf8\n--subject\nOggetto\n--cc\nb@x.it\n--attach\n/tmp/x y.pdf\na@x.it\n");
    setenv("XDG_STANDIN_CODE", "3", 1);
    EXPECT_EQ(sh.mail({"", "", {}, {"/tmp/a.pdf"}}), 3);
}

TEST(XdgShellMissing, NoOpenerReportsFailure)
{
    std::string old = std::getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    XdgShell sh;
    EXPECT_EQ(sh.mail({"", "", {}, {"/tmp/a.pdf"}}), -1);
    EXPECT_FALSE(sh.open("/tmp/a.pdf"));
    setenv("PATH", old.c_str(), 1);
}
