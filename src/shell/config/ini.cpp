#include "shell/config/ini.h"

namespace velt::config {

namespace {

constexpr size_t npos = std::string::npos;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

IniText::Line IniText::parse(std::string raw)
{
    Line l;
    std::string_view s = trim(raw);
    if (!s.empty() && s.front() == '[') {
        s.remove_prefix(1);
        l.kind = Kind::Section;
        l.name = std::string(trim(s.substr(0, s.find(']'))));
    } else if (!s.empty() && s.front() != ';') {
        size_t eq = s.find('=');
        if (eq != npos && !trim(s.substr(0, eq)).empty()) {
            l.kind = Kind::Key;
            l.name = std::string(trim(s.substr(0, eq)));
            l.value = std::string(trim(s.substr(eq + 1)));
        }
    }
    l.raw = std::move(raw);
    return l;
}

IniText::IniText(std::string_view bytes)
{
    bool crlf = false, lf = false;
    while (!bytes.empty()) {
        size_t nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        if (nl != npos) {
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                crlf = true;
            } else {
                lf = true;
            }
        }
        lines_.push_back(parse(std::string(line)));
        bytes = nl == npos ? std::string_view() : bytes.substr(nl + 1);
    }
    if (lf && !crlf) eol_ = "\n";
}

std::string IniText::text() const
{
    std::string out;
    for (const Line& l : lines_) out += l.raw + eol_;
    return out;
}

size_t IniText::findSection(std::string_view section) const
{
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) return i;
    return npos;
}

size_t IniText::sectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

bool IniText::hasSection(std::string_view section) const { return findSection(section) != npos; }

std::vector<std::string> IniText::keys(std::string_view section) const
{
    std::vector<std::string> out;
    size_t h = findSection(section);
    if (h == npos) return out;
    for (size_t i = h + 1, e = sectionEnd(h); i < e; ++i)
        if (lines_[i].kind == Kind::Key) out.push_back(lines_[i].name);
    return out;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    size_t h = findSection(section);
    if (h == npos) return std::nullopt;
    for (size_t i = h + 1, e = sectionEnd(h); i < e; ++i)
        if (lines_[i].kind == Kind::Key && sameName(lines_[i].name, key)) return lines_[i].value;
    return std::nullopt;
}

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    size_t h = findSection(section);
    if (h == npos) {
        lines_.push_back(parse("[" + std::string(section) + "]"));
        h = lines_.size() - 1;
    }
    const size_t e = sectionEnd(h);
    size_t after = h + 1; // where a new key goes: after the section's last key
    for (size_t i = h + 1; i < e; ++i) {
        if (lines_[i].kind != Kind::Key) continue;
        if (sameName(lines_[i].name, key)) {
            lines_[i] = parse(lines_[i].name + "=" + std::string(value));
            return;
        }
        after = i + 1;
    }
    lines_.insert(lines_.begin() + ptrdiff_t(after), parse(std::string(key) + "=" + std::string(value)));
}

} // namespace velt::config
