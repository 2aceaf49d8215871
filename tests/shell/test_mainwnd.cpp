// The main window: its four menus item by item, the button bar in four
// groups, commands not built yet, the information box, and a run from the
// window's initialisation to the exit routine (private directory made, then
// gone).
#include "shell/app/commands.h"
#include "shell/app/infos.h"
#include "shell/app/mainwnd.h"
#include "shell/app/startup.h"
#include "shell/app/tempdir.h"

#include "data/tables.h"
#include "platform/marker.h"
#include "support/tempdir.h"
#include "support/ui/dialog_script.h"
#include "ui/bar.h"
#include "ui/btnbmp.h"
#include "ui/image.h"
#include "ui/menu.h"
#include "ui/msgbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace velt;
using namespace velt::shell;

namespace {

struct Line {
    std::string prompt, message; // empty prompt: separator
};

// The menus as the shop knows them.
const std::vector<std::pair<std::string, std::vector<Line>>> kMenus = {
    {"Modifica",
     {{"Articoli...", "Gestione articoli"},
      {"Carico...", "Gestione carico articoli"},
      {"Scarico...", "Gestione scarico articoli"},
      {"Cancella...", "Cancellazione movimenti"},
      {},
      {"Fornitori...", "Gestione fornitori"},
      {"Tipi - Livello 1...", "Gestione tipi merceologici - Livello 1"},
      {"Tipi - Livello 2...", "Gestione tipi merceologici - Livello 2"},
      {"Tipi - Livello 3...", "Gestione tipi merceologici - Livello 3"},
      {"Tipi - Livello 4...", "Gestione tipi merceologici - Livello 4"},
      {"Tipi - Livello 5...", "Gestione tipi merceologici - Livello 5"},
      {"Tipi - Livello 6...", "Gestione tipi merceologici - Livello 6"},
      {},
      {"Lista etichette...", "Gestione lista etichette da stampare"},
      {},
      {"Varie...", "Gestione informazioni varie"},
      {},
      {"Parametri...", "Impostazione parametri"}}},
    {"Visualizza",
     {{"Riepilogo carico...", "Stampa riepilogo carico"},
      {"Riepilogo scarico...", "Stampa riepilogo scarico"},
      {"Inventario...", "Stampa inventario"},
      {"Inventario per gruppo...", "Stampa inventario per gruppo merceologico"},
      {"Codici a barre...", "Stampa codici a barre"}}},
    {"Servizio",
     {{"Manutenzione archivi...", "Compatta gli archivi e ricostruisce gli indici"},
      {},
      {"Imposta stampante...", "Seleziona la stampante"},
      {},
      {"Salvataggio dati...", "Salva tutti gli archivi"},
      {"Ripristino dati...", "Ricarica tutti gli archivi"}}},
    {"?", {{"Informazioni", "Visualizza informazioni sul programma"}}},
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setSharedInstallMarker((fs::path(temp.path()) / "NO_MARKER").string());
        ::setenv("TEMP", temp.path().c_str(), 1);
        setTableCheck([this] {
            ++checks;
            return checkResult;
        });
    }
    void TearDown() override
    {
        setTableCheck([] { return true; });
        removePrivateDirectory();
        ::unsetenv("TEMP");
        platform::setSharedInstallMarker("");
    }
    TMENUITEM* item(TWINDOW& wnd, size_t menu, size_t line)
    {
        return wnd.OMENU->AITEMS.at(menu)->OSUBMENU->AITEMS.at(line).get();
    }

    test::TempDataDir data;
    test::TempDataDir temp{false};
    test::UiScript ui;
    int checks = 0;
    bool checkResult = true;
};

} // namespace

TEST_F(MainWindowTest, TheFourMenusHoldExactlyTheirItemsAndSeparators)
{
    auto wnd = BUILDMAINWINDOW();
    EXPECT_EQ(wnd->CTITLE(), "VELT - Gestione Articoli");
    EXPECT_TRUE(TMENU::AMENUS().empty());
    ASSERT_EQ(wnd->OMENU->AITEMS.size(), kMenus.size());
    for (size_t m = 0; m < kMenus.size(); ++m) {
        const auto& title = wnd->OMENU->AITEMS[m];
        EXPECT_EQ(title->CPROMPT, kMenus[m].first);
        ASSERT_TRUE(title->OSUBMENU) << kMenus[m].first;
        const auto& items = title->OSUBMENU->AITEMS;
        ASSERT_EQ(items.size(), kMenus[m].second.size()) << kMenus[m].first;
        for (size_t i = 0; i < items.size(); ++i) {
            const Line& want = kMenus[m].second[i];
            SCOPED_TRACE(kMenus[m].first + " line " + std::to_string(i));
            EXPECT_EQ(items[i]->isSeparator(), want.prompt.empty());
            EXPECT_EQ(items[i]->CPROMPT, want.prompt);
            EXPECT_EQ(items[i]->CMSG, want.message);
            EXPECT_EQ(items[i]->isCommand(), !want.prompt.empty());
        }
    }
}

TEST_F(MainWindowTest, HighlightingAnItemShowsItsDescriptionOnTheMessageBar)
{
    auto wnd = BUILDMAINWINDOW();
    ASSERT_TRUE(wnd->OMSGBAR);
    item(*wnd, 2, 0)->action()->hover();
    EXPECT_EQ(wnd->OMSGBAR->shownMessage(), "Compatta gli archivi e ricostruisce gli indici");
    item(*wnd, 0, 17)->action()->hover();
    EXPECT_EQ(wnd->OMSGBAR->shownMessage(), "Impostazione parametri");
}

