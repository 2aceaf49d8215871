#pragma once
// The one-column list window that FORNITORI and TIPI share: a record browse
// over one text field, "Chiudi", "Aggiungi" and "Modifica" (in-place edits
// through EDCOL, "Modifica" also by double click or Enter) and "Elimina"
// (DELREC); "Modifica" and "Elimina" only while the list has a current row.
// The caller has opened the table and its index in the current slot.
#include <optional>
#include <string>

namespace velt::reference {

struct ListWindow {
    std::string templateName;           // "FORNITORI", "TIPI"
    std::optional<std::string> caption; // replaces the template's title
    std::string header;                 // the column's title
    std::string field;                  // the table's one text field
    std::string picture;                // of every in-place edit ("@!" for types)
};

void showList(const ListWindow& w);

} // namespace velt::reference
