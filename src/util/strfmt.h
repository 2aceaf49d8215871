#pragma once
// Text helpers shared by forms, reports and the toolkit: values written as
// text, filter literals, the Italian weekday, digit checks, file-name parts,
// case and blank trimming. Plain functions of their arguments; all texts are
// UTF-8 and lengths count characters, not bytes.
#include "util/date.h"
#include "util/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

// A display text for a value: the text itself; the date in the date format
// (blanks with the slashes for the empty date); ".T." or ".F."; a number in
// plain decimal notation (plainNumber: 12.5 -> "12.5"); "NIL" for nothing.
// The configuration file stores its values with this text.
std::string CVALTOCHAR(const Value& value);
// A list: the texts of its elements joined by line breaks (CR LF, the
// program's line break); over 1000 characters, the first 1000 + " ... }".
std::string CVALTOCHAR(const std::vector<Value>& list);

// The value as a literal of the table layer's filter expressions. Empty
// values (empty or blank text, zero, empty date, nothing) give "" (two double
// quotes). Text is enclosed in double quotes, and each double quote inside it
// becomes the bracketed literal ["] joined with " + " (AB"C gives
// "AB" + ["] + "C"). A date gives CTOD( "dd/mm/yy" ), a number its
// CVALTOCHAR text, a logical .T. or .F.
std::string MKSTR(const Value& value);

// Replaces the accented letters of the old DOS code page, left as single
// bytes in a text (133, 138, 130, 141, 149, 151), by "à", "è", "é", "ì",
// "ò", "ù". Well-formed UTF-8 characters are kept as they are, even when one
// of their bytes has one of those values.
std::string O2A(std::string_view text);

// The Italian weekday name ("Domenica", "Lunedì", ... "Sabato"); the empty
// text for the empty date.
std::string CDAY(Date date);

// True when the text is not empty and every character of it is a digit.
bool ISNUMBER(std::string_view text);

// The text after the last "." with blanks trimmed, or "" without a ".".
// Path separators are not looked at.
std::string CFILEEXT(std::string_view name);
// The part after the last path separator ("\" or "/") with blanks trimmed,
// then the part before its last "." (the whole part when it has none).
std::string CFILENOEXT(std::string_view name);

// The first argument that is not nothing, or nothing.
inline Value IFNIL() { return Value(); }
template <typename First, typename... Rest>
Value IFNIL(const First& first, const Rest&... rest)
{
    Value v(first);
    if (!v.isNil()) return v;
    return IFNIL(rest...);
}

// Capitals: ASCII letters and the accented letters of Windows-1252
// ("àèéìòù" -> "ÀÈÉÌÒÙ"); everything else is kept.
std::string UPPER(std::string_view text);
char32_t upperChar(char32_t c);

// Blank trimming (blanks only, as the tables pad with blanks).
std::string_view LTRIM(std::string_view text);
std::string_view RTRIM(std::string_view text);
std::string_view ALLTRIM(std::string_view text);

// Padding or cutting to `length` characters: PADR adds blanks at the right,
// PADL at the left; a longer text is cut at its right end.
std::string PADR(std::string_view text, size_t length);
std::string PADL(std::string_view text, size_t length);

} // namespace velt
