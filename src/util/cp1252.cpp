#include "util/cp1252.h"

#include <cstdint>

namespace velt {
namespace {
// 0x80..0x9F of Windows-1252; 0 marks the five unused positions.
const char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void putUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) out += char(c);
    else if (c < 0x800) { out += char(0xC0 | (c >> 6)); out += char(0x80 | (c & 0x3F)); }
    else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one code point; a malformed byte is taken as Windows-1252 itself so
// that stray single bytes are never lost.
char32_t nextCodePoint(std::string_view s, size_t& i)
{
    auto b = static_cast<unsigned char>(s[i]);
    auto cont = [&](size_t k) { return k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
    if (b < 0x80) { ++i; return b; }
    if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
        char32_t c = ((b & 0x1F) << 6) | (s[i + 1] & 0x3F);
        if (c >= 0x80) { i += 2; return c; }
    } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
        char32_t c = ((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
        if (c >= 0x800) { i += 3; return c; }
    } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
        char32_t c = ((b & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
        if (c >= 0x10000) { i += 4; return c; }
    }
    ++i;
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80]) return kHigh[b - 0x80];
    return b;
}
} // namespace

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + 8);
    for (unsigned char b : bytes) {
        if (b < 0x80) out += char(b);
        else if (b < 0xA0) putUtf8(out, kHigh[b - 0x80] ? kHigh[b - 0x80] : char32_t(b));
        else putUtf8(out, b);
    }
    return out;
}

std::string utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = nextCodePoint(utf8, i);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) { out += char(c); continue; }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == c) { mapped = char(0x80 + k); break; }
        out += mapped;
    }
    return out;
}

size_t utf8Length(std::string_view utf8)
{
    size_t n = 0, i = 0;
    while (i < utf8.size()) { nextCodePoint(utf8, i); ++n; }
    return n;
}

std::u32string utf8ToCodePoints(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) out += nextCodePoint(utf8, i);
    return out;
}

std::string codePointsToUtf8(std::u32string_view cps)
{
    std::string out;
    out.reserve(cps.size());
    for (char32_t c : cps) putUtf8(out, c);
    return out;
}

} // namespace velt
