#include "ui/maskedit.h"

#include "util/cp1252.h"
#include "util/strfmt.h"

#include <algorithm>

namespace velt {

bool MaskEditor::LMINUS = true;

namespace {

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// ASCII letters and the accented letters Windows-1252 can hold.
bool isLetter(char32_t c)
{
    if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z')) return true;
    return c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7;
}

bool isDecimalMark(char32_t c) { return c == U',' || c == U'.'; }

std::string trimmed(std::string_view s) { return std::string(ALLTRIM(s)); }

} // namespace

MaskEditor::Kind MaskEditor::kindOf(const Value& v)
{
    switch (v.type()) {
    case ValueType::Number: return Kind::Number;
    case ValueType::Date: return Kind::Date;
    case ValueType::Logical: return Kind::Logical;
    default: return Kind::Text;
    }
}

// ---- binding and focus -------------------------------------------------

void MaskEditor::bind(const Value& value, const Picture& picture, bool readOnly, bool password)
{
    kind_ = kindOf(value);
    picture_ = kind_ == Kind::Date && picture.empty() ? Picture("99/99/9999") : picture;
    editPicture_ = picture_.withoutCommas();
    setLimit(textLimit(value, picture_));
    readOnly_ = readOnly;
    password_ = password;
    editing_ = false;
    text_.clear();
    show(value);
}

void MaskEditor::beginEdit()
{
    editPicture_ = picture_.withoutCommas();
    editing_ = true;
    if (kind_ == Kind::Number) LMINUS = false;
}

void MaskEditor::endEdit()
{
    editing_ = false;
    if (kind_ == Kind::Number) LMINUS = true;
}

std::string MaskEditor::displayText(const Value& value) const
{
    const Picture& pic = picture();
    std::string t = TRANSFORM(value, pic);
    switch (kindOf(value)) {
    case Kind::Text:
        if (!pic.hasLiterals()) t = std::string(RTRIM(t));
        break;
    case Kind::Date: {
        // What the user typed stays while it is not a date; the variable then
        // holds the empty date. A date set in code is shown all the same.
        bool ok = true;
        Date::fromText(text(), &ok);
        if (!ok && value.date().isEmpty()) t = text();
        break;
    }
    case Kind::Number:
        if (isOverflowText(t)) {
            // Too large for the picture: keep the typed digits when they are
            // the value, so the user sees what the confirm check complains of.
            if (!text_.empty() && readNumber(text()) == value.number()) t = text();
        } else if (editing_) {
            t = TRANSFORM(value, pic.withoutFunction('Z'));
        }
        t = trimmed(t);
        break;
    case Kind::Logical: break;
    }
    return t;
}

void MaskEditor::show(const Value& value)
{
    kind_ = kindOf(value);
    text_ = utf8ToCodePoints(displayText(value));
    setCursor(text_.size());
    undo_.reset();
    typingRun_ = false;
}

void MaskEditor::selectAll()
{
    selStart_ = 0;
    selLength_ = text_.size();
    cursor_ = text_.size();
}

Value MaskEditor::value(const Value& variable) const
{
    const std::string t = text();
    switch (kindOf(variable)) {
    case Kind::Text: {
        // Padded to the variable's length; never cut (a variable of length 0
        // leaves the field without a limit).
        size_t len = utf8Length(variable.text());
        return utf8Length(t) < len ? PADR(t, len) : t;
    }
    case Kind::Date: return Date::fromText(t);
    case Kind::Number: return readNumber(t);
    case Kind::Logical: return t == "T";
    }
    return Value();
}

std::optional<std::string> MaskEditor::confirmFailure(const Value& variable) const
{
    switch (kindOf(variable)) {
    case Kind::Date: {
        std::string digits;
        for (char c : text())
            if (c != '/') digits += c;
        bool ok = true;
        Date::fromText(text(), &ok);
        if (!ALLTRIM(digits).empty() && !ok) return "Data non valida.";
        break;
    }
    case Kind::Number:
        if (isOverflowText(TRANSFORM(variable, picture_))) return "Numero troppo grande.";
        break;
    default: break;
    }
    return std::nullopt;
}

// ---- state -------------------------------------------------------------

void MaskEditor::setState(std::string_view text, size_t cursor, size_t selStart, size_t selLength)
{
    text_ = utf8ToCodePoints(text);
    const size_t n = text_.size();
    cursor_ = std::min(cursor, n);
    selStart_ = std::min(selStart, n);
    selLength_ = std::min(selLength, n - selStart_);
    if (!selLength_) selStart_ = cursor_;
}

std::string MaskEditor::text() const { return codePointsToUtf8(text_); }

std::string MaskEditor::selectedText() const
{
    return codePointsToUtf8(std::u32string_view(text_).substr(selStart_, selLength_));
}

bool MaskEditor::overwrite() const
{
    return (kind_ == Kind::Text || kind_ == Kind::Date) && picture().hasLiterals();
}

void MaskEditor::restore(const Snapshot& s)
{
    text_ = s.text;
    cursor_ = s.cursor;
    selStart_ = s.selStart;
    selLength_ = s.selLength;
}

bool MaskEditor::commit(const Snapshot& before, bool typing)
{
    if (text_ == before.text) return false;
    // A typed character continues the undo step of the characters typed just
    // before it, unless the cursor or the text moved in between.
    if (!(typing && typingRun_ && undo_ && before == afterLastChange_)) undo_ = before;
    typingRun_ = typing;
    afterLastChange_ = snapshot();
    return true;
}

// ---- helpers -----------------------------------------------------------

bool MaskEditor::clipboardRefused() const
{
    return kind_ != Kind::Text || picture().hasLiterals() || readOnly_;
}

bool MaskEditor::accepts(char32_t ch, size_t pos) const
{
    const Picture& pic = picture();
    const char32_t m = pic.maskAt(pos);
    if ((pic.digitsOnly() || m == U'9') && !isDigit(ch)) return false;
    if (m == U'A' && !isLetter(ch)) return false;
    return true;
}

char32_t MaskEditor::blankAt(size_t pos) const
{
    return picture().isLiteralAt(pos) ? picture().maskAt(pos) : U' ';
}

size_t MaskEditor::skipLiteralsForward(size_t pos) const
{
    while (pos < text_.size() && picture().isLiteralAt(pos)) ++pos;
    return pos;
}

void MaskEditor::deleteSelection()
{
    if (!hasSelection()) return;
    const size_t at = selStart_;
    text_.erase(at, selLength_);
    setCursor(at);
}

void MaskEditor::blankSelection()
{
    if (!hasSelection()) return;
    const size_t at = selStart_;
    for (size_t i = at; i < at + selLength_ && i < text_.size(); ++i) text_[i] = blankAt(i);
    setCursor(at);
}

bool MaskEditor::fits(size_t added) const
{
    return limit_ == 0 || text_.size() - selLength_ + added <= size_t(limit_);
}

// ---- typing ------------------------------------------------------------

EditResult MaskEditor::typeChar(char32_t ch)
{
    if (ch == U'\b') return backspace();
    if (minusRefused(ch)) return {};
    // Tab, Enter and Esc act through the dialog's key handling; no other
    // control character belongs in a field.
    if (readOnly_ || ch < 0x20 || ch == 0x7F) return {};

    const Snapshot before = snapshot();
    EditResult r;
    switch (kind_) {
    case Kind::Text:
    case Kind::Date: r = typeText(ch); break;
    case Kind::Number: r = typeNumber(ch); break;
    case Kind::Logical: r = typeLogical(ch); break;
    }
    // A refused letter may still have deleted the selection of a number.
    if (commit(before, true) || r.accepted) r.changed = true;
    return r;
}

EditResult MaskEditor::typeText(char32_t ch)
{
    const Picture& pic = picture();
    if (pic.upper()) ch = upperChar(ch);
    EditResult ok;
    ok.accepted = true;

    if (overwrite()) {
        // The character lands on the first position that is not a literal,
        // from the start of the selection or the cursor; it must suit the
        // mask there (a letter is never put into a digit position).
        size_t at = hasSelection() ? selStart_ : cursor_;
        while (at < size_t(pic.width()) && pic.isLiteralAt(at)) ++at;
        if (!accepts(ch, at)) return {};
        const bool append = at >= text_.size();
        if (append && limit_ && at + 1 > size_t(limit_)) return {};
        blankSelection();
        while (text_.size() < at) text_ += blankAt(text_.size());
        if (append) text_ += ch;
        else text_[at] = ch;
        setCursor(skipLiteralsForward(at + 1));
        return ok;
    }

    const size_t at = hasSelection() ? selStart_ : cursor_;
    if (pic.mask().empty() ? pic.digitsOnly() && !isDigit(ch) : !accepts(ch, at)) return {};
    if (!fits(1)) return {};
    deleteSelection();
    text_.insert(cursor_, 1, ch);
    setCursor(cursor_ + 1);
    return ok;
}

EditResult MaskEditor::typeNumber(char32_t ch)
{
    if (ch == U'.') ch = U',';
    if (ch == U'-') {
        // Refused unless it becomes the only minus, at the start; a refused
        // minus leaves the text and the selection as they were.
        const size_t at = hasSelection() ? selStart_ : cursor_;
        std::u32string rest = text_;
        rest.erase(at, selLength_);
        if (!LMINUS || at != 0 || rest.find(U'-') != std::u32string::npos || !fits(1)) return {};
    }
    // Any other character deletes the selection first, even when it is then
    // refused: typing a letter over the selected number empties the field.
    deleteSelection();
    if (ch != U'-') {
        if (ch == U',') {
            // One decimal mark: the "." a non-European picture shows counts.
            if (std::any_of(text_.begin(), text_.end(), isDecimalMark)) return {};
        } else if (!isDigit(ch)) {
            return {};
        }
        // Nothing goes in front of the sign ("3-5" would read as 3).
        if (cursor_ == 0 && !text_.empty() && text_.front() == U'-') return {};
    }
    if (!fits(1)) return {};
    text_.insert(cursor_, 1, ch);
    setCursor(cursor_ + 1);
    EditResult ok;
    ok.accepted = true;
    return ok;
}

EditResult MaskEditor::typeLogical(char32_t ch)
{
    ch = upperChar(ch);
    if (ch != U'T' && ch != U'F') return {};
    // At the end of the one-character text nothing more goes in.
    if (!hasSelection() && !text_.empty() && cursor_ >= text_.size()) return {};
    deleteSelection();
    if (cursor_ < text_.size()) text_[cursor_] = ch;
    else text_.insert(cursor_, 1, ch);
    setCursor(cursor_ + 1);
    EditResult ok;
    ok.accepted = true;
    return ok;
}

// ---- Backspace, Delete ---------------------------------------------------

EditResult MaskEditor::backspace()
{
    if (readOnly_) return {};
    const Snapshot before = snapshot();
    if (overwrite()) {
        if (hasSelection()) {
            // The selection goes back to blanks (literals kept); nothing
            // before it is touched.
            blankSelection();
        } else {
            size_t pos = cursor_;
            while (pos > 0 && picture().isLiteralAt(pos - 1)) --pos;
            if (pos > 0) {
                text_[pos - 1] = blankAt(pos - 1);
                setCursor(pos - 1);
            }
        }
    } else if (hasSelection()) {
        deleteSelection();
    } else if (cursor_ > 0) {
        text_.erase(cursor_ - 1, 1);
        setCursor(cursor_ - 1);
    }
    EditResult r;
    r.accepted = true;
    r.changed = commit(before, false);
    return r;
}

EditResult MaskEditor::del()
{
    if (readOnly_) return {};
    const Snapshot before = snapshot();
    if (overwrite()) {
        blankSelection(); // without a selection Delete does nothing here
    } else if (hasSelection()) {
        deleteSelection();
    } else if (cursor_ < text_.size()) {
        text_.erase(cursor_, 1);
    }
    EditResult r;
    r.accepted = true;
    r.changed = commit(before, false);
    return r;
}

// ---- clipboard and undo ------------------------------------------------

EditResult MaskEditor::ctrlChar(char letter, std::string_view clipboard)
{
    switch (letter) {
    case 'c': case 'C': return copy();
    case 'v': case 'V': return paste(clipboard);
    case 'x': case 'X': return cut();
    case 'z': case 'Z': return undo();
    default: return {};
    }
}

EditResult MaskEditor::copy() const
{
    EditResult r;
    if (password_ || !hasSelection()) return r; // a password never leaves the field
    r.accepted = true;
    r.copyText = selectedText();
    return r;
}

EditResult MaskEditor::paste(std::string_view clipboard)
{
    if (clipboardRefused()) return {};
    std::u32string in = utf8ToCodePoints(clipboard);
    // A single-line field takes the first line; other control characters are
    // dropped.
    in = in.substr(0, in.find_first_of(U"\r\n"));
    std::u32string add;
    for (char32_t c : in)
        if (c >= 0x20 && c != 0x7F) add += picture().upper() ? upperChar(c) : c;
    const size_t at = hasSelection() ? selStart_ : cursor_;
    if (limit_) {
        const size_t kept = text_.size() - selLength_;
        const size_t room = kept >= size_t(limit_) ? 0 : size_t(limit_) - kept;
        if (add.size() > room) add.resize(room);
    }
    for (size_t i = 0; i < add.size(); ++i) {
        const bool ok = picture().mask().empty() ? !picture().digitsOnly() || isDigit(add[i]) : accepts(add[i], at + i);
        if (!ok) return {};
    }
    const Snapshot before = snapshot();
    deleteSelection();
    text_.insert(cursor_, add);
    setCursor(cursor_ + add.size());
    EditResult r;
    r.accepted = true;
    r.changed = commit(before, false);
    return r;
}

EditResult MaskEditor::cut()
{
    if (clipboardRefused() || password_ || !hasSelection()) return {};
    const std::string taken = selectedText();
    EditResult r = clear();
    r.copyText = taken;
    return r;
}

EditResult MaskEditor::clear()
{
    if (clipboardRefused() || !hasSelection()) return {};
    const Snapshot before = snapshot();
    deleteSelection();
    EditResult r;
    r.accepted = true;
    r.changed = commit(before, false);
    return r;
}

EditResult MaskEditor::undo()
{
    if (readOnly_ || !undo_) return {};
    const Snapshot now = snapshot();
    restore(*undo_);
    undo_ = now;
    typingRun_ = false;
    afterLastChange_ = snapshot();
    EditResult r;
    r.accepted = true;
    r.changed = text_ != now.text;
    return r;
}

} // namespace velt
