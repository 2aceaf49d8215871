// The main window: its event loop, closing, and exceptions kept from events.
#include "support/ui/dialog_script.h"
#include "ui/dialog.h"
#include "ui/msgbar.h"
#include "ui/tget.h"
#include "ui/window.h"
#include "util/errors.h"

#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace velt;

TEST(MainWindow, ActivateRunsInitAndReturnsWhenClosed)
{
    test::UiScript ui;
    TWINDOW wnd({.title = "VELT - Gestione Articoli"});
    EXPECT_EQ(TWINDOW::mainWindow(), &wnd);
    std::string title;
    bool loopRan = false;
    wnd.ACTIVATE({.init = [&](TWINDOW& w) {
        title = w.HWND->windowTitle().toStdString();
        QTimer::singleShot(0, [&] {
            loopRan = TWINDOW::mainLoopRunning();
            w.END();
        });
    }});
    EXPECT_EQ(title, "VELT - Gestione Articoli");
    EXPECT_TRUE(loopRan);
    EXPECT_FALSE(TWINDOW::mainLoopRunning());
    EXPECT_EQ(wnd.HWND, nullptr);
}

TEST(MainWindow, ValidRefusalKeepsItOpen)
{
    test::UiScript ui;
    TWINDOW wnd({.title = "VELT"});
    int asked = 0;
    wnd.ACTIVATE({.init = [&](TWINDOW& w) {
                      QTimer::singleShot(0, [&] {
                          w.END(); // refused
                          EXPECT_NE(w.HWND, nullptr);
                          w.END(); // allowed
                      });
                  },
                  .valid = [&](TWINDOW&) { return ++asked > 1; }});
    EXPECT_EQ(asked, 2);
}

TEST(MainWindow, AnExceptionFromAnEventEndsTheLoopAndIsThrownByActivate)
{
    test::UiScript ui;
    TWINDOW wnd({.title = "VELT"});
    EXPECT_THROW(wnd.ACTIVATE({.init = [](TWINDOW&) {
                     QTimer::singleShot(0, [] { runEvent([] { throw Abandon{}; }); });
                 }}),
                 Abandon);
}

// Dialogs have no message bar, and their controls' messages do not reach the
// main window's.
TEST(MainWindow, AFieldsMessageInADialogDoesNotReachTheMainBar)
{
    test::UiScript ui;
    TWINDOW wnd({.title = "VELT"});
    wnd.OMSGBAR = TMSGBAR::NEW(wnd, "Pronto");
    std::vector<std::string> shown;
    auto bar = [&] { shown.push_back(wnd.OMSGBAR->shownMessage()); };
    Value a = std::string(5, ' '), b = std::string(5, ' ');
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "TESTDLG"}};
    TGET::REDEFINE(101, bindVar(a), dlg, {.message = "Descrizione dell'articolo"});
    TGET::REDEFINE(102, bindVar(b), dlg);
    ui.next().then([&](TDIALOG&) { bar(); }).key("Tab").then([&](TDIALOG&) { bar(); }).key("Esc");
    dlg.ACTIVATE({});
    EXPECT_EQ(shown, (std::vector<std::string>{"Pronto", "Pronto"}));
}
