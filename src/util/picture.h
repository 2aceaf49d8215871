#pragma once
// Picture masks: how a value is written for display and what an edit field
// accepts. A picture is an optional function part and a mask:
//
//   "@ZE 99,999.99"   function part "@ZE" (up to the first blank), mask
//                     "99,999.99" (the rest, leading blanks removed)
//   "999"             no function part, mask "999"
//   "@!"              function part only
//
// Function letters: "!" upper case (text), "E" European numbers ("." between
// thousands, "," before decimals), "Z" blank when the value is zero, "9"
// digits only (text fields). Mask characters: "9" a digit, "A" a letter, "X"
// any character; in number masks "," is a thousands separator and "." the
// decimal point. Every other mask character is a literal (shown as it is and
// skipped by the cursor of an edit field).
//
// This file is the formatting half of the edit field (TGET): TRANSFORM writes
// a value with a picture, readNumber reads the field's text back, and the
// Picture queries tell the editor how to treat each position. Masks are
// handled per character (code point), so accented text lines up with them.
#include "util/value.h"

#include <string>
#include <string_view>

namespace velt {

class Picture {
public:
    Picture() = default;
    Picture(std::string_view picture);          // implicit: a picture is often a literal
    Picture(const char* picture) : Picture(std::string_view(picture)) {}
    Picture(const std::string& picture) : Picture(std::string_view(picture)) {}

    const std::string& text() const { return text_; }          // as given
    const std::string& functions() const { return functions_; } // letters after "@"
    const std::u32string& mask() const { return mask_; }
    std::string maskText() const;                               // mask as UTF-8
    bool empty() const { return functions_.empty() && mask_.empty(); }

    bool hasFunction(char letter) const { return functions_.find(letter) != std::string::npos; }
    bool upper() const { return hasFunction('!'); }
    bool european() const { return hasFunction('E'); }
    bool blankWhenZero() const { return hasFunction('Z'); }
    bool digitsOnly() const { return hasFunction('9'); }

    // Mask width in characters (0 without a mask).
    int width() const { return int(mask_.size()); }

    // Text and date masks: is position `pos` a literal (anything but 9, A, X)?
    // Positions past the mask are not literals.
    bool isLiteralAt(size_t pos) const;
    // The mask holds literals ("99/99/9999" does): the field edits in
    // overwrite mode and the cursor skips them. A mask made only of 9, A and
    // X keeps insert editing.
    bool hasLiterals() const;
    bool overwriteMode() const { return hasLiterals(); }
    // Mask character at `pos`, or 0 past the end.
    char32_t maskAt(size_t pos) const { return pos < mask_.size() ? mask_[pos] : 0; }

    // Number masks: "9" positions before the decimal point, "9" positions
    // after it. A number mask is a non-empty mask that holds a "9".
    bool isNumberMask() const;
    int integerDigits() const;
    int decimals() const;

    // The picture an edit field uses while it has the focus: every ","
    // removed (numbers are typed without thousands separators).
    Picture withoutCommas() const;
    // The same picture without one function letter ("Z" while editing, so a
    // zero shows as "0"). The "@" part disappears when it becomes empty.
    Picture withoutFunction(char letter) const;

private:
    void rebuildText();

    std::string text_;
    std::string functions_;
    std::u32string mask_;
};

// The value written with the picture:
//  - text: without a mask the text itself; with a mask one character per mask
//    position (literals in place, the value's character elsewhere, blanks
//    past its end, cut at the mask's width); "!" turns it to capitals;
//  - number: rounded (ROUND) to the mask's decimals and right-aligned in the
//    mask's width; positions left of the first digit are blank (a "," there
//    too); a minus sign stands just left of the first digit; "E" swaps the
//    separators; "Z" gives blanks of the full width when the rounded value is
//    zero; a value whose integer part (with its sign) does not fit is shown as
//    asterisks over the full width, so the text begins with "*". Without a
//    mask the number is in the default number format (below);
//  - date: the date format ("dd/mm/yy"; blanks with the slashes for the empty
//    date) whatever the mask;
//  - logical: "T" or "F";
//  - nothing: the empty text.
std::string TRANSFORM(const Value& value, const Picture& picture);

// The default number format: the integer part right-aligned in 10 positions,
// followed by "." and as many decimals as the value carries (none for a
// whole number); asterisks when the integer part needs more than 10 digits.
std::string defaultNumberText(double value, const Picture& picture = {});

// True when the text is the overflow form of TRANSFORM (asterisks).
inline bool isOverflowText(std::string_view text) { return !text.empty() && text.front() == '*'; }

// The edit field's reading of a number: every "," taken as ".", leading
// blanks skipped, an optional sign, digits and one decimal point; reading
// stops at the first character that cannot continue the number. An empty or
// unreadable text gives 0.
double readNumber(std::string_view text);

// The text limit of an edit field bound to `value` with `picture`: the length
// of the value written with the picture as given (8 for a date, 1 for a
// logical, the text's own length for a text).
int textLimit(const Value& value, const Picture& picture);

} // namespace velt
