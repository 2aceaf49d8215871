// The record browse end to end: a list dialog over a real table in a fresh
// data directory, driven by the scripted keyboard and mouse.
#include "data/notify.h"
#include "data/tables.h"
#include "support/tempdir.h"
#include "support/ui/dialog_script.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/wbrowse.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>

using namespace velt;
using velt::platform::MsgButton;
using velt::test::UiScript;

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The list form over NOMI: browse 101 (one column and a filler), "Conferma"
// 201, "Annulla" 202; it counts what the browse reports.
struct ListForm {
    TDIALOG dlg{TDIALOG::NewArgs{.resName = "BROWSETEST"}};
    TWBROWSE* b = nullptr;
    int changes = 0;
    std::vector<std::pair<int, int>> dblclicks; // (pixel row, pixel column)
    std::vector<int> lclicks;                   // row numbers

    ListForm()
    {
        b = TWBROWSE::REDEFINE(
            101, [](TWBROWSE&) { return std::vector<std::string>{data::FIELDGET("NOME").text(), ""}; }, dlg,
            {.headers = {"Nome", ""},
             .sizes = {150, 0},
             .change = [this](TWBROWSE&) { ++changes; },
             .dblclick = [this](int r, int c, int, TWBROWSE&) { dblclicks.emplace_back(r, c); },
             .lclicked = [this](TWBROWSE&, int, int, int, int k, int) { lclicks.push_back(k); }});
        b->BKEYCHAR = KEYSEEKBLOCK();
        TBUTTON::REDEFINE(201, [this](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
        TBUTTON::REDEFINE(202, [this](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
    }
    void run() { dlg.ACTIVATE({.centered = true}); }

    // A point inside data row k, first column, in the browse's pixels.
    QPoint cell(int k) const { return QPoint(2 + b->colLeft(1) + 10, 2 + b->rowTop(k) + 4); }
};

class BrowseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::uiApp();
        data::setNotifier(std::make_unique<data::RecordingNotifier>());
    }
    void TearDown() override
    {
        data::CLOSEALL();
        data::setNotifier(nullptr);
    }

    // NOMI with one name field, indexed by it, filled with names.
    void makeTable(const std::vector<std::string>& names)
    {
        data::DBGEN("NOMI", {{"NOME", 'C', 20, 0}});
        data::DBOPEN(true, "NOMI");
        data::ORDBUILD("NOMI", "FIELD -> nome");
        for (const auto& n : names) {
            data::DBAPP();
            data::FIELDPUT("NOME", Value(n));
            data::DBCOMMIT();
            data::DBUNLOCK();
        }
        data::DBGOTOP();
        sorted = names;
        std::sort(sorted.begin(), sorted.end());
    }

    static std::vector<std::string> names(int n)
    {
        std::vector<std::string> out;
        for (int i = 1; i <= n; ++i) out.push_back("NOME" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        return out;
    }

    static std::vector<std::string> walkNames()
    {
        std::vector<std::string> out;
        uint32_t keep = data::RECNO();
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP(1)) out.push_back(rtrim(data::FIELDGET("NOME").text()));
        data::DBGOTO(keep);
        return out;
    }

    // The browse shows the records at key positions p - r + 1 ... in index
    // order, as many as fit, and its selected row is the current record.
    void expectShowsTable(const TWBROWSE& b, const std::string& where)
    {
        SCOPED_TRACE(where);
        int p = b.scrollPos(), r = b.NROWPOS, R = b.visibleRows(), N = int(sorted.size());
        ASSERT_GE(r, 1);
        ASSERT_LE(r, R);
        EXPECT_EQ(uint64_t(N), b.logicalLength());
        EXPECT_EQ(uint64_t(p), data::ORDKEYNO());
        EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), sorted.at(size_t(p) - 1));
        const auto& rows = b.rowTexts();
        ASSERT_EQ(rows.size(), size_t(std::min(R, N - (p - r))));
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rtrim(rows[i].at(0)), sorted.at(size_t(p - r) + i));
    }

    test::TempDataDir dir;
    UiScript ui;
    std::vector<std::string> sorted;
};

