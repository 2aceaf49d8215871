// EAN-13 shop codes (see ean13.h).
#include "articles/ean13.h"

namespace velt::articles {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string trimBlanks(const std::string& s)
{
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

} // namespace

std::string EAN13CHK(const std::string& code)
{
    int sum = 0;
    for (std::size_t i = 0; i < 12 && i < code.size(); ++i) {
        int d = isDigit(code[i]) ? code[i] - '0' : 0;
        sum += (i % 2 == 0) ? d : 3 * d;
    }
    return std::string(1, char('0' + (10 - sum % 10) % 10));
}

bool ISEAN13(const std::string& code)
{
    std::string t = trimBlanks(code);
    if (t.size() != 13) return false;
    // Letters would count as zeros in the check digit; a code with them is
    // not a barcode a scanner can read, so it is not a valid EAN-13.
    for (char c : t)
        if (!isDigit(c)) return false;
    return t[12] == EAN13CHK(t)[0];
}

std::string EAN13(const std::string& code)
{
    if (ISEAN13(code) || trimBlanks(code).size() < 12) return code;
    std::string head = code.substr(0, 12);
    return head + EAN13CHK(head);
}

bool PUTEAN13(std::string& value)
{
    auto e = value.find_last_not_of(' ');
    std::size_t len = (e == std::string::npos) ? 0 : e + 1;
    if (len < 12) return true;
    value = EAN13(value);
    return ISEAN13(value);
}

} // namespace velt::articles
