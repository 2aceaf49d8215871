#pragma once
// The windows of the reference lists: the suppliers (FORNITORI, menu
// "Fornitori...") and the merchandise types of one level (TIPI(level), menus
// "Tipi - Livello 1..." to "Tipi - Livello 6..."). Each opens its table
// shared, shows it in a one-column list whose names are typed straight into
// the row, and closes the table when the window closes.
namespace velt {

void FORNITORI();
// level: 1 to 6; the table TIPI<level> is opened under the alias TIPI.
void TIPI(int level);

} // namespace velt
