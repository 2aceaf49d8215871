#pragma once
// TCOMBOBOX: the drop-down list of the templates, bound to a text variable.
// The user only picks from the list (the templates make every combo box a
// drop-down list); the list always holds the variable's current value, even
// an empty one or a value no longer among the items, as its first entry.
//
//   Value fornitore = std::string(30, ' ');
//   TCOMBOBOX::REDEFINE(105, bindVar(fornitore), dlg,
//                       {.items = suppliers, .change = [&](TCOMBOBOX&, const Value&) { dlg.LMODIFY = true; },
//                        .varname = "cFornitore"});
//
// Texts are compared without trailing blanks. Picking an item stores it
// without trailing blanks and then runs BCHANGE(combo box, new value); the
// confirm checks first write the text shown into the variable, then run the
// valid callback in CARGO. Esc while the list is open only closes the list.
// The dialog owns the control; the form keeps the pointer REDEFINE returns.
#include "ui/control.h"

#include <source_location>
#include <vector>

class QComboBox;

namespace velt {

class TCOMBOBOX;

// REDEFINE arguments after (id, getset), in their order.
struct TComboArgs {
    std::vector<std::string> items;
    std::function<bool(TCONTROL&)> valid;                       // stored in CARGO
    std::function<void(TCOMBOBOX&, const Value&)> change;       // BCHANGE
    int textColour = -1, backColour = -1;                       // -1: window text / GETSYSBGCOLOR
    std::string message;                                        // CMSG
    WhenBlock when;
    uint32_t style = 0;
    std::string picture;
    std::function<void(TCOMBOBOX&)> editChange;
    int length = 0;                                             // text limit, 0 = none
    std::string varname;                                        // CVARNAME
    std::function<void(TCOMBOBOX&)> closeUp;
};

class TCOMBOBOX : public TCONTROL {
public:
    using Args = TComboArgs;
    using Change = std::function<void(TCOMBOBOX&, const Value&)>;
    static TCOMBOBOX* REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a = {},
                               std::source_location where = std::source_location::current());

    // ---- fields ---------------------------------------------------------
    std::vector<std::string> AITEMS; // the texts in the list, in order
    Change BCHANGE;                  // (combo box, new value); hides TCONTROL's
    std::string CPICTURE;
    int NLIMIT = 0;
    std::function<void(TCOMBOBOX&)> BEDITCHANGE, BCLOSEUP;

    // ---- operations (positions count from 1) ------------------------------
    // Reselects from the variable (SET of its value).
    void REFRESH() override;
    // Selects text, inserting it as the first item when it is not there.
    void SET(const std::string& text);
    void SELECT(int position);
    void MODIFY(const std::string& text, int position);
    void INSERT(const std::string& text, int position);
    // Empties the list and fills it again from list and the variable.
    void SETITEMS(const std::vector<std::string>& list);
    // The text shown (the selected item), and its position (0: none).
    std::string GETTEXT() const;
    int position() const;
    // The user picks the item at position (as a selection from the list).
    void pick(int position);

    QComboBox* combo() const;

    const char* className() const override { return "TCOMBOBOX"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override;
    void beforeCheck() override;
    void refreshIfStale() override;
    // A letter typed while the list is closed picks the next item that
    // begins with it (after the one shown, wrapping around).
    bool filterKey(QKeyEvent& e) override;

private:
    TCOMBOBOX() = default;
    void fill();
    void showItems();
    int indexOf(const std::string& text) const; // 0-based, -1 when missing
    int shown_ = -1; // the index shown before the user's last pick
};

} // namespace velt
