#include "util/picture.h"

#include "util/cp1252.h"
#include "util/numfmt.h"
#include "util/numround.h"
#include "util/strfmt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velt {

Picture::Picture(std::string_view picture) : text_(picture)
{
    std::string_view rest = picture;
    if (!rest.empty() && rest.front() == '@') {
        size_t blank = rest.find(' ');
        functions_ = std::string(rest.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank);
    }
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    mask_ = utf8ToCodePoints(rest);
    // Function letters are case-insensitive ("@e" is "@E").
    for (char& c : functions_)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
}

std::string Picture::maskText() const { return codePointsToUtf8(mask_); }

bool Picture::isLiteralAt(size_t pos) const
{
    if (pos >= mask_.size()) return false;
    char32_t c = mask_[pos];
    return c != U'9' && c != U'A' && c != U'X';
}

bool Picture::hasLiterals() const
{
    for (size_t i = 0; i < mask_.size(); ++i)
        if (isLiteralAt(i)) return true;
    return false;
}

bool Picture::isNumberMask() const { return mask_.find(U'9') != std::u32string::npos; }

int Picture::integerDigits() const
{
    int n = 0;
    for (char32_t c : mask_) {
        if (c == U'.') break;
        if (c == U'9') ++n;
    }
    return n;
}

int Picture::decimals() const
{
    size_t dot = mask_.find(U'.');
    if (dot == std::u32string::npos) return 0;
    int n = 0;
    for (size_t i = dot + 1; i < mask_.size(); ++i)
        if (mask_[i] == U'9') ++n;
    return n;
}

void Picture::rebuildText()
{
    std::string m = maskText();
    if (functions_.empty()) text_ = m;
    else text_ = "@" + functions_ + (m.empty() ? "" : " " + m);
}

Picture Picture::withoutCommas() const
{
    Picture p = *this;
    std::u32string m;
    for (char32_t c : mask_)
        if (c != U',') m += c;
    p.mask_ = m;
    p.rebuildText();
    return p;
}

Picture Picture::withoutFunction(char letter) const
{
    Picture p = *this;
    std::string f;
    for (char c : functions_)
        if (c != letter) f += c;
    p.functions_ = f;
    p.rebuildText();
    return p;
}

namespace {

std::string stars(size_t n) { return std::string(n, '*'); }

// Integer and fraction digits of a non-negative value already rounded to
// `decimals` (so printing at that precision shows the decimal value exactly).
void splitDigits(double a, int decimals, std::string& whole, std::string& frac)
{
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, a);
    std::string s(buf);
    size_t dot = s.find('.');
    whole = s.substr(0, dot);
    frac = dot == std::string::npos ? std::string() : s.substr(dot + 1);
}

