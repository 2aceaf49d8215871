#pragma once
// TWBROWSE: the record browse, a painted grid over the table of one slot,
// one row per record in the order of the table's active index, bound to a
// template item of class TWBrowse. The selected row is always the table's
// current record: the list forms' buttons act on it.
//
//   auto* b = TWBROWSE::REDEFINE(101, [](TWBROWSE&) { return std::vector<std::string>{
//                                    data::FIELDGET("NOME").text(), ""}; }, dlg,
//                                {.headers = {"Fornitore", ""}, .sizes = {200, 0},
//                                 .dblclick = [&](int, int, int, TWBROWSE&) { modify(); }});
//   b->BKEYCHAR = KEYSEEKBLOCK();
//   ... after every change to the table: STABILIZE(*b);
//
// Only the rows on screen are ever read: the browse keeps the cell texts of
// its visible rows (BLINE once per row when they are all read again, once for
// the row that comes in when the rows scroll by one) and paints from them, so
// a table of a million records pages as fast as one of a hundred. Positions
// come from the table layer: N = ORDKEYCOUNT (logical length), p = ORDKEYNO.
//
// Geometry: h is the font's cell height; every row, the header row too, is
// h + 1 pixels; data rows start below the header band (h + 2 pixels with a
// header row). Columns start at x = 1; the rightmost 21 pixels are the scroll
// bar's.
//
// Ownership: the dialog owns the browse; the browse owns its widget (HWND)
// and the scroll bar in it while the dialog is shown. The table belongs to
// the form; the browse moves its record pointer and always selects again
// the slot that was current before.
#include "ui/control.h"

#include <functional>
#include <source_location>
#include <string>
#include <vector>

class QPainter;
class QScrollBar;

namespace velt {

class TWBROWSE;

// Alignment of a column (false = left, true = right, "C" = centred).
enum class Justify { Left, Right, Center };

// REDEFINE arguments after (id, line, dialog), in their positional order.
struct TWBrowseArgs {
    std::vector<std::string> headers;            // empty: no header row
    std::vector<int> sizes{0};                   // pixels
    std::function<void(TWBROWSE&)> change;       // after each change of the selected row
    std::function<void(int row, int col, int flags, TWBROWSE&)> dblclick;
    std::function<void(TWBROWSE&, int row, int col, int flags, int nRow, int nCol)> rclicked;
    std::shared_ptr<TFONT> font;                 // default "Segoe UI" 13 pixels
    std::string cursor;
    int textColour = -1, backColour = -1;        // -1: window text / window background
    std::string message;
    std::string alias;                           // default: the table selected now
    WhenBlock when;
    ValidBlock valid;
    std::function<void(TWBROWSE&, int row, int col, int flags, int nRow, int nCol)> lclicked;
    std::vector<std::function<void(TWBROWSE&)>> actions;
};

class TWBROWSE : public TCONTROL {
public:
    using Args = TWBrowseArgs;
    using LineBlock = std::function<std::vector<std::string>(TWBROWSE&)>;
    using DblClickBlock = std::function<void(int row, int col, int flags, TWBROWSE&)>;
    using ClickBlock = std::function<void(TWBROWSE&, int row, int col, int flags, int nRow, int nCol)>;

    static TWBROWSE* REDEFINE(int id, LineBlock line, TDIALOG& dialog, const Args& a = {},
                              std::source_location where = std::source_location::current());

    // ---- fields ----------------------------------------------------------
    LineBlock BLINE;
    std::vector<std::string> AHEADERS;
    std::vector<int> ACOLSIZES;
    std::vector<Justify> AJUSTIFY;              // missing entries: left
    std::string CALIAS;
    int NROWPOS = 1;                            // r: 1-based screen row of the selection
    // The browse's change callback (browse); it hides TCONTROL's.
    std::function<void(TWBROWSE&)> BCHANGE;
    DblClickBlock BLDBLCLICK;
    // The browse's click callbacks (they hide TWINDOW's window-only ones).
    ClickBlock BLCLICKED, BRCLICKED;
    std::vector<std::function<void(TWBROWSE&)>> AACTIONS;
    int NCLRFORE = -1, NCLRBACK = -1;           // data rows (-1: system colours)
    int NCLRFOREFOCUS = -1, NCLRBACKFOCUS = -1; // selected row with the focus
    int NCLRFORENOFOCUS = -1, NCLRBACKNOFOCUS = -1; // selected row without it
    int NCLRHEADER = -1;                        // header text

