#pragma once
// The picture-mask editor behind every edit field (TGET): what a typed
// character, Backspace, Delete, the clipboard and undo do to the field's text,
// given the picture and the type of the bound variable. Plain C++ without Qt,
// so every rule can be driven and checked without a widget; TGET owns the
// widget and copies its state in and out around each call (see below).
//
// State: the text, the cursor and the selection (positions count characters),
// the picture in effect (while the field has the focus: the picture without
// its ","), the kind of value (text, number, date, logical), the text limit
// (0 = none) and the read-only and password switches.
//
// Kinds of editing:
//  - text and date fields whose mask holds literals ("99/99/9999") edit in
//    overwrite mode: the text keeps its length, Backspace and Delete put
//    blanks back, the cursor skips the literals;
//  - other text fields insert normally, filtered by "!" (capitals), "9"
//    (digits only) and the mask character at the cursor ("9" digit, "A"
//    letter, "X" anything);
//  - number fields take digits, one decimal comma ("." is taken as ",") and
//    a minus sign at the start while LMINUS allows it;
//  - logical fields hold one character, "T" or "F".
//
// How TGET calls the editor (TGET keeps one MaskEditor per field):
//
//   REDEFINE / class init:  ed.bind(VARGET(), picture, readOnly, password);
//                           le->setText(QString::fromStdString(ed.text()));
//   Getting the focus:      ed.beginEdit();               // picture without ",", LMINUS
//                           <common focus handling, BGOTFOCUS>
//                           ed.show(VARGET()); ed.selectAll(); copyOut();
//   Losing the focus:       copyIn(); VARPUT(ed.value(VARGET()));
//                           <BLOSTFOCUS>
//                           ed.endEdit(); ed.show(VARGET()); copyOut();
//   REFRESH:                copyIn(); ed.show(VARGET()); copyOut();
//   GETTEXT:                copyIn(); return ed.text();
//   Confirm check:          copyIn(); return ed.confirmFailure(VARGET());
//
//   Key handling (QLineEdit key press, after BKEYDOWN):
//     copyIn();   // ed.setState(text, cursor, selection start, selection length)
//     Key_Delete            -> r = ed.del();
//     Ctrl + C / V / X / Z  -> r = ed.ctrlChar(letter, clipboard text);
//                              if (r.copyText) put *r.copyText on the clipboard;
//     any other Ctrl+letter -> refused (r = {})
//     a character ch (Backspace is "\b"):
//        if (MaskEditor::minusRefused(ch)) refuse;   // before BKEYCHAR
//        run BKEYCHAR; r = ed.typeChar(ch);
//     Tab / Enter / Esc / arrows / Home / End: the dialog's own handling.
//     copyOut();  // le->setText(ed.text()); cursor and selection as the editor says
//     if (r.changed) run BCHANGE(ch or nothing, flags, field);
//     the key is consumed (QLineEdit must not insert it itself); when
//     !r.accepted the field may beep.
//   The widget's own context menu, drag and drop and input method would
//   bypass these rules: TGET turns them off (or routes the menu's Cut, Paste,
//   Delete and Undo to cut(), paste(), clear() and undo()). The editor
//   enforces the text limit itself: the QLineEdit keeps its default maximum.
//
// Positions are counted in characters. Qt counts UTF-16 units, which is the
// same for every character the tables can hold (Windows-1252 is all BMP).
#include "util/picture.h"
#include "util/value.h"

#include <optional>
#include <string>
#include <string_view>

namespace velt {

struct EditResult {
    bool accepted = false;            // the key did what it asks for
    bool changed = false;             // the text changed: BCHANGE must run
    std::optional<std::string> copyText; // text to put on the clipboard (copy, cut)
};

class MaskEditor {
public:
    enum class Kind { Text, Number, Date, Logical };

    // The minus-sign switch shared by all edit fields (TGET():LMINUS): when
    // false the minus sign is refused. Initially true; a number field turns
    // it off while it has the focus unless its got-focus callback turns it on.
    static bool LMINUS;
    // A minus sign while LMINUS is false is refused before anything else runs.
    static bool minusRefused(char32_t ch) { return ch == U'-' && !LMINUS; }

    static Kind kindOf(const Value& v); // nothing counts as text

    // ---- binding and focus ---------------------------------------------
    // Binds the editor to a variable: kind from the value, text limit from the
    // value and the picture as given (a date field with no mask gets
    // "99/99/9999"), and shows the value.
    void bind(const Value& value, const Picture& picture, bool readOnly = false, bool password = false);
    // Getting the focus: the picture loses its "," for the time of editing; a
    // number field turns LMINUS off.
    void beginEdit();
    // Losing the focus: the picture as given again; a number field turns
    // LMINUS back on.
    void endEdit();
    bool editing() const { return editing_; }

