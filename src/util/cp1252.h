#pragma once
// Windows-1252 <-> UTF-8: the one place where the bytes stored in the tables
// meet the program's text. Program text is UTF-8 (std::string); the data layer
// stores Windows-1252. Characters Windows-1252 cannot hold become '?'.
#include <string>
#include <string_view>

namespace velt {

std::string cp1252ToUtf8(std::string_view bytes);
std::string utf8ToCp1252(std::string_view utf8);
// Number of characters of a UTF-8 text (what a field of width n can hold n of).
size_t utf8Length(std::string_view utf8);
// Code points of a UTF-8 text (malformed bytes read as Windows-1252), and back:
// what character-by-character work (picture masks, case) walks over.
std::u32string utf8ToCodePoints(std::string_view utf8);
std::string codePointsToUtf8(std::u32string_view cps);

} // namespace velt
