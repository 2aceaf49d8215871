#pragma once
// Number texts in the Italian style, fixed width and right-aligned: "."
// between thousands, "," before decimals, rounded to the decimals shown.
//
//   NSTR(n, digits)   "@E "  + digits nines grouped by three, no decimals
//   ZSTR(n, digits)   "@ZE " + the same: blanks when n is zero
//   ENSTR(n, width)   "@E "  + (width - 2) nines grouped by three + ".99"
//   EZSTR(n, width)   "@ZE " + the same
//
// The default argument follows the value's integer width: 10 for a value the
// program computed. For a value read from a table field pass the field's
// integer width, integerWidth(w, d), to NSTR/ZSTR and enstrWidth() of it to
// ENSTR/EZSTR. A value too large for the picture gives asterisks.
#include <string>

namespace velt {

// Integer width of values computed by the program.
inline constexpr int kComputedIntegerWidth = 10;

// Positions of the integer part of a table field N(w, d): w - d - 1, or w
// when d is 0; a width of 20 (very large values) is taken as 10.
int integerWidth(int fieldWidth, int fieldDecimals);

// ENSTR's default width for a value of integer width `intWidth`: 10 when it
// is 10, else intWidth + 2.
int enstrWidth(int intWidth);

// `count` nines written as that number would be with thousands commas:
// 3 -> "999", 6 -> "999,999", 10 -> "9,999,999,999".
std::string groupedNines(int count);

// Digits below 1 are taken as 1, and widths below 3 as 3 (one integer digit
// and two decimals), so a picture always has a digit before its decimals.
std::string NSTR(double n, int digits = kComputedIntegerWidth);
std::string ZSTR(double n, int digits = kComputedIntegerWidth);
std::string ENSTR(double n, int width = enstrWidth(kComputedIntegerWidth));
std::string EZSTR(double n, int width = enstrWidth(kComputedIntegerWidth));

// The number in plain decimal notation, "." before the decimals, as many
// decimals as the value carries and no blanks: 12.5 -> "12.5", 0.1 + 0.2 ->
// "0.3", 1234 -> "1234", -0.0 -> "0". The value is read to 15 significant
// digits, which is what a double holds exactly, so binary noise never shows.
std::string plainNumber(double n);

} // namespace velt