TEST_F(BrowseTest, FewerRecordsThanRowsLeaveTheRestEmpty)
{
    makeTable({"CARLO", "ANNA", "BRUNO"});
    ListForm f;
    ui.next()
        .then([&](TDIALOG&) {
            ASSERT_GT(f.b->visibleRows(), 3);
            EXPECT_EQ(f.b->rowTexts().size(), 3u);
            EXPECT_EQ(f.b->NROWPOS, 1);
            expectShowsTable(*f.b, "opened");
            // A click below the last record gives the focus only.
            f.dlg.focusNext(true);
            QTest::mouseClick(f.b->HWND, Qt::LeftButton, {}, f.cell(5));
            EXPECT_TRUE(f.b->LFOCUSED);
            EXPECT_EQ(f.b->NROWPOS, 1);
            EXPECT_TRUE(f.lclicks.empty());
        })
        .key("End")
        .then([&](TDIALOG&) {
            EXPECT_EQ(f.b->NROWPOS, 3);
            expectShowsTable(*f.b, "End");
            // A click on a row selects it and reports it.
            QTest::mouseClick(f.b->HWND, Qt::LeftButton, {}, f.cell(2));
            EXPECT_EQ(f.b->NROWPOS, 2);
            EXPECT_EQ(f.lclicks, std::vector<int>{2});
            EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), "BRUNO");
        })
        .key("Esc");
    f.run();
}

TEST_F(BrowseTest, MovesKeepTheRowsInStepWithTheTable)
{
    makeTable(names(40));
    ListForm f;
    // Each key, then what p and r must be (0: only the consistency check).
    struct Case {
        const char* key;
        int p, r;
    };
    int R = 0;
    auto& s = ui.next();
    s.then([&](TDIALOG&) {
        R = f.b->visibleRows();
        ASSERT_GE(R, 4);
        ASSERT_LT(R, 20);
        expectShowsTable(*f.b, "opened");
    });
    const std::vector<Case> cases = {
        {"Down", 2, 2}, {"Down", 3, 3}, {"Up", 2, 2}, {"Up", 1, 1}, {"Up", 1, 1},
        {"PageDown", 0, 0}, {"PageDown", 0, 0}, {"PageUp", 0, 0}, {"End", 40, 0}, {"Up", 39, 0},
        {"PageDown", 40, 0}, {"PageUp", 0, 0}, {"Home", 1, 1}, {"PageUp", 1, 1},
    };
    for (const Case& c : cases) {
        s.key(c.key).then([&, c](TDIALOG&) {
            expectShowsTable(*f.b, c.key);
            if (c.p) {
                EXPECT_EQ(f.b->scrollPos(), c.p) << c.key;
            }
            if (c.r) {
                EXPECT_EQ(f.b->NROWPOS, c.r) << c.key;
            }
        });
    }
    s.then([&](TDIALOG&) {
        // End shows a full page with the last record on the last row.
        f.b->GOBOTTOM();
        EXPECT_EQ(f.b->NROWPOS, R);
        // Page down from one page above the end leaves no empty rows.
        f.b->THUMBPOS(40 - R);
        expectShowsTable(*f.b, "thumb");
        f.b->PAGEDOWN();
        EXPECT_EQ(f.b->rowTexts().size(), size_t(R));
        EXPECT_EQ(f.b->scrollPos(), 40);
        expectShowsTable(*f.b, "page down near the end");
        // Moving by one row inside the page reads nothing; scrolling reads one row.
        f.b->GOTOP();
        uint64_t calls = f.b->lineCalls();
        f.b->GODOWN();
        EXPECT_EQ(f.b->lineCalls(), calls);
        for (int i = 1; i < R; ++i) f.b->GODOWN();
        EXPECT_EQ(f.b->NROWPOS, R);
        EXPECT_EQ(f.b->lineCalls(), calls + 1);
        expectShowsTable(*f.b, "scrolled by one");
        f.b->GOTOP();
        f.b->GOTOP(); // already there: no change reported
    });
    s.key("Esc");
    f.run();
    EXPECT_GT(f.changes, 10);
}