    // Redisplay from the variable: the value written with the picture in
    // effect; a text with a mask without literals loses its trailing blanks;
    // a date field keeps a text that is not a valid date; a number field
    // keeps what was typed when the value is too large for the picture, shows
    // 0 for zero while editing (no "Z") and loses leading and trailing blanks.
    // Cursor at the end, no selection, undo forgotten.
    void show(const Value& value);
    // The display text for `value` given the text the field holds now (the
    // first step of show(), without changing anything).
    std::string displayText(const Value& value) const;
    void selectAll();

    // The field's text turned into a value of the variable's type: text padded
    // with blanks to the variable's length; date read as dd/mm/yy (the empty
    // date when it is not a date); number read with "," as "."; logical true
    // for "T".
    Value value(const Value& variable) const;
    // The confirm check of the field: "Data non valida." for a date text that
    // is not blank (slashes aside) and not a date, "Numero troppo grande."
    // when the number does not fit the picture as given.
    std::optional<std::string> confirmFailure(const Value& variable) const;

    // ---- state ---------------------------------------------------------
    // Copies the widget's state in (the user may have moved the cursor or
    // selected with the mouse). Positions are clamped to the text.
    void setState(std::string_view text, size_t cursor, size_t selStart = 0, size_t selLength = 0);
    std::string text() const;
    size_t cursor() const { return cursor_; }
    size_t selectionStart() const { return selLength_ ? selStart_ : cursor_; }
    size_t selectionLength() const { return selLength_; }
    std::string selectedText() const;

    Kind kind() const { return kind_; }
    const Picture& picture() const { return editing_ ? editPicture_ : picture_; } // in effect
    const Picture& givenPicture() const { return picture_; }
    int limit() const { return limit_; }
    void setLimit(int limit) { limit_ = limit < 0 ? 0 : limit; }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on) { readOnly_ = on; }
    // Overwrite editing (text and date fields whose mask holds literals).
    bool overwrite() const;

    // ---- editing -------------------------------------------------------
    // A typed character (Backspace is U'\b'). Tab, Enter, Esc and other
    // control characters are refused.
    EditResult typeChar(char32_t ch);
    EditResult backspace();
    // The Delete key.
    EditResult del();
    // Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z (letter in either case): copy, paste
    // `clipboard`, cut, undo. Any other letter is refused.
    EditResult ctrlChar(char letter, std::string_view clipboard = {});
    EditResult copy() const;
    // Paste, cut and clear are refused in fields that are not text fields, in
    // masks with literals and in read-only fields. A paste takes the first
    // line of the clipboard, turned to capitals with "!", as much as the text
    // limit leaves room for; it is refused when a character does not suit its
    // mask position.
    EditResult paste(std::string_view clipboard);
    EditResult cut();
    EditResult clear();
    // Back to the text before the last change (a run of typed characters is
    // one change); a second undo redoes it.
    EditResult undo();

private:
    struct Snapshot {
        std::u32string text;
        size_t cursor = 0, selStart = 0, selLength = 0;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    Snapshot snapshot() const { return {text_, cursor_, selStart_, selLength_}; }
    void restore(const Snapshot& s);
    // After an operation: when the text changed, keeps the undo step (a run
    // of typed characters shares one) and returns true.
    bool commit(const Snapshot& before, bool typing);
    bool clipboardRefused() const;
    bool accepts(char32_t ch, size_t pos) const; // mask / "9" filter at pos
    char32_t blankAt(size_t pos) const;          // literal or blank
    size_t skipLiteralsForward(size_t pos) const;
    bool hasSelection() const { return selLength_ > 0; }
    void deleteSelection();
    void blankSelection();
    bool fits(size_t added) const;               // text limit after removing the selection
    void setCursor(size_t pos) { cursor_ = pos; selStart_ = pos; selLength_ = 0; }

    EditResult typeText(char32_t ch);
    EditResult typeNumber(char32_t ch);
    EditResult typeLogical(char32_t ch);

    std::u32string text_;
    size_t cursor_ = 0, selStart_ = 0, selLength_ = 0;
    Picture picture_, editPicture_;
    Kind kind_ = Kind::Text;
    int limit_ = 0;
    bool readOnly_ = false, password_ = false, editing_ = false;

    std::optional<Snapshot> undo_;
    bool typingRun_ = false;
    Snapshot afterLastChange_;
};

} // namespace velt
