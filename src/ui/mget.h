#pragma once
// TMULTIGET: the multi-line text field of the forms (free notes), bound to a
// text variable.
//
//   Value note = std::string();
//   TMULTIGET::REDEFINE(105, bindVar(note), dlg, {.change = modified, .length = 200});
//
// Inside the variable a line break is CR LF, as in the memo fields; the
// widget works with "\n" and the field converts both ways. The field shows
// the variable's text with its line breaks; getting the focus by Tab selects
// the whole text, a click puts the caret where clicked. Enter inserts a line
// break, Tab and Shift+Tab move on, Esc is the dialog's. Typing, paste, cut
// and clear are refused only when read-only; `length` (0: none) limits the
// text, counted as stored (a line break takes two characters). Every change
// made by the user runs BCHANGE; losing the focus writes the whole text into
// the variable as it is (no padding, no trimming). The confirm checks see
// the field only through its valid callback (CARGO).
#include "ui/control.h"

#include <source_location>

class QPlainTextEdit;

namespace velt {

// REDEFINE arguments after (id, getset, dialog), in their order.
struct TMultiGetArgs {
    int textColour = -1, backColour = -1;      // -1: window text / GETSYSBGCOLOR
    std::shared_ptr<TFONT> font;
    std::string cursor;
    std::string message;                       // CMSG
    WhenBlock when;
    bool readonly = false;
    std::function<bool(TCONTROL&)> valid;      // stored in CARGO
    ChangeBlock change;
    int length = 0;                            // text limit; 0 = none
    std::string varname;                       // CVARNAME
    FocusBlock gotFocus, lostFocus;
};

class TMULTIGET : public TCONTROL {
public:
    using Args = TMultiGetArgs;
    static TMULTIGET* REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a = {},
                               std::source_location where = std::source_location::current());

    bool LREADONLY = false;
    int NLIMIT = 0;

    // The field's text as the variable holds it (line breaks CR LF).
    std::string GETTEXT() const;
    void REFRESH() override;
    QPlainTextEdit* edit() const;

    // Line breaks of the variable (CR LF, also a lone CR) to the widget's
    // "\n", and back.
    static std::string toWidgetText(const std::string& s);
    static std::string toVarText(const std::string& s);

    // How many more characters (as stored) fit, replacing the selection;
    // -1 without a limit.
    int room() const;
    // Inserts text at the caret, replacing the selection, cut to what fits.
    void insertLimited(const std::string& widgetText);

    const char* className() const override { return "TMULTIGET"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override;
    void refreshIfStale() override;
    EnterKey enterKey() const override { return EnterKey::Own; }
    bool filterKey(QKeyEvent& e) override;
    void lostFocus(TWINDOW* other) override;

    // The widget reports a change made by the user.
    void userChanged();

private:
    bool showing_ = false;   // the field itself is setting the text
};

} // namespace velt
