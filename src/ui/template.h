#pragma once
// Dialog templates: the named layout of a form, kept with the program as one
// plain text file per template (resources/templates/NAME.tpl, compiled in as
// ":/templates/NAME.tpl"). Forms never place controls in code; they name a
// template and bind its items by id (TDIALOG, REDEFINE).
//
// File format (UTF-8 text, one statement per line; blank lines and lines
// starting with "#" are ignored; keywords are upper case; numbers are decimal
// or 0x hexadecimal; texts are in double quotes, with \" for a quote and a
// doubled backslash for a backslash; "&" in a text marks the mnemonic letter that follows):
//
//   DIALOG  x y w h                   position and size in dialog units
//   TITLE   "Articoli"                title ("" for none)
//   STYLE   0x80C80080                dialog style bits (optional, 0 default)
//   FONT    "MS Sans Serif" 8         face and point size (optional;
//                                     "MS Sans Serif" 8 by default)
//   ITEM    id CLASS "text" x y w h style
//                                     one control; id -1 for labels and lines
//                                     that are never bound; CLASS is one of
//                                     EDIT BUTTON STATIC COMBOBOX TWBrowse
//                                     TBtnBmp TImage (spelled so)
//
// DIALOG must come before the first ITEM; items keep the order of the file,
// which is the tab order of the dialog.
//
// Example:
//   DIALOG 0 0 180 60
//   TITLE  "Quantità"
//   FONT   "MS Sans Serif" 8
//   ITEM   -1  STATIC "&Quantità:"  8  10 50 8  0x50000000
//   ITEM   101 EDIT   ""            60  8 40 12 0x50810082
//   ITEM   201 BUTTON "&Conferma"   30 36 50 14 0x50010001
//   ITEM   202 BUTTON "&Annulla"   100 36 50 14 0x50010000
//
// Lookup by name: first every directory registered with
// addTemplateDirectory (tests register tests/ui/templates), newest first,
// then the compiled-in resources. Names are matched as given (forms use
// upper-case names).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Style bits that the toolkit interprets.
namespace tplstyle {
inline constexpr uint32_t Visible = 0x10000000, Child = 0x40000000;
inline constexpr uint32_t TabStop = 0x00010000, Group = 0x00020000, Border = 0x00800000;
inline constexpr uint32_t VScroll = 0x00200000, HScroll = 0x00100000;
inline constexpr uint32_t EditCenter = 0x0001, EditRight = 0x0002, EditMultiline = 0x0004,
                          EditWantReturn = 0x1000, EditAutoHScroll = 0x0080;
inline constexpr uint32_t ButtonTypeMask = 0x000F, ButtonPush = 0, ButtonDefault = 1, ButtonCheck = 3,
                          ButtonRadio = 4, ButtonGroupBox = 7, ButtonAutoRadio = 9, ButtonLeftText = 0x0020;
inline constexpr uint32_t StaticAlignMask = 0x0003, StaticCenter = 1, StaticRight = 2,
                          StaticVCenter = 0x0200, StaticSunken = 0x1000;
inline constexpr uint32_t ComboTypeMask = 0x0003, ComboDropDownList = 3;
} // namespace tplstyle

struct TemplateItem {
    int id = -1;
    std::string className;   // EDIT, BUTTON, STATIC, COMBOBOX, TWBrowse, TBtnBmp, TImage
    std::string text;
    int x = 0, y = 0, w = 0, h = 0; // dialog units
    uint32_t style = 0;

    bool is(std::string_view cls) const { return className == cls; }
    bool tabStop() const { return style & tplstyle::TabStop; }
    bool defaultButton() const
    {
        return is("BUTTON") && (style & tplstyle::ButtonTypeMask) == tplstyle::ButtonDefault;
    }
};

struct DialogTemplate {
    std::string name;
    std::string title;
    int x = 0, y = 0, w = 0, h = 0; // dialog units
    uint32_t style = 0;
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    std::vector<TemplateItem> items; // in file order

    // First item with that id, or nullptr.
    const TemplateItem* item(int id) const;
    // Position of the item with that id in `items`, or -1.
    int indexOf(int id) const;
};

// Reads a template text. Throws corruptFile(name, reason) on a line it
// cannot read, naming the line number.
DialogTemplate parseTemplate(std::string_view text, const std::string& name);

// Loads the template NAME from the registered directories, then from the
// compiled-in resources. Nothing when no such template exists; a template
// that exists but cannot be read throws (corruptFile).
std::optional<DialogTemplate> loadTemplate(const std::string& name);

// Registers a directory holding extra NAME.tpl files (tests).
void addTemplateDirectory(const std::string& dir);
void clearTemplateDirectories();

} // namespace velt