TEST_F(BrowseTest, FirstLetterSearchWalksThroughTheRecordsThatBeginWithIt)
{
    makeTable({"ALFA", "BETA", "RAGNO", "RANA", "ROSA", "SALE", "TOPO", "200", "123"});
    ListForm f;
    std::vector<std::string> seen;
    auto note = [&](TDIALOG&) { seen.push_back(rtrim(data::FIELDGET("NOME").text())); };
    ui.next()
        .typeHere("r").then(note).typeHere("R").then(note).typeHere("r").then(note).typeHere("r").then(note)
        .then([&](TDIALOG&) {
            expectShowsTable(*f.b, "after R");
            int changes = f.changes;
            // No key begins with Z: nothing moves.
            f.b->GODOWN();
            changes = f.changes;
            KEYSEEK(*f.b, 'z');
            EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), "RANA");
            EXPECT_EQ(f.changes, changes);
        })
        .typeHere("2").then(note)
        .key("Esc");
    f.run();
    EXPECT_EQ(seen, (std::vector<std::string>{"RAGNO", "RANA", "ROSA", "RAGNO", "200"}));
}

TEST_F(BrowseTest, StabilizeAfterDeletingTheLastRecordSelectsTheNewLast)
{
    makeTable(names(12));
    ListForm f;
    ui.next()
        .key("End")
        .then([&](TDIALOG&) {
            data::DBDEL();
            sorted.pop_back();
            STABILIZE(*f.b);
            EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), "NOME11");
            EXPECT_EQ(f.b->NROWPOS, std::min(11, f.b->visibleRows()));
            expectShowsTable(*f.b, "after delete");
            // The first record deleted: the one after it is selected.
            f.b->GOTOP();
            data::DBDEL();
            sorted.erase(sorted.begin());
            STABILIZE(*f.b);
            EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), "NOME02");
            expectShowsTable(*f.b, "after deleting the first");
        })
        .key("Esc");
    f.run();
}

TEST_F(BrowseTest, EnterDoesWhatADoubleClickDoes)
{
    makeTable(names(5));
    ListForm f;
    ui.next()
        .key("Down Enter")
        .then([&](TDIALOG&) {
            ASSERT_EQ(f.dblclicks.size(), 1u);
            EXPECT_EQ(f.dblclicks[0], std::make_pair(0, 0));
            QTest::mouseDClick(f.b->HWND, Qt::LeftButton, {}, f.cell(4));
            ASSERT_EQ(f.dblclicks.size(), 2u);
            EXPECT_EQ(f.b->NROWPOS, 4); // the first click of it selected the row
            EXPECT_EQ(rtrim(data::FIELDGET("NOME").text()), "NOME04");
            // Below the last record a double click does nothing.
            QTest::mouseDClick(f.b->HWND, Qt::LeftButton, {}, f.cell(7));
            EXPECT_EQ(f.dblclicks.size(), 2u);
        })
        .key("Esc");
    f.run();
}

