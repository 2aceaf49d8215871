#include "util/numround.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace velt {

double ROUND(double value, int decimals)
{
    if (!std::isfinite(value) || value == 0.0) return value;
    if (decimals < 0) decimals = 0;
    // 15 significant digits are what a double holds exactly in decimal: the
    // text at that precision is the value the user typed or the sum meant,
    // without the binary tail (1.005 is stored as 1.00499999999999989...).
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    std::string s(buf, res.ptr);                 // d.dddddddddddddde[+-]XX
    auto epos = s.find('e');
    int exp10 = std::atoi(s.c_str() + epos + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, epos - 2); // 15 digits
    int keep = exp10 + 1 + decimals;             // digits left of the cut
    if (keep >= int(digits.size())) return value;
    if (keep < 0) return 0.0 * value;
    bool up = digits[keep] >= '5';
    std::string kept = digits.substr(0, keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i < 0) kept.insert(kept.begin(), '1');
        else ++kept[i];
    }
    if (kept.empty()) return 0.0 * value;
    std::string out = kept + "e" + std::to_string(exp10 + 1 - keep);
    double r = std::strtod(out.c_str(), nullptr);
    return value < 0 ? -r : r;
}

double DIV(double a, double b)
{
    if (b == 0.0) return 0.0;
    return a / b;
}

} // namespace velt
