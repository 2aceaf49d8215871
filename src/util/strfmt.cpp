#include "util/strfmt.h"

#include "util/cp1252.h"
#include "util/numfmt.h"

namespace velt {

std::string CVALTOCHAR(const Value& value)
{
    switch (value.type()) {
    case ValueType::Text: return value.text();
    case ValueType::Date: return value.date().toText();
    case ValueType::Logical: return value.logical() ? ".T." : ".F.";
    case ValueType::Number: return plainNumber(value.number());
    case ValueType::Nil: break;
    }
    return "NIL";
}

std::string CVALTOCHAR(const std::vector<Value>& list)
{
    constexpr size_t kLimit = 1000;
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += CVALTOCHAR(list[i]);
        if (utf8Length(out) > kLimit) break;
    }
    std::u32string cps = utf8ToCodePoints(out);
    if (cps.size() > kLimit) return codePointsToUtf8(cps.substr(0, kLimit)) + " ... }";
    return out;
}

namespace {
bool isEmptyValue(const Value& v)
{
    switch (v.type()) {
    case ValueType::Nil: return true;
    case ValueType::Text: return ALLTRIM(v.text()).empty();
    case ValueType::Number: return v.number() == 0.0;
    case ValueType::Date: return v.date().isEmpty();
    case ValueType::Logical: return false;
    }
    return false;
}
} // namespace

std::string MKSTR(const Value& value)
{
    if (isEmptyValue(value)) return "\"\"";
    switch (value.type()) {
    case ValueType::Text: {
        const std::string& t = value.text();
        std::string out, piece;
        auto add = [&out](const std::string& part) {
            if (!out.empty()) out += " + ";
            out += part;
        };
        for (char c : t) {
            if (c == '"') {
                if (!piece.empty()) add("\"" + piece + "\"");
                piece.clear();
                add("[\"]");
            } else {
                piece += c;
            }
        }
        if (!piece.empty()) add("\"" + piece + "\"");
        return out;
    }
    case ValueType::Date: return "CTOD( \"" + value.date().toText() + "\" )";
    default: return CVALTOCHAR(value);
    }
}

std::string O2A(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    auto cont = [&](size_t k) { return k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80; };
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        size_t len = 0;
        if (b < 0x80) len = 1;
        else if ((b & 0xE0) == 0xC0 && b >= 0xC2 && cont(i + 1)) len = 2;
        else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) len = 3;
        else if ((b & 0xF8) == 0xF0 && b <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) len = 4;
        if (len) {
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        switch (b) {
        case 133: out += "à"; break;
        case 138: out += "è"; break;
        case 130: out += "é"; break;
        case 141: out += "ì"; break;
        case 149: out += "ò"; break;
        case 151: out += "ù"; break;
        default: out += char(b); break;
        }
        ++i;
    }
    return out;
}

std::string CDAY(Date date)
{
    static const char* const kNames[] = {"Domenica", "Lunedì",  "Martedì", "Mercoledì",
                                         "Giovedì",  "Venerdì", "Sabato"};
    int d = date.dow();
    return d >= 1 && d <= 7 ? kNames[d - 1] : "";
}

bool ISNUMBER(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string CFILEEXT(std::string_view name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    return std::string(ALLTRIM(name.substr(dot + 1)));
}

std::string CFILENOEXT(std::string_view name)
{
    size_t sep = name.find_last_of("\\/");
    std::string_view base = ALLTRIM(sep == std::string_view::npos ? name : name.substr(sep + 1));
    size_t dot = base.rfind('.');
    return std::string(dot == std::string_view::npos ? base : base.substr(0, dot));
}

char32_t upperChar(char32_t c)
{
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
    case 0xFF: return 0x178;  // ÿ
    case 0x161: return 0x160; // š
    case 0x17E: return 0x17D; // ž
    case 0x153: return 0x152; // œ
    default: return c;
    }
}

std::string UPPER(std::string_view text)
{
    bool ascii = true;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    if (ascii) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        return out;
    }
    std::u32string cps = utf8ToCodePoints(text);
    for (char32_t& c : cps) c = upperChar(c);
    return codePointsToUtf8(cps);
}

std::string_view LTRIM(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return text.substr(i);
}

std::string_view RTRIM(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return text.substr(0, n);
}

std::string_view ALLTRIM(std::string_view text) { return RTRIM(LTRIM(text)); }

namespace {
std::string pad(std::string_view text, size_t length, bool left)
{
    std::u32string cps = utf8ToCodePoints(text);
    if (cps.size() >= length) return codePointsToUtf8(cps.substr(0, length));
    std::string blanks(length - cps.size(), ' ');
    return left ? blanks + std::string(text) : std::string(text) + blanks;
}
} // namespace

std::string PADR(std::string_view text, size_t length) { return pad(text, length, false); }
std::string PADL(std::string_view text, size_t length) { return pad(text, length, true); }

} // namespace velt
