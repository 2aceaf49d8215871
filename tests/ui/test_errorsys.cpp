// DEFERROR's decision table, the report text and its mail address, the
// system-lock hook before messages, and the recovery points RECOVER and
// guardEvent.
#include "platform/scripted.h"
#include "ui/errorsys.h"
#include "ui/popmsg.h"
#include "util/numround.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace velt;
using platform::MsgButton;

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_errorsys";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

class ErrorSys : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        NETERR(false);
        setBeforeErrorMessageHook([this] {
            ++hookCalls;
            boxesWhenHookRan = s.boxes().shown().size();
        });
    }
    void TearDown() override { setBeforeErrorMessageHook({}); }
    platform::ScriptedServices s;
    int hookCalls = 0;
    size_t boxesWhenHookRan = 99;
};

VeltError err(int os, int sub, int gen, std::string file = "c:\\velt\\articoli.dbf")
{
    return VeltError("errore", {os, sub, gen}, std::move(file), "open", "DBFCDX");
}

enum class Act { Abandon, Continue, SoftFail, Report };

Act run(const VeltError& e, bool softOk)
{
    try {
        ErrorAction a = DEFERROR(e, softOk);
        return a == ErrorAction::Continue ? Act::Continue : Act::SoftFail;
    } catch (const Abandon&) {
        return Act::Abandon;
    }
}
} // namespace

TEST_F(ErrorSys, DecisionTable)
{
    struct Row {
        int os, sub, gen;
        bool softOk;
        const char* message; // nullptr: no box
        Act act;
    };
    const Row rows[] = {
        {21, 0, 0, false, "Disco C:\\VELT\\ARTICOLI.DBF non pronto.", Act::Abandon},
        {27, 0, 0, false, "Disco C:\\VELT\\ARTICOLI.DBF non formattato.", Act::Abandon},
        {31, 0, 0, false, "Disco C:\\VELT\\ARTICOLI.DBF non formattato.", Act::Abandon},
        {19, 0, 0, false, "Disco C:\\VELT\\ARTICOLI.DBF protetto da scrittura.", Act::Abandon},
        {82, 0, 0, false, "Directory C:\\VELT\\ARTICOLI.DBF piena.", Act::Abandon},
        {0, 2016, 0, false, "Spazio sul disco C:\\VELT\\ARTICOLI.DBF insufficiente.", Act::Abandon},
        {5, 0, 0, false, "Impossibile accedere al file C:\\VELT\\ARTICOLI.DBF.", Act::Abandon},
        {3, 0, 0, false, "Percorso C:\\VELT\\ARTICOLI.DBF non trovato.", Act::Abandon},
        {2, 0, 0, false, "Impossibile aprire il file C:\\VELT\\ARTICOLI.DBF.", Act::Abandon},
        {0, 1012, 0, false, "Il file C:\\VELT\\ARTICOLI.DBF risulta corrotto.", Act::Abandon},
        {0, 0, 32, false, "Il file C:\\VELT\\ARTICOLI.DBF risulta corrotto.", Act::Abandon},
        // first matching row wins: the OS code comes before the sub-code
        {21, 2016, 32, false, "Disco C:\\VELT\\ARTICOLI.DBF non pronto.", Act::Abandon},
        {0, 0, 5, false, nullptr, Act::Continue},
        {32, 0, 21, true, nullptr, Act::SoftFail},
        {0, 0, 40, true, nullptr, Act::SoftFail},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.os << "/" << r.sub << "/" << r.gen);
        s.boxes().clear();
        NETERR(false);
        if (r.message) s.boxes().answer(MsgButton::Ok);
        EXPECT_EQ(run(err(r.os, r.sub, r.gen), r.softOk), r.act);
        if (r.message) {
            ASSERT_EQ(s.boxes().shown().size(), 1u);
            EXPECT_EQ(s.boxes().shown()[0].kind, 1);
            EXPECT_EQ(s.boxes().shown()[0].text, r.message);
            EXPECT_EQ(errorMessage(err(r.os, r.sub, r.gen)), r.message);
        } else {
            EXPECT_TRUE(s.boxes().shown().empty());
        }
        EXPECT_EQ(NETERR(), r.act == Act::SoftFail);
    }
    EXPECT_FALSE(s.end().code()); // none of these ends the program
}

TEST_F(ErrorSys, SystemLockIsReleasedBeforeTheMessage)
{
    s.boxes().answer(MsgButton::Ok);
    EXPECT_EQ(run(err(5, 0, 0), false), Act::Abandon);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(boxesWhenHookRan, 0u);
    EXPECT_EQ(run(err(0, 0, 5), false), Act::Continue); // no message, no release
    EXPECT_EQ(hookCalls, 1);
}

TEST_F(ErrorSys, DivisionByZeroYieldsZeroWithoutMessage)
{
    EXPECT_EQ(DIV(7, 0), 0.0);
    EXPECT_TRUE(RECOVER([] { EXPECT_EQ(DIV(-3.5, 0), 0.0); }));
    EXPECT_TRUE(s.boxes().shown().empty());
}

