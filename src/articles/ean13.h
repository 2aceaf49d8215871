// Shop codes in EAN-13 form: the check digit, the validity test and the
// completion of a typed code. A shop code of 12 or 13 characters is always
// kept as a valid EAN-13; shorter codes are the shop's free internal codes.
// Plain functions on UTF-8 strings (shop codes are ASCII digits); no Qt.
#pragma once

#include <string>

namespace velt::articles {

// The EAN-13 check digit ("0".."9") of the first 12 characters; a character
// that is not a digit, or is missing, counts as 0.
std::string EAN13CHK(const std::string& code);

// True when, without leading and trailing blanks, exactly 13 digits remain
// and the last is the check digit of the first 12.
bool ISEAN13(const std::string& code);

// The code completed to EAN-13: unchanged when valid or when fewer than 12
// characters remain without blanks; otherwise its first 12 characters
// (blanks included) followed by their check digit.
std::string EAN13(const std::string& code);

// The completion done when the user leaves a shop-code field: a value shorter
// than 12 characters (trailing blanks aside) is accepted unchanged; a longer
// one is replaced by EAN13 of it and accepted only if that is a valid EAN-13.
bool PUTEAN13(std::string& value);

} // namespace velt::articles
