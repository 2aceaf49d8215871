// The table layer's messages as the running program shows them: POPMSG's
// boxes and wait box, the till's tones, and failures through the error
// handler.
#include "shell/app/popnotifier.h"

#include "support/ui/dialog_script.h"
#include "ui/popmsg.h"
#include "util/errors.h"

#include <gtest/gtest.h>

using namespace velt;
using platform::MsgButton;

namespace {
class PopNotifierTest : public ::testing::Test {
protected:
    void SetUp() override { shell::installPopMsgNotifier(); }
    void TearDown() override
    {
        POPMSG();
        data::setNotifier(nullptr);
    }
    test::UiScript ui;
};
} // namespace

TEST_F(PopNotifierTest, MessagesAndQuestionsAreBoxes)
{
    ui.boxes().answer(MsgButton::Ok);
    ui.boxes().answer(MsgButton::Ok);
    ui.boxes().answer(MsgButton::Cancel);
    data::notifier().message("Disco non pronto.");
    EXPECT_TRUE(data::notifier().confirm("Confermi la cancellazione?"));
    EXPECT_FALSE(data::notifier().confirm("Confermi la cancellazione?"));
    ASSERT_EQ(ui.messages().size(), 3u);
    EXPECT_EQ(ui.messages()[0].kind, 1);
    EXPECT_EQ(ui.messages()[0].text, "Disco non pronto.");
    EXPECT_EQ(ui.messages()[1].kind, 2);
    data::notifier().tone(440, 100);
    ASSERT_FALSE(ui.services().tones().calls().empty());
    EXPECT_EQ(ui.services().tones().calls().back(), (platform::ToneCall{440, 100}));
}

TEST_F(PopNotifierTest, WaitMessagesReplaceEachOtherAndClose)
{
    auto& n = data::notifier();
    EXPECT_FALSE(n.currentWait());
    n.showWait("Verifica archivi in corso...");
    EXPECT_EQ(n.currentWait(), "Verifica archivi in corso...");
    n.showWait("Aggiornamento archivi in corso...");
    EXPECT_EQ(CURMSG(), "Aggiornamento archivi in corso...");
    n.showWait("Tabella in uso", "Rete");
    EXPECT_EQ(CURMSG(), "Tabella in uso");
    n.closeWait();
    EXPECT_FALSE(n.currentWait());
}

TEST_F(PopNotifierTest, AFailureGoesToTheErrorHandler)
{
    ui.boxes().answer(MsgButton::Ok);
    EXPECT_THROW(data::notifier().error(fileError(oscode::AccessDenied, "ARTICOLI.DBF", "open")), Abandon);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("ARTICOLI.DBF"), std::string::npos) << ui.messages()[0].text;
}