std::string formatNumber(double value, const std::u32string& mask, const Picture& pic)
{
    const int decimals = [&] {
        size_t dot = mask.find(U'.');
        int n = 0;
        if (dot != std::u32string::npos)
            for (size_t i = dot + 1; i < mask.size(); ++i)
                if (mask[i] == U'9') ++n;
        return n;
    }();
    const size_t width = mask.size();
    if (!std::isfinite(value)) return stars(width);
    double v = ROUND(value, decimals);
    if (v == 0.0) {
        if (pic.blankWhenZero()) return std::string(width, ' ');
        v = 0.0; // no "-0"
    }
    const bool negative = v < 0;
    std::string whole, frac;
    splitDigits(std::fabs(v), decimals, whole, frac);

    const size_t dot = mask.find(U'.');
    const size_t intEnd = dot == std::u32string::npos ? width : dot;
    int intPositions = 0;
    for (size_t i = 0; i < intEnd; ++i)
        if (mask[i] == U'9') ++intPositions;
    if (whole == "0" && intPositions == 0) whole.clear(); // ".99" shows ".50"
    if (int(whole.size()) > intPositions) return stars(width);

    const char32_t thousands = pic.european() ? U'.' : U',';
    const char32_t point = pic.european() ? U',' : U'.';
    std::u32string out(width, U' ');
    std::vector<bool> blankSlot(width, false); // leading positions a sign may take

    // Integer part, right to left.
    int left = int(whole.size());
    int firstDigit = int(intEnd);
    for (int i = int(intEnd) - 1; i >= 0; --i) {
        char32_t m = mask[i];
        if (m == U'9') {
            if (left > 0) { out[i] = char32_t(whole[--left]); firstDigit = i; }
            else blankSlot[i] = true;
        } else if (m == U',') {
            if (left > 0) out[i] = thousands;
            else blankSlot[i] = true;
        } else {
            out[i] = m;
        }
    }
    // Decimal part, left to right.
    if (dot != std::u32string::npos) {
        out[dot] = point;
        size_t k = 0;
        for (size_t i = dot + 1; i < width; ++i) {
            if (mask[i] == U'9') out[i] = k < frac.size() ? char32_t(frac[k++]) : U'0';
            else out[i] = mask[i];
        }
        if (whole.empty()) firstDigit = int(dot);
    }
    if (negative) {
        int at = -1;
        for (int i = firstDigit - 1; i >= 0; --i)
            if (blankSlot[i]) { at = i; break; }
        if (at < 0) return stars(width);
        out[at] = U'-';
    }
    return codePointsToUtf8(out);
}

std::string formatText(const std::string& text, const Picture& pic)
{
    if (pic.mask().empty()) return pic.upper() ? UPPER(text) : text;
    std::u32string v = utf8ToCodePoints(pic.upper() ? UPPER(text) : text);
    const auto& mask = pic.mask();
    std::u32string out(mask.size(), U' ');
    for (size_t i = 0; i < mask.size(); ++i) {
        if (pic.isLiteralAt(i)) out[i] = mask[i];
        else if (i < v.size()) out[i] = v[i];
    }
    return codePointsToUtf8(out);
}

const std::u32string kDefaultInteger = U"9999999999";

} // namespace

std::string defaultNumberText(double value, const Picture& picture)
{
    std::u32string mask = kDefaultInteger;
    int decimals = 0;
    if (std::isfinite(value)) {
        std::string plain = plainNumber(value);
        size_t dot = plain.find('.');
        if (dot != std::string::npos) decimals = int(plain.size() - dot - 1);
    }
    if (decimals > 0) mask += U'.' + std::u32string(size_t(decimals), U'9');
    return formatNumber(value, mask, picture);
}

std::string TRANSFORM(const Value& value, const Picture& picture)
{
    switch (value.type()) {
    case ValueType::Text: return formatText(value.text(), picture);
    case ValueType::Number:
        if (!picture.isNumberMask()) return defaultNumberText(value.number(), picture);
        return formatNumber(value.number(), picture.mask(), picture);
    case ValueType::Date: return value.date().toText();
    case ValueType::Logical: return value.logical() ? "T" : "F";
    case ValueType::Nil: break;
    }
    return {};
}

double readNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string s;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) s += text[i++];
    bool point = false, digits = false;
    for (; i < text.size(); ++i) {
        char c = text[i] == ',' ? '.' : text[i];
        if (c >= '0' && c <= '9') { s += c; digits = true; }
        else if (c == '.' && !point) { s += c; point = true; }
        else break;
    }
    if (!digits) return 0.0;
    double v = std::strtod(s.c_str(), nullptr);
    return v == 0.0 ? 0.0 : v; // never "-0"
}

int textLimit(const Value& value, const Picture& picture)
{
    switch (value.type()) {
    case ValueType::Text: return int(utf8Length(value.text()));
    case ValueType::Date: return int(utf8Length(Date().toText()));
    case ValueType::Logical: return 1;
    case ValueType::Number: return int(utf8Length(TRANSFORM(value, picture)));
    case ValueType::Nil: break;
    }
    return 0;
}

} // namespace velt