TEST_F(BrowseTest, WheelAndScrollBarMoveLikeTheKeys)
{
    makeTable(names(40));
    ListForm f;
    ui.next()
        .then([&](TDIALOG&) {
            auto* bar = f.b->HWND->findChild<QScrollBar*>();
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(bar->maximum(), 40);
            QPoint at = f.cell(2);
            QWheelEvent down(at, f.b->HWND->mapToGlobal(at), {}, QPoint(0, -240), Qt::NoButton, {},
                             Qt::NoScrollPhase, false);
            QApplication::sendEvent(f.b->HWND, &down);
            EXPECT_EQ(f.b->scrollPos(), 3);
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            EXPECT_EQ(f.b->scrollPos(), 3 + f.b->visibleRows());
            EXPECT_EQ(bar->value(), f.b->scrollPos());
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            EXPECT_EQ(f.b->scrollPos(), 2 + f.b->visibleRows());
            expectShowsTable(*f.b, "scroll bar");
            f.b->THUMBPOS(35);
            EXPECT_EQ(f.b->NROWPOS, f.b->visibleRows() - 5);
            expectShowsTable(*f.b, "thumb near the end");
        })
        .key("Esc");
    f.run();
}

TEST_F(BrowseTest, EmptyTableShowsNoRowsAndIgnoresMoves)
{
    makeTable({});
    ListForm f;
    ui.next()
        .key("Down End PageDown Home")
        .then([&](TDIALOG&) {
            EXPECT_TRUE(f.b->rowTexts().empty());
            EXPECT_EQ(f.b->logicalLength(), 0u);
            EXPECT_TRUE(data::DBEOF());
        })
        .key("Esc");
    f.run();
}

// ---- in-place editing ------------------------------------------------------------------

TEST_F(BrowseTest, EdcolNewThenEscRemovesTheBlankRecord)
{
    makeTable({"BETA", "ALFA", "GAMMA"});
    ListForm f;
    bool result = true;
    uint32_t records = 0;
    ui.next()
        .key("Down")
        .then([&](TDIALOG&) {
            records = data::LASTREC();
            result = EDCOL(*f.b, true);
        })
        .then([&](TDIALOG&) {
            EXPECT_FALSE(result);
            EXPECT_EQ(walkNames(), sorted);
            EXPECT_EQ(data::ORDKEYCOUNT(), 3u);
            EXPECT_EQ(data::LASTREC(), records + 1); // the blank one, flagged deleted
            expectShowsTable(*f.b, "after cancel");
        })
        .key("Esc");
    ui.next().then([&](TDIALOG&) {
        // The editor sits over the new, empty row at the top.
        EXPECT_EQ(f.b->NROWPOS, 1);
        EXPECT_EQ(rtrim(f.b->rowTexts().at(0).at(0)), "");
    }).key("Esc");
    f.run();
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(BrowseTest, EdcolConfirmsAValueAndRefusesAnEmptyOne)
{
    makeTable({"BETA", "ALFA", "GAMMA"});
    ListForm f;
    bool added = false, empty = true, renamed = false, kept = true;
    ui.next()
        .then([&](TDIALOG&) { added = EDCOL(*f.b, true); })
        .then([&](TDIALOG&) { empty = EDCOL(*f.b, true); })
        .then([&](TDIALOG&) {
            // Rename ALFA (the first row) to ZETA: it moves to its place.
            f.b->GOTOP();
            renamed = EDCOL(*f.b, false);
        })
        .then([&](TDIALOG&) { kept = EDCOL(*f.b, false); })
        .key("Esc");
    ui.next().typeHere("DELTA").key("Enter");                 // added
    ui.next().key("Enter").key("Esc");                        // empty: refused, then cancelled
    ui.boxes().answer(MsgButton::Ok);
    ui.next().typeHere("ZETA").key("Enter");                  // renamed
    ui.next().typeHere("OMEGA").key("Esc");                   // changed, then cancelled
    ui.boxes().answer(MsgButton::Yes);
    f.run();
    EXPECT_TRUE(added);
    EXPECT_FALSE(empty);
    EXPECT_TRUE(renamed);
    EXPECT_FALSE(kept);
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].text, "Campo non valido.");
    EXPECT_EQ(ui.messages()[1].text, "Annullo le modifiche?");
    data::DBSELECTAREA("NOMI");
    EXPECT_EQ(walkNames(), (std::vector<std::string>{"BETA", "DELTA", "GAMMA", "ZETA"}));
}

} // namespace
