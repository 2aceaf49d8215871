#pragma once
// Named settings and the configuration file "VELT.CFG" that keeps them.
//
// A named setting is a value (text, number, date, logical, or no value yet)
// addressed by its name; names are matched without regard to case. There is
// the process-wide set, loaded at start-up, and a command may load a set of
// its own for as long as it runs (CommandSettings): the operations it calls
// then see the command's settings first, and the names it does not have from
// the sets below it; when the command ends its set disappears.
//
// The file is an INI file (shell/config/ini.h) with one section "Vars"; each
// line is name = type letter + text:
//   C text without trailing blanks    N number in plain notation (5, 12.5)
//   D date "DD/MM/YY"                 L ".T." or ".F."
// Any other letter (or none) gives a setting without a value. The file is
// Windows-1252 like every file of the data directory, and is always replaced
// whole and atomically, so it is never half written. Failures throw the
// platform layer's VeltError naming the file.
#include "util/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

inline constexpr const char* kConfigFile = "VELT.CFG";     // in the working directory
inline constexpr const char* kConfigSection = "Vars";

// The five settings the program writes, in the order of a new file.
inline constexpr const char* kConfigKeys[] = {"CFG_DESCR", "CFG_HMARG", "CFG_HSTEP", "CFG_VMARG", "CFG_VSTEP"};

// ---- named settings -------------------------------------------------------

class Settings {
public:
    bool has(std::string_view name) const;
    // The setting's value (nothing when it has none); nullptr when missing.
    const Value* find(std::string_view name) const;
    // Creates the setting without a value, or takes the value of an existing one.
    void declare(std::string_view name);
    void put(std::string_view name, Value value);
    // Names as first given, in ascending order (without regard to case).
    std::vector<std::string> names() const;
    bool empty() const { return items_.empty(); }

private:
    struct Item {
        std::string name; // as first given
        Value value;
    };
    std::vector<Item> items_; // sorted by upper-case name
    size_t lowerBound(std::string_view name) const;
};

// The process-wide set.
Settings& processSettings();
// The set the running code loads into and declares in: the innermost
// command's own set, else the process-wide set.
Settings& currentSettings();

// A command's own set for the guard's lifetime (guards nest and end in
// reverse order).
class CommandSettings {
public:
    CommandSettings();
    ~CommandSettings();
    CommandSettings(const CommandSettings&) = delete;
    CommandSettings& operator=(const CommandSettings&) = delete;
    Settings& set() { return set_; }

private:
    Settings set_;
};

// What the running code sees: the innermost set that has the name.
bool settingExists(std::string_view name);
// The visible setting's value; nothing when missing or without a value.
Value settingValue(std::string_view name);
// Assigns the visible setting; a missing one is created in currentSettings().
void setSetting(std::string_view name, Value value);
// The visible names, ascending.
std::vector<std::string> settingNames();

// ---- the file ---------------------------------------------------------------

// The file's line value for a value: type letter + text ("N12.5", "C abc",
// "D15/03/24", "L.T."); empty for nothing.
std::string configText(const Value& value);
// A line value read back (see the table above).
Value configValue(std::string_view text);

// When "VELT.CFG" (or `file`) does not exist: the five CFG_ settings are set
// to 0 and saved with SAVEINI. Throws when the file cannot be written (the
// program then ends).
void MKCFG(const std::string& file = kConfigFile);
// Writes every visible setting whose name begins with the prefix of
// `pattern` ("CFG_*"; a pattern without "*" is one exact name) into the
// "Vars" section, in ascending order of the names: an existing key is
// rewritten in place, a new one added at the end of the section, the file
// created when missing. A setting without a value leaves its line as it is.
void SAVEINI(std::string_view pattern, const std::string& file = kConfigFile);
// Stores each key of "Vars", in file order, into the setting of that name.
// A missing file or section changes nothing.
void RESTOREINI(const std::string& file = kConfigFile);
// The key names of a section in file order; empty when the file or the
// section is missing.
std::vector<std::string> GETPVPROFSECTION(std::string_view section, const std::string& file = kConfigFile);
// Loads a set into currentSettings(): one setting per key of "Vars" without a
// value, then RESTOREINI. At start-up this loads the process-wide set; inside
// a CommandSettings guard the command's own.
void loadSettings(const std::string& file = kConfigFile);

} // namespace velt
