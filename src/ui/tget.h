#pragma once
// TGET: the single-line edit field, bound to a text, number, date or logical
// variable and shown through a picture (util/picture.h).
//
//   Value prezzo = 0.0;
//   TGET::REDEFINE(103, bindVar(prezzo), dlg, {.picture = "@E 99,999.99", .change = modified});
//
// Display, focus and text-to-value rules:
//  - shown without focus: TRANSFORM with the picture (texts without trailing
//    blanks, numbers without outer blanks); while editing the picture loses
//    its "," (and number fields their "Z", so zero shows as 0) and the whole
//    text is selected;
//  - on losing the focus the text becomes the variable's value: a text padded
//    with blanks to the variable's length, a date read with the century
//    window (empty when not a date), a number read with "," as decimal point,
//    a logical true for "T"; an overflow text (asterisks) leaves the number
//    as it was;
//  - a date that is not a date, or a number too large for the picture, stays
//    as typed and fails the dialog's confirm checks.
//
// Typing goes through TGET_EDITKEY (tget_keys.cpp), which hands every key to
// the field's picture-mask editor (ui/maskedit.h) and copies the result back
// into the widget. The widget's own menu, drops and input method are off, so
// nothing bypasses the editor.
#include "ui/control.h"
#include "ui/maskedit.h"
#include "util/picture.h"

#include <source_location>

class QLineEdit;

namespace velt {

// REDEFINE arguments after (id, getset, dialog), in their order.
struct TGetArgs {
    std::string picture;                       // "" = none ("99/99/9999" for dates)
    std::function<bool(TCONTROL&)> valid;      // stored in CARGO
    int textColour = -1, backColour = -1;      // -1: window text / GETSYSBGCOLOR
    std::shared_ptr<TFONT> font;
    std::string cursor;
    std::string message;                       // CMSG
    WhenBlock when;
    ChangeBlock change;
    bool readonly = false;
    bool password = false;
    std::string varname;                       // CVARNAME
    int code = 0;
    FocusBlock gotFocus, lostFocus;
};

class TGET : public TCONTROL {
public:
    using Args = TGetArgs;
    static TGET* REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a = {},
                          std::source_location where = std::source_location::current());

    std::string CPICTURE;   // as given (see picture() for the one in use)
    bool LREADONLY = false;
    bool LPASSWORD = false;
    // Shared by all edit fields: false refuses the minus sign.
    static inline bool& LMINUS = MaskEditor::LMINUS;

    // The text currently in the field.
    std::string GETTEXT() const;
    void REFRESH() override;

    // The picture in use: without its "," while the field has the focus.
    const Picture& picture() const { return ed_.picture(); }
    QLineEdit* edit() const;
    // The field's text as a value of the variable's type (what losing the
    // focus writes); an overflow text (asterisks) gives the number as it is.
    Value textValue() const;

    // The editor, and the copies of the widget's state into and out of it.
    MaskEditor& editor() const { return ed_; }
    void copyIn() const;
    void copyOut() const;

    const char* className() const override { return "TGET"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override;
    std::optional<std::string> checkFailure() const override;
    void refreshIfStale() override;
    EnterKey enterKey() const override { return EnterKey::NextThenDefault; }
    bool filterKey(QKeyEvent& e) override;
    void gotFocus(TWINDOW* other) override;
    void lostFocus(TWINDOW* other) override;

    // The text is a date that does not exist (blank is a valid empty date).
    static bool invalidDateText(const std::string& text);

private:
    mutable MaskEditor ed_;
};

// The key handling of an edit field after the dialog's own keys (Esc, Enter,
// Tab and the key-down hook are done before it). True when the key has been
// dealt with (accepted or refused); false leaves it to the native widget
// (cursor movement and selection only).
bool TGET_EDITKEY(TGET& field, QKeyEvent& e);

} // namespace velt
