// Menus: the stack of menus under construction, the pull-down it builds, ids,
// dispatch by id, when callbacks and check marks on opening, accelerators,
// and the item's message on the message bar.
#include "support/ui/dialog_script.h"
#include "ui/menu.h"
#include "ui/msgbar.h"
#include "ui/window.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace velt;

namespace {

struct MenuTest : ::testing::Test {
    void SetUp() override
    {
        test::uiApp();
        TMENU::AMENUS().clear();
    }
};

std::vector<std::string> texts(QMenu* m)
{
    std::vector<std::string> out;
    for (QAction* a : m->actions()) out.push_back(a->isSeparator() ? "—" : a->text().toStdString());
    return out;
}

} // namespace

TEST_F(MenuTest, TitleTwoCommandsSeparatorAndThirdCommandMakeExactlyThatPullDown)
{
    std::vector<std::string> ran;
    auto cmd = [&](const char* name) { return [&ran, name](TMENUITEM& it) { ran.push_back(name + (":" + it.CPROMPT)); }; };
    auto bar = TMENU::NEW();
    ASSERT_EQ(TMENU::AMENUS().size(), 1u);
    MENUADD(TMENUITEM::NEW("Modifica"));
    ASSERT_EQ(TMENU::AMENUS().size(), 2u) << "a title pushes its pull-down";
    MENUADD(TMENUITEM::NEW("Articoli...", "Gestione articoli", false, cmd("a")));
    MENUADD(TMENUITEM::NEW("Carico...", "Gestione carico articoli", false, cmd("c")));
    MENUADD(TMENUITEM::NEW());
    MENUADD(TMENUITEM::NEW("Parametri...", "Impostazione parametri", false, cmd("p")));
    TMENU::ENDMENU();
    MENUADD(TMENUITEM::NEW("?"));
    MENUADD(TMENUITEM::NEW("Informazioni", "", false, {}, cmd("block")));
    TMENU::ENDMENU();
    EXPECT_EQ(TMENU::ENDMENU(), bar) << "the bar itself leaves the stack last";
    EXPECT_TRUE(TMENU::AMENUS().empty());

    ASSERT_EQ(bar->AITEMS.size(), 2u);
    auto& modifica = *bar->AITEMS[0];
    ASSERT_TRUE(modifica.OSUBMENU);
    EXPECT_EQ(modifica.OSUBMENU->OPARENT, bar.get());
    EXPECT_EQ(texts(modifica.OSUBMENU->popup()),
              (std::vector<std::string>{"Articoli...", "Carico...", "—", "Parametri..."}));
    ASSERT_EQ(bar->menuBar()->actions().size(), 2);
    EXPECT_EQ(bar->menuBar()->actions()[0]->text().toStdString(), "Modifica");
    EXPECT_EQ(bar->menuBar()->actions()[0]->menu(), modifica.OSUBMENU->popup());

    // the separator cannot be chosen; commands run once, found through the sub-menus
    const auto& items = modifica.OSUBMENU->AITEMS;
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_FALSE(bar->COMMAND(items[2]->NID));
    EXPECT_FALSE(bar->COMMAND(modifica.NID)) << "a title is no command";
    EXPECT_TRUE(bar->COMMAND(items[3]->NID));
    items[1]->action()->trigger();
    bar->AITEMS[1]->OSUBMENU->AITEMS[0]->action()->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"p:Parametri...", "c:Carico...", "block:Informazioni"}));
    EXPECT_EQ(bar->GETITEM(items[3]->NID), items[3].get());
    EXPECT_EQ(bar->GETITEM(12345), nullptr);
}

TEST_F(MenuTest, IdsCountFrom16385AndAfter32767GoOnFrom17409SkippingLiveOnes)
{
    TMENUITEM::resetIdCounter();
    auto first = TMENUITEM::NEW("a", "", false, [](TMENUITEM&) {});
    auto second = TMENUITEM::NEW();
    EXPECT_EQ(first->NID, 16385);
    EXPECT_EQ(second->NID, 16386);

    // run the counter to its end, keeping the item with id 17409 alive
    std::shared_ptr<TMENUITEM> held;
    for (int id = 16387; id <= 32767; ++id) {
        auto it = TMENUITEM::NEW();
        ASSERT_EQ(it->NID, id);
        if (id == 17409) held = it;
    }
    EXPECT_EQ(TMENUITEM::NEW()->NID, 17410) << "17409 is still in use";
    TMENUITEM::resetIdCounter();
    EXPECT_EQ(TMENUITEM::NEW()->NID, 16387) << "16385 and 16386 are still held";
}

