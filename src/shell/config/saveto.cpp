#include "shell/config/saveto.h"

#include "platform/fs.h"
#include "platform/textfile.h"
#include "shell/config/ini.h"
#include "util/cp1252.h"
#include "util/numfmt.h"
#include "util/picture.h"
#include "util/strfmt.h"

#include <algorithm>
#include <cassert>

namespace velt {

// ---- named settings -------------------------------------------------------

size_t Settings::lowerBound(std::string_view name) const
{
    const std::string key = UPPER(name);
    auto it = std::lower_bound(items_.begin(), items_.end(), key,
                               [](const Item& a, const std::string& k) { return UPPER(a.name) < k; });
    return size_t(it - items_.begin());
}

const Value* Settings::find(std::string_view name) const
{
    size_t i = lowerBound(name);
    if (i < items_.size() && UPPER(items_[i].name) == UPPER(name)) return &items_[i].value;
    return nullptr;
}

bool Settings::has(std::string_view name) const { return find(name) != nullptr; }

void Settings::declare(std::string_view name)
{
    size_t i = lowerBound(name);
    if (i < items_.size() && UPPER(items_[i].name) == UPPER(name)) items_[i].value = Value();
    else items_.insert(items_.begin() + ptrdiff_t(i), Item{std::string(name), Value()});
}

void Settings::put(std::string_view name, Value value)
{
    size_t i = lowerBound(name);
    if (i < items_.size() && UPPER(items_[i].name) == UPPER(name)) items_[i].value = std::move(value);
    else items_.insert(items_.begin() + ptrdiff_t(i), Item{std::string(name), std::move(value)});
}

std::vector<std::string> Settings::names() const
{
    std::vector<std::string> out;
    for (const Item& it : items_) out.push_back(it.name);
    return out;
}

namespace {

// Innermost last; the process-wide set is below them all.
std::vector<Settings*>& commandSets()
{
    static std::vector<Settings*> sets;
    return sets;
}

Settings* visibleSet(std::string_view name)
{
    auto& sets = commandSets();
    for (auto it = sets.rbegin(); it != sets.rend(); ++it)
        if ((*it)->has(name)) return *it;
    return processSettings().has(name) ? &processSettings() : nullptr;
}

} // namespace

Settings& processSettings()
{
    static Settings s;
    return s;
}

Settings& currentSettings() { return commandSets().empty() ? processSettings() : *commandSets().back(); }

CommandSettings::CommandSettings() { commandSets().push_back(&set_); }

CommandSettings::~CommandSettings()
{
    assert(!commandSets().empty() && commandSets().back() == &set_);
    commandSets().pop_back();
}

bool settingExists(std::string_view name) { return visibleSet(name) != nullptr; }

Value settingValue(std::string_view name)
{
    Settings* s = visibleSet(name);
    return s ? *s->find(name) : Value();
}

void setSetting(std::string_view name, Value value)
{
    Settings* s = visibleSet(name);
    (s ? *s : currentSettings()).put(name, std::move(value));
}

std::vector<std::string> settingNames()
{
    std::vector<std::string> out;
    auto add = [&](const Settings& s) {
        for (const std::string& n : s.names())
            if (std::none_of(out.begin(), out.end(), [&](const std::string& o) { return UPPER(o) == UPPER(n); }))
                out.push_back(n);
    };
    auto& sets = commandSets();
    for (auto it = sets.rbegin(); it != sets.rend(); ++it) add(**it);
    add(processSettings());
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return UPPER(a) < UPPER(b); });
    return out;
}

// ---- values in the file ------------------------------------------------------

std::string configText(const Value& value)
{
    switch (value.type()) {
    case ValueType::Text: {
        // One line per key: a line break inside a text is kept as a blank.
        std::string t(RTRIM(value.text()));
        std::replace_if(t.begin(), t.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return "C" + t;
    }
    case ValueType::Number: return "N" + plainNumber(value.number());
    case ValueType::Date: return "D" + value.date().toText();
    case ValueType::Logical: return value.logical() ? "L.T." : "L.F.";
    case ValueType::Nil: break;
    }
    return {};
}

Value configValue(std::string_view text)
{
    if (text.empty()) return Value();
    const std::string_view rest = text.substr(1);
    switch (text.front()) {
    case 'C': case 'c': return std::string(rest);
    case 'N': case 'n':
        // Plain decimal notation: reading stops at a ",".
        return readNumber(rest.substr(0, rest.find(',')));
    case 'D': case 'd': return Date::fromText(rest);
    case 'L': case 'l': return UPPER(rest.substr(0, 3)) == ".T.";
    default: return Value();
    }
}

// ---- the file ---------------------------------------------------------------

namespace {

config::IniText readIni(const std::string& file)
{
    std::optional<std::string> bytes = platform::readWholeFile(file);
    return config::IniText(bytes ? *bytes : std::string());
}

} // namespace

void MKCFG(const std::string& file)
{
    if (platform::fs::exists(file)) return;
    for (const char* key : kConfigKeys) setSetting(key, 0.0);
    SAVEINI("CFG_*", file);
}

void SAVEINI(std::string_view pattern, const std::string& file)
{
    const size_t star = pattern.find('*');
    const std::string prefix = UPPER(pattern.substr(0, star));
    config::IniText ini = readIni(file);
    for (const std::string& name : settingNames()) {
        const std::string up = UPPER(name);
        const bool match = star == std::string_view::npos ? up == prefix : up.compare(0, prefix.size(), prefix) == 0;
        if (!match) continue;
        const Value v = settingValue(name);
        if (v.isNil()) continue;
        ini.setValue(kConfigSection, utf8ToCp1252(name), utf8ToCp1252(configText(v)));
    }
    platform::writeFileAtomically(file, ini.text());
}

void RESTOREINI(const std::string& file)
{
    const config::IniText ini = readIni(file);
    for (const std::string& key : ini.keys(kConfigSection))
        setSetting(cp1252ToUtf8(key), configValue(cp1252ToUtf8(*ini.value(kConfigSection, key))));
}

std::vector<std::string> GETPVPROFSECTION(std::string_view section, const std::string& file)
{
    std::vector<std::string> out;
    for (const std::string& key : readIni(file).keys(section)) out.push_back(cp1252ToUtf8(key));
    return out;
}

void loadSettings(const std::string& file)
{
    Settings& into = currentSettings();
    for (const std::string& name : GETPVPROFSECTION(kConfigSection, file)) into.declare(name);
    RESTOREINI(file);
}

} // namespace velt