TEST_F(ErrorSys, ReportText)
{
    const int line = __LINE__ + 1;
    VeltError e("Argument error", {0, 1081, 1001}, "", "+", "BASE", true);
    EXPECT_EQ(errorReportText(e),
              "Error BASE/1081  Argument error: +;Function: ErrorSys_ReportText_Test::TestBody  Line: " +
                  std::to_string(line));
    VeltError w("", {0, 0, 99}, "prezzi.dbf", "write", "", false);
    const std::string t = errorReportText(w);
    EXPECT_EQ(t.substr(0, t.find(";")), "Warning \?\?\?/\?\?\?: prezzi.dbf"); // file wins over operation
}

TEST_F(ErrorSys, MailAddress)
{
    EXPECT_EQ(errorMailAddress("Error X/1  a & b;Function: F  Line: 3", "/opt/velt/velt"),
              "mailto:?subject=Rapporto di errore&body=Applicazione: /opt/velt/velt%0d%0a%0d%0a"
              "Error X/1  a %26 b%0d%0aFunction: F  Line: 3");
    // characters that would end or garble the body
    EXPECT_EQ(errorMailAddress("100% #1", "/a#b"),
              "mailto:?subject=Rapporto di errore&body=Applicazione: /a%23b%0d%0a%0d%0a100%25 %231");
}

TEST_F(ErrorSys, GeneralCode1001ShowsTheReportAndAbandons)
{
    s.boxes().answer(MsgButton::Ok);
    VeltError e = reportError("Numero troppo grande", "ARTICOLI");
    EXPECT_EQ(run(e, false), Act::Abandon);
    ASSERT_EQ(s.boxes().shown().size(), 1u);
    EXPECT_EQ(s.boxes().shown()[0].kind, 1);
    EXPECT_EQ(s.boxes().shown()[0].text, popMsgText(errorReportText(e)));
    EXPECT_FALSE(s.end().code());
}

TEST_F(ErrorSys, OtherErrorsOfferTheMailAndEndTheProgram)
{
    VeltError e = err(32, 0, 21); // a sharing violation where no soft failure is allowed
    for (MsgButton answer : {MsgButton::Ok, MsgButton::Cancel}) {
        SCOPED_TRACE(int(answer));
        platform::ScriptedServices t;
        t.boxes().answer(answer);
        EXPECT_FALSE(RECOVER([&] { throw e; }));
        ASSERT_EQ(t.boxes().shown().size(), 1u);
        EXPECT_EQ(t.boxes().shown()[0].kind, 2);
        EXPECT_EQ(t.boxes().shown()[0].text,
                  popMsgText(errorReportText(e) + ";;Inviare rapporto di errore via email?"));
        EXPECT_EQ(t.tones().calls().size(), 1u);
        if (answer == MsgButton::Ok)
            EXPECT_EQ(t.shell().opened(),
                      std::vector<std::string>{errorMailAddress(errorReportText(e), platform::programPath())});
        else
            EXPECT_TRUE(t.shell().opened().empty());
        EXPECT_EQ(t.end().count(), 1);
    }
}

TEST_F(ErrorSys, RecoverEndsAbandonsAndReportsForeignExceptions)
{
    EXPECT_TRUE(RECOVER([] {}));
    EXPECT_FALSE(RECOVER([] { throw Abandon{}; }));
    EXPECT_TRUE(s.boxes().shown().empty());

    s.boxes().answer(MsgButton::Ok);
    bool after = false;
    EXPECT_FALSE(RECOVER([&] {
        throw fileError(oscode::AccessDenied, "movi.dbf");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(s.boxes().shown().back().text, "Impossibile accedere al file MOVI.DBF.");

    s.boxes().answer(MsgButton::Cancel);
    EXPECT_FALSE(RECOVER([] { throw std::out_of_range("vector::at"); }));
    EXPECT_EQ(s.boxes().shown().back().text.rfind("Error VELT/???  vector::at\nFunction: ", 0), 0u);
    EXPECT_EQ(s.end().count(), 1);

    // a test's own scripting fault is not swallowed
    EXPECT_THROW(RECOVER([] { POPMSG("non previsto", 1); }), platform::ScriptError);
}

TEST_F(ErrorSys, GuardEventShowsTheMessageAndKeepsTheAbandon)
{
    EXPECT_EQ(guardEvent([] {}), nullptr);
    s.boxes().answer(MsgButton::Ok);
    std::exception_ptr p = guardEvent([] { throw diskFull("SCARICO.DBF"); });
    EXPECT_EQ(s.boxes().shown().back().text, "Spazio sul disco SCARICO.DBF insufficiente.");
    ASSERT_TRUE(p);
    EXPECT_THROW(std::rethrow_exception(p), Abandon);
    // what comes back out of a dialog reaches the recovery point as an abandon
    EXPECT_FALSE(RECOVER([&] { std::rethrow_exception(p); }));
    EXPECT_EQ(s.boxes().shown().size(), 1u);

    std::exception_ptr q = guardEvent([] { throw std::logic_error("boom"); });
    EXPECT_THROW(std::rethrow_exception(q), std::logic_error);
    EXPECT_EQ(guardEvent([] { throw VeltError("zero", {0, 0, gencode::ZeroDivide}); }), nullptr);
}