TEST_F(MenuTest, OpeningAPullDownAppliesWhenCallbacksAndCheckMarks)
{
    bool allowed = false;
    auto bar = TMENU::NEW();
    MENUADD(TMENUITEM::NEW("Servizio"));
    MENUADD(TMENUITEM::NEW("Manutenzione...", "", false, [](TMENUITEM&) {}, {}, 0, 0, [&] { return allowed; }));
    MENUADD(TMENUITEM::NEW("Spunta", "", false, [](TMENUITEM&) {}));
    auto pull = TMENU::AMENUS().back();
    TMENU::ENDMENU();
    TMENU::ENDMENU();
    auto& maint = *pull->AITEMS[0];
    auto& tick = *pull->AITEMS[1];
    tick.LCHECKED = true;

    emit pull->popup()->aboutToShow();
    EXPECT_FALSE(maint.action()->isEnabled());
    EXPECT_FALSE(maint.LACTIVE);
    EXPECT_TRUE(tick.action()->isChecked());
    EXPECT_FALSE(maint.action()->isChecked());

    allowed = true;
    tick.LCHECKED = false;
    emit pull->popup()->aboutToShow();
    EXPECT_TRUE(maint.action()->isEnabled());
    EXPECT_FALSE(tick.action()->isChecked());
}

TEST_F(MenuTest, AKeyBecomesAnAcceleratorOfTheFirstMenuOnTheStack)
{
    auto bar = TMENU::NEW();
    MENUADD(TMENUITEM::NEW("Modifica"));
    auto item = TMENUITEM::NEW("Articoli...", "", false, [](TMENUITEM&) {}, {}, acc::Control, 'A');
    MENUADD(item);
    TMENU::ENDMENU();
    TMENU::ENDMENU();
    ASSERT_TRUE(bar->OACCTABLE);
    EXPECT_EQ(bar->OACCTABLE->find(acc::Control, 'A'), item->NID);
    EXPECT_EQ(bar->OACCTABLE->find(0, 'A'), 0);
    EXPECT_EQ(item->action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_FALSE(bar->AITEMS[0]->OSUBMENU->OACCTABLE) << "the pull-down holds none";
}

TEST_F(MenuTest, HighlightShowsTheItemsMessageWhichStaysWhileItsActionRuns)
{
    std::string duringAction;
    auto bar = TMENU::NEW();
    MENUADD(TMENUITEM::NEW("Modifica"));
    MENUADD(TMENUITEM::NEW("Articoli...", "Gestione articoli", false, [&](TMENUITEM&) {
        duringAction = TWINDOW::mainWindow()->OMSGBAR->shownMessage();
    }));
    MENUADD(TMENUITEM::NEW("Senza descrizione", "", false, [](TMENUITEM&) {}));
    auto pull = TMENU::AMENUS().back();
    TMENU::ENDMENU();
    TMENU::ENDMENU();
    TWINDOW wnd({.title = "VELT", .menu = bar, .messageBar = true});
    ASSERT_TRUE(wnd.OMSGBAR);
    EXPECT_EQ(static_cast<QMainWindow*>(wnd.HWND)->menuWidget(), bar->menuBar()) << "the window installs its menu";
    EXPECT_EQ(bar->OWND, &wnd);

    pull->AITEMS[0]->action()->hover();
    EXPECT_EQ(wnd.OMSGBAR->shownMessage(), "Gestione articoli");
    pull->AITEMS[0]->action()->trigger();
    EXPECT_EQ(duringAction, "Gestione articoli");
    EXPECT_EQ(wnd.OMSGBAR->shownMessage(), "Gestione articoli") << "the message stays after the menu";
    pull->AITEMS[1]->action()->hover();
    EXPECT_EQ(wnd.OMSGBAR->CMSG, "") << "an item without message shows nothing";
}
