#pragma once
// INI text of our own: sections "[name]" and "key=value" lines, read and
// changed without disturbing anything else. Every line the program does not
// change - other sections, comments, unknown keys, their order and spelling -
// is written back exactly as it was read.
//
// Rules: section and key names are matched without regard to case (ASCII);
// blanks and tabs around names, around "=" and around values are ignored;
// lines starting with ";" are comments; keys before the first section belong
// to no section. When a key appears twice in a section the first one counts.
// Values of any length are kept whole (the program's own stay far below the
// 16383 characters an INI value may have).
//
// The text is handled as bytes: the caller decides the character set.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt::config {

class IniText {
public:
    explicit IniText(std::string_view bytes = {});

    // The text with every change made. Lines end the way the read text's
    // lines ended (CR LF for a new text); the last line has its line break.
    std::string text() const;

    bool hasSection(std::string_view section) const;
    // The key names of the section in file order (duplicates included);
    // empty when the section is missing.
    std::vector<std::string> keys(std::string_view section) const;
    // The value of the first line of the key, or nothing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Writes the value: the key's first line is rewritten in place (its name
    // as spelt there); a new key goes after the last key of the section; a
    // missing section is added at the end.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

private:
    enum class Kind { Section, Key, Other };
    struct Line {
        std::string raw;  // as read, without its line break
        Kind kind = Kind::Other;
        std::string name; // section or key name, blanks trimmed
        std::string value; // key value, blanks trimmed
    };
    static Line parse(std::string raw);
    // Index of the section's header line, or npos.
    size_t findSection(std::string_view section) const;
    // One past the section's last line (the next header or the end).
    size_t sectionEnd(size_t header) const;

    std::vector<Line> lines_;
    std::string eol_ = "\r\n";
};

// ASCII case-insensitive equality of names.
bool sameName(std::string_view a, std::string_view b);

} // namespace velt::config
