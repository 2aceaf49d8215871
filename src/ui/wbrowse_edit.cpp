// The browse's first-letter search (KEYSEEK), the in-place cell editor
// (EDITCOLUMN) and the single-field editing of the reference lists (EDCOL).
#include "ui/wbrowse.h"

#include "data/tables.h"
#include "ui/btnbmp.h"
#include "ui/dialog.h"
#include "ui/tget.h"
#include "ui/wbrowse_slot.h"

#include <QLineEdit>

#include <algorithm>
#include <cctype>

namespace velt {

namespace {

std::string upper(std::string s)
{
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
    return s;
}

std::string lower(std::string s)
{
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return s;
}

// The active index key of the current record begins with c (upper case).
bool keyBegins(const std::string& c)
{
    if (data::DBEOF()) return false;
    Value k = data::ORDKEYVAL();
    if (!k.isText()) return false;
    return upper(k.text()).compare(0, c.size(), c) == 0;
}

bool blankText(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

} // namespace

void KEYSEEK(TWBROWSE& browse, int key, const std::string& prefix)
{
    const uint32_t remembered = data::DBEOF() ? 0 : data::RECNO();
    if (key < 32 || key > 126) return;
    const std::string c = prefix + upper(std::string(1, char(key)));
    if (keyBegins(c)) data::DBSKIP(1);
    if (keyBegins(c)) {
        // The next record begins with it too: walk on by one row.
        data::DBSKIP(-1);
        browse.GODOWN();
        return;
    }
    bool found = data::DBSEEK(Value(c));
    if (!found) found = data::DBSEEK(Value(lower(c)));
    if (!found) {
        if (remembered) data::DBGOTO(remembered);
        else data::DBGOBOTTOM(), data::DBSKIP(1);
    }
    if (found) browse.NROWPOS = 1;
    if (!data::DBEOF() && data::DELETED()) data::DBSKIP(1);
    const uint32_t now = data::DBEOF() ? 0 : data::RECNO();
    if (now != remembered) browse.STABILIZE(true);
}

KeyCharBlock KEYSEEKBLOCK()
{
    return [](int ch, int, TWINDOW& w) {
        if (auto* b = dynamic_cast<TWBROWSE*>(&w)) KEYSEEK(*b, ch);
    };
}

std::optional<std::string> TWBROWSE::EDITCOLUMN(std::optional<std::string> value, const std::string& picture,
                                                std::function<bool(const std::string&)> valid, bool buttons)
{
    if (!HWND || rows_.empty() || NROWPOS < 1 || NROWPOS > int(rows_.size())) return std::nullopt;
    const auto& cells = rows_[size_t(NROWPOS) - 1];
    Value var(value ? *value : (cells.empty() ? std::string() : cells.front()));

    // Exactly over the cell of the first column on the selected row.
    const int h = cellHeight();
    const int edge = 2; // the browse's sunken edge
    QPoint at = HWND->mapToGlobal(QPoint(edge + colLeft(1), edge + rowTop(NROWPOS) + (hasHeader() ? 1 : 0)));
    const int width = std::max(8, colWidth(1) - 1 - 2), height = h;

    TDIALOG dlg({.top = at.y(), .left = at.x(), .bottom = at.y() + height, .right = at.x() + width,
                 .style = 0x80000000u, // a pop-up without caption or border
                 .owner = dialog()});
    std::string pict = picture;
    pict.erase(std::remove(pict.begin(), pict.end(), ','), pict.end());
    TGetArgs ga;
    ga.picture = pict;
    if (valid) ga.valid = [valid](TCONTROL& c) { return valid(c.VARGET().text()); };
    ga.font = OFONT;
    ga.change = [&dlg](int, int, TWINDOW&) { dlg.LMODIFY = true; };
    TGET* get = TGET::REDEFINE(0, bindVar(var), dlg, ga);
    // Two 16-pixel buttons at the right end, side by side, clear of the field.
    const int fieldWidth = buttons ? width - 32 : width;
    get->NTOP = 0; get->NLEFT = 0; get->NBOTTOM = height; get->NRIGHT = fieldWidth;
    get->BKEYDOWN = [&dlg](int key, int, TWINDOW&) {
        if (key != vk::Return) return false;
        dlg.CARGO = 1;
        dlg.END(1);
        return true;
    };
    std::vector<TBTNBMP*> bmps;
    if (buttons) {
        auto place = [&](TBTNBMP* b, int fromRight) {
            b->NTOP = std::max(0, (height - 16) / 2);
            b->NLEFT = width - fromRight;
            b->NBOTTOM = b->NTOP + 16;
            b->NRIGHT = b->NLEFT + 16;
            bmps.push_back(b);
        };
        place(TBTNBMP::REDEFINE(0, "OK", dlg, [&dlg](TBTNBMP&) { dlg.CARGO = 1; dlg.END(1); }, "Conferma"), 32);
        place(TBTNBMP::REDEFINE(0, "CANCEL", dlg, [&dlg](TBTNBMP&) { dlg.CARGO = 2; dlg.END(2); }, "Annulla"), 16);
    }
    Justify j = AJUSTIFY.empty() ? Justify::Left : AJUSTIFY.front();
    dlg.ACTIVATE({.valid = [&dlg](TWINDOW&) { return __VALID(dlg, true); },
                  .init = [&](TWINDOW&) {
                      QWidget* w = dlg.HWND;
                      w->setFixedSize(width, height);
                      w->move(at);
                      if (QLineEdit* e = get->edit())
                          e->setAlignment((j == Justify::Right    ? Qt::AlignRight
                                           : j == Justify::Center ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft) |
                                          Qt::AlignVCenter);
                      for (TBTNBMP* b : bmps)
                          if (b->HWND) b->HWND->setFocusPolicy(Qt::NoFocus);
                  }});
    // The list's window is active again, with the focus on the list.
    if (TDIALOG* d = dialog(); d && d->HWND) d->HWND->activateWindow();
    if (dlg.NRESULT != 1) return std::nullopt;
    return var.text();
}

bool EDCOL(TWBROWSE& browse, bool isNew, const std::string& picture)
{
    if (!browseTableOpen(browse.CALIAS)) return false;
    InBrowseSlot in(browse.CALIAS);
    if (isNew) {
        if (data::ISFULL(".")) return false;
        data::DBAPP();
        data::DBCOMMIT();
        data::DBUNLOCK();
        browse.STABILIZE(true);
    } else if (data::DBEOF()) {
        return false;
    }
    const std::string current = data::FIELDGET(1).text();
    auto edited = browse.EDITCOLUMN(current, picture, [](const std::string& s) { return !blankText(s); }, true);
    if (!edited) {
        if (isNew) data::DBDEL();
        browse.STABILIZE(true);
        return false;
    }
    if (*edited == current) return true;
    if (!data::DBLOCK(true)) {
        browse.STABILIZE(true);
        return false;
    }
    data::DBRECALL();
    data::FIELDPUT(1, Value(*edited));
    data::DBCOMMIT();
    data::DBUNLOCK();
    browse.STABILIZE(true);
    return true;
}

} // namespace velt
