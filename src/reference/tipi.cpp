// TIPI: the merchandise-type list window of one level.
#include "data/tables.h"
#include "reference/reference.h"
#include "reference/reflist.h"
#include "util/errors.h"

namespace velt {

void TIPI(int level)
{
    if (level < 1 || level > 6) throw reportError("Livello dei tipi non valido: " + std::to_string(level));
    const std::string table = "TIPI" + std::to_string(level);
    data::TableGuard guard;
    data::DBSELECTAREA(0);
    data::DBOPEN(false, table, "TIPI", true);
    data::ORDADD(table);
    // Type names are stored in capitals.
    reference::showList({.templateName = "TIPI",
                         .caption = "Tipi merceologici - Livello " + std::to_string(level),
                         .header = "TIPI",
                         .field = "TIPO",
                         .picture = "@!"});
}

} // namespace velt
