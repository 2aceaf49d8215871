// The shared one-column list window of the reference tables.
#include "reference/reflist.h"

#include "data/tables.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/wbrowse.h"

namespace velt::reference {

void showList(const ListWindow& w)
{
    const std::string alias = data::ALIAS();
    // The list has a current row (the table is not at its end).
    auto hasRow = [alias] {
        int was = data::SELECT();
        data::DBSELECTAREA(alias);
        bool row = !data::DBEOF();
        data::DBSELECTAREA(was);
        return row;
    };

    TDIALOG dlg(TDIALOG::NewArgs{.caption = w.caption, .resName = w.templateName});
    TWBROWSE* browse = nullptr;
    auto edit = [&](bool isNew) {
        data::DBSELECTAREA(alias);
        EDCOL(*browse, isNew, w.picture);
    };
    browse = TWBROWSE::REDEFINE(
        101, [field = w.field](TWBROWSE&) { return std::vector<std::string>{data::FIELDGET(field).text()}; }, dlg,
        {.headers = {w.header}, .sizes = {0}, .dblclick = [&](int, int, int, TWBROWSE&) {
             if (hasRow()) edit(false);
         }});
    browse->BKEYCHAR = KEYSEEKBLOCK();

    TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
    TBUTTON::REDEFINE(202, [&](TBUTTON&) { edit(true); }, dlg);
    TBUTTON::REDEFINE(203, [&](TBUTTON&) { edit(false); }, dlg, {}, hasRow);
    TBUTTON::REDEFINE(204, [&](TBUTTON&) {
        data::DBSELECTAREA(alias);
        if (data::DELREC()) STABILIZE(*browse);
    }, dlg, {}, hasRow);

    dlg.ACTIVATE({.centered = true, .valid = [&](TWINDOW&) { return __VALID(dlg, false); }, .resize16 = true});
}

} // namespace velt::reference