    // ---- state as last seen ----------------------------------------------
    int scrollPos() const { return pos_; }     // p
    uint64_t logicalLength() const { return len_; } // N
    int visibleRows() const;                    // R
    int cellHeight() const;                     // h
    bool hasHeader() const { return !AHEADERS.empty(); }
    // The texts of the visible rows as they are shown (tests, the cell editor).
    const std::vector<std::vector<std::string>>& rowTexts() const { return rows_; }
    // Geometry in the widget's pixels.
    int rowTop(int k) const;                    // top of data row k (1-based)
    int colLeft(int c) const;                   // left of column c (1-based)
    int drawnColumns() const;                   // columns that are drawn
    // The cell texts were read again (all rows) this many times, and BLINE
    // called this many times (benchmarks, tests of what is read).
    uint64_t refills() const { return refills_; }
    uint64_t lineCalls() const { return lineCalls_; }

    // ---- operations --------------------------------------------------------
    void GOTOP();
    void GOBOTTOM();
    void GOUP();
    void GODOWN();
    void PAGEUP();
    void PAGEDOWN();
    // Scroll-bar thumb released at key position q.
    void THUMBPOS(int q);
    void STABILIZE(bool focus = true);
    void SETFOCUS() override;
    // Reads the visible rows again and repaints.
    void REFRESH() override;
    // The in-place cell editor over the selected row's first column: the
    // edited value when confirmed, nothing when cancelled.
    std::optional<std::string> EDITCOLUMN(std::optional<std::string> value = std::nullopt,
                                          const std::string& picture = {},
                                          std::function<bool(const std::string&)> valid = {},
                                          bool buttons = true);

    // ---- toolkit -----------------------------------------------------------
    const char* className() const override { return "TWBROWSE"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override;
    EnterKey enterKey() const override { return BLDBLCLICK ? EnterKey::Own : EnterKey::DefaultOrNext; }
    bool filterKey(QKeyEvent& e) override;
    void gotFocus(TWINDOW* other) override;
    void lostFocus(TWINDOW* other) override;

    // Called by the widget.
    void paint(QPainter& p);
    void mousePress(int x, int y, bool right, int flags);
    void mouseDouble(int x, int y, int flags);
    void wheel(int notches, bool middleHeld);
    void scrollAction(int action, int sliderValue);

private:
    TWBROWSE() = default;
    class Widget;
    friend class Widget;
    void firstShow();
    void refill();               // reads the visible rows (in the browse's table)
    void checkLength();          // N again; range and position corrected
    void updateScrollBar();
    void changed();              // repaint + BCHANGE
    void moveOne(int dir);       // GOUP / GODOWN
    int rowAt(int y) const;      // data row under y, 0 when none
    int colAt(int x) const;      // drawn column under x, 0 when none
    void selectRow(int k);       // selection moves to visible row k
    void paintHeader(QPainter& p);
    int colWidth(int c) const;

    QScrollBar* bar_ = nullptr;
    std::vector<std::vector<std::string>> rows_;
    int pos_ = 1;                // p
    uint64_t len_ = 0;           // N
    bool shownOnce_ = false;
    uint64_t refills_ = 0, lineCalls_ = 0;
};

// STABILIZE(browse): the browse's STABILIZE with focus.
void STABILIZE(TWBROWSE& browse);
// First-letter search on the selected table's active index (see the browse
// forms: typing a letter jumps to, then walks through, the records whose key
// begins with it).
void KEYSEEK(TWBROWSE& browse, int key, const std::string& prefix = {});
// The BKEYCHAR the list forms install: KEYSEEK(browse, character).
KeyCharBlock KEYSEEKBLOCK();
// In-place editing of the first field of the current record (new: of a
// blank record appended for it); true when a value was confirmed.
bool EDCOL(TWBROWSE& browse, bool isNew, const std::string& picture = {});

} // namespace velt
