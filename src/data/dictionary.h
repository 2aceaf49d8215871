#pragma once
// The data dictionary: every table the program keeps, its fields in file
// order, and its index files with their keys. This is the one source of truth
// for the table check, the maintenance, the backup and every command; nobody
// else spells out a structure or a key.
//
//   catalogue()   the twelve catalogue tables, in the order the start-up check
//                 and the maintenance process them, each with its index files
//                 in build order.
//   usersTable()  USERS (only present when a restore placed it; reindexed then).
//   netTable()    NET, the one-record system lock table.
//   viewFileName  the name of a slot's temporary view index.
#include "data/dbf.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt::data {

// A structure: the fields in file order, what DBGEN creates and the table
// check compares (name, type, width, decimals).
using Structure = std::vector<FieldDef>;
// Same name (any case), type, width and decimals.
bool sameField(const FieldDef& a, const FieldDef& b);

// One index file of a table. `file` is the base name (".NTX" is added when it
// is opened or built); the index inside is named after it.
struct IndexFile {
    std::string file;     // e.g. "DESCRIZ"
    std::string keyText;  // as given to the builder, e.g. "FIELD -> descrizio"
    std::string storedKey() const;  // as the file holds it, e.g. "descrizio"
};

struct TableSpec {
    std::string name;  // alias and base file name, e.g. "ARTICOLI"
    Structure fields;
    std::vector<IndexFile> indexes;
    bool hasMemo() const;          // a field of type M (then a ".DBT" file exists)
    const FieldDef* field(std::string_view name) const;  // nullptr when absent
};

// The twelve catalogue tables in order: ARTICOLI, FORNITOR, TIPI1..TIPI6,
// CARICO, SCARICO, VARIE, ETICHETT.
const std::vector<TableSpec>& catalogue();
// A catalogue table, USERS or NET by name (any case); nullptr when unknown.
const TableSpec* findTable(std::string_view name);
const TableSpec& usersTable();
const TableSpec& netTable();

// Key of the inventory-by-group view over ARTICOLI (six merchandise levels).
inline constexpr const char* kTipiGroupKey =
    "FIELD -> tipo1 + FIELD -> tipo2 + FIELD -> tipo3 + FIELD -> tipo4 + FIELD -> tipo5 + FIELD -> tipo6";

// Work table of a structure upgrade, in the data directory.
inline constexpr const char* kTempDbf = "TEMPDBF_";
// Memo file extension of every table with a memo field.
inline constexpr const char* kMemoExt = ".DBT";
// Every temporary file and directory of the program begins with this.
inline constexpr char kTempMark = '\x7F';

// File name (no directory) of the view index of a slot: chr(127) + "VIEW" +
// slot in decimal + ".NTX".
std::string viewFileName(int slot);

} // namespace velt::data
