// FORNITORI: the supplier list window.
#include "data/tables.h"
#include "reference/reference.h"
#include "reference/reflist.h"

namespace velt {

void FORNITORI()
{
    data::TableGuard guard;
    data::DBSELECTAREA(0);
    data::DBOPEN(false, "FORNITOR", "FORNITOR", true);
    data::ORDADD("FORNITOR");
    // Supplier names are kept exactly as typed.
    reference::showList({.templateName = "FORNITORI", .header = "FORNITORI", .field = "FORNITORE"});
}

} // namespace velt
