#include "util/numfmt.h"

#include "util/picture.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velt {

int integerWidth(int fieldWidth, int fieldDecimals)
{
    int w = fieldDecimals == 0 ? fieldWidth : fieldWidth - fieldDecimals - 1;
    return w == 20 ? kComputedIntegerWidth : w;
}

int enstrWidth(int intWidth) { return intWidth == kComputedIntegerWidth ? kComputedIntegerWidth : intWidth + 2; }

std::string groupedNines(int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) s += ',';
        s += '9';
    }
    return s;
}

namespace {
std::string integerPicture(const char* functions, int digits)
{
    return std::string(functions) + " " + groupedNines(digits < 1 ? 1 : digits);
}
std::string decimalPicture(const char* functions, int width)
{
    return std::string(functions) + " " + groupedNines(width < 3 ? 1 : width - 2) + ".99";
}
} // namespace

std::string NSTR(double n, int digits) { return TRANSFORM(n, integerPicture("@E", digits)); }
std::string ZSTR(double n, int digits) { return TRANSFORM(n, integerPicture("@ZE", digits)); }
std::string ENSTR(double n, int width) { return TRANSFORM(n, decimalPicture("@E", width)); }
std::string EZSTR(double n, int width) { return TRANSFORM(n, decimalPicture("@ZE", width)); }

std::string plainNumber(double n)
{
    if (!std::isfinite(n)) return std::isnan(n) ? "NAN" : (n > 0 ? "INF" : "-INF");
    if (n == 0.0) return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(n), std::chars_format::scientific, 14);
    std::string s(buf, res.ptr); // d.dddddddddddddde[+-]XX
    size_t e = s.find('e');
    int exp10 = std::atoi(s.c_str() + e + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    int pointAt = exp10 + 1; // digits before the decimal point
    if (pointAt <= 0) {
        out = "0." + std::string(size_t(-pointAt), '0') + digits;
    } else if (pointAt >= int(digits.size())) {
        out = digits + std::string(size_t(pointAt - int(digits.size())), '0');
    } else {
        out = digits.substr(0, size_t(pointAt)) + "." + digits.substr(size_t(pointAt));
    }
    return n < 0 ? "-" + out : out;
}

} // namespace velt
