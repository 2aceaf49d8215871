#pragma once
// The table check run when the main window opens: every catalogue table is
// made present and current (created when missing, converted in place when
// its structure is older), and the maintenance runs when anything was
// created or converted or an index file is missing.
//
// A conversion writes the new table as "TEMPDBF_" beside the old one,
// record by record, with the old table opened exclusively (so no other copy
// writes records the conversion would miss). The old files stay aside until
// the converted ones are in place and come back when any step fails
// (manutenz.h, replaceTableFiles): a failed conversion never leaves the shop
// without its data.
#include "data/dictionary.h"
#include "util/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt::data {

// Runs CREATEDB over the catalogue; when it fails the program ends
// (platform::endProgram) and the result is false.
bool AGGIORNADATABASE();

// The check over these tables (names, structures, index file base names, in
// the same order). Wait message "Verifica archivi in corso...", changed to
// "Aggiornamento archivi in corso..." while a table is created or
// converted. A table another copy has open is only created when missing.
// False when the check was abandoned (its message has been shown).
bool CREATEDB(const std::vector<std::string>& names, const std::vector<Structure>& structures,
              const std::vector<std::vector<std::string>>& indexFiles);

// True when the table lacks a field of the structure or has it with another
// type, width or decimals. Extra fields and field order do not count. A
// table that cannot be opened counts as current (after the error message).
bool NEEDUPD(const std::string& table, const Structure& structure);

// Converts the table to the structure, keeping its live records in order.
// Under the shared-installation marker the converted files are copied over
// the old ones, otherwise renamed into place. False when it failed (the old
// table is then intact and its message has been shown).
bool MODITAB(const std::string& table, const Structure& structure);

// A value of the old field converted for the new one (the new field's type,
// numbers fitted to its width and decimals: 0 when they do not fit).
Value CONVDATO(const Value& value, const FieldDef& oldField, const FieldDef& newField);

// Italian number punctuation to plain decimals: with a "," every "." goes and
// "," becomes "." ("1.234,50" -> "1234.50"); without one the text stays.
std::string ADJNUM(std::string_view text);

} // namespace velt::data