TEST_F(MainWindowTest, TheBarShowsEightButtonsInFourGroups)
{
    auto wnd = BUILDMAINWINDOW();
    ASSERT_TRUE(wnd->OBAR);
    wnd->HWND->resize(1000, 700);
    wnd->OBAR->ADJUST();
    auto buttons = wnd->OBAR->buttons();
    struct Want {
        const char* bitmap;
        const char* caption;
        const char* tooltip;
        int x;
    };
    const Want want[] = {{"ARTICOLI", "Articoli", "Articoli", 0},
                         {"CARICO", "Carico", "Carico", 63},
                         {"SCARICO", "Scarico", "Scarico", 118},
                         {"CANCELLA", "Cancella", "Cancella movimenti", 173},
                         {"RIEPCARICO", "Carico", "Riepilogo carico", 236},
                         {"RIEPSCARICO", "Scarico", "Riepilogo scarico", 291},
                         {"BARRE", "Barre", "Codici a barre", 354},
                         {"ETICHETTE", "Etichette", "Lista etichette", 409}};
    ASSERT_EQ(buttons.size(), std::size(want));
    for (size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(want[i].bitmap);
        EXPECT_EQ(buttons[i]->CRESNAME, want[i].bitmap);
        EXPECT_FALSE(buttons[i]->bitmap().isNull());
        EXPECT_EQ(buttons[i]->CCAPTION, want[i].caption);
        EXPECT_EQ(buttons[i]->CTOOLTIP, want[i].tooltip);
        EXPECT_EQ(wnd->OBAR->buttonOffset(i), want[i].x);
        ASSERT_TRUE(buttons[i]->HWND);
        EXPECT_EQ(buttons[i]->HWND->x(), want[i].x);
        EXPECT_EQ(buttons[i]->HWND->width(), 56);
    }
    EXPECT_EQ(wnd->OBAR->thickness(), 62);
}

TEST_F(MainWindowTest, CommandsNotBuiltYetSayso)
{
    auto wnd = BUILDMAINWINDOW();
    ui.boxes().answer(platform::MsgButton::Ok);
    ui.boxes().answer(platform::MsgButton::Ok);
    EXPECT_TRUE(wnd->OMENU->COMMAND(item(*wnd, 0, 0)->NID)); // "Articoli..."
    wnd->OBAR->buttons().at(7)->CLICK();                     // "Etichette"
    ASSERT_EQ(ui.messages().size(), 2u);
    for (const auto& m : ui.messages()) {
        EXPECT_EQ(m.kind, 1);
        EXPECT_EQ(m.text, "Funzione non ancora disponibile.");
    }
}

TEST_F(MainWindowTest, InformationBoxShowsTitleVersionAndPicture)
{
    bool picture = false;
    ui.next()
        .then([&](TDIALOG& d) {
            auto* img = dynamic_cast<TIMAGE*>(ITEM(d, 101));
            picture = img && img->CRESNAME == "ORLU" && img->image().width() == 100 &&
                      img->image().height() == 100;
        })
        .snapshot()
        .click(201);
    auto wnd = BUILDMAINWINDOW();
    EXPECT_TRUE(wnd->OMENU->COMMAND(item(*wnd, 3, 0)->NID));
    ASSERT_EQ(ui.snapshots().size(), 1u);
    const auto& shot = ui.snapshots()[0];
    EXPECT_EQ(shot.at(102).text, "VELT - Gestione Articoli");
    EXPECT_EQ(shot.at(103).text, "Versione: 1.08");
    EXPECT_EQ(shot.at(201).text, "&Chiudi");
    EXPECT_TRUE(picture);
    EXPECT_EQ(ui.dialogsShown(), 1);
}

TEST_F(MainWindowTest, ARunMakesThePrivateDirectoryAfterTheCheckAndClosingRemovesIt)
{
    // Leftovers of a crashed run: its private directory and a file it made
    // in the data directory.
    const std::string mark(1, '\x7F');
    fs::path crashed = fs::path(temp.path()) / (mark + "202612010000001_1");
    fs::create_directory(crashed);
    std::ofstream(crashed / "USER").close();
    std::ofstream(data.file(mark + "VIEW1.NTX")).close();
    PROCESSINIT(data.path(), temp.path());
    EXPECT_FALSE(fs::exists(crashed));
    EXPECT_FALSE(fs::exists(data.file(mark + "VIEW1.NTX")));
    auto wnd = BUILDMAINWINDOW();
    std::string during;
    wnd->ACTIVATE({.show = "MAXIMIZED", .init = [&](TWINDOW& w) {
                       EXPECT_TRUE(INITMAINWINDOW(w));
                       during = ACS_TEMP();
                       // The user closes the window: no question.
                       QTimer::singleShot(0, [&w] { w.END(); });
                   }});
    EXPECT_EQ(checks, 1);
    ASSERT_FALSE(during.empty());
    EXPECT_TRUE(fs::is_directory(during));
    EXPECT_TRUE(ui.messages().empty());
    platform::endProgram(0);
    EXPECT_EQ(ui.services().end().code(), 0);
    EXPECT_FALSE(fs::exists(during));
    EXPECT_EQ(ACS_TEMP(), "");
}

TEST_F(MainWindowTest, AFailedTableCheckEndsTheProgramWithoutAPrivateDirectory)
{
    checkResult = false;
    auto wnd = BUILDMAINWINDOW();
    bool ready = true;
    wnd->ACTIVATE({.show = "MAXIMIZED", .init = [&](TWINDOW& w) { ready = INITMAINWINDOW(w); }});
    EXPECT_FALSE(ready);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(ACS_TEMP(), "");
    EXPECT_TRUE(fs::is_empty(temp.path()));
}
