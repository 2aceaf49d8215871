#pragma once
// Archive maintenance: every catalogue table packed (records flagged deleted
// removed for good, the others kept in order and renumbered, the memo file of
// VARIE compacted with them) and every catalogue index file rebuilt.
//
// Also the one way a table's files are replaced by new ones (packing here,
// structure upgrade in createdb): the new table and memo file are written
// complete under work names and flushed; the old ones are moved aside
// ("<TABLE>.OLD", "<TABLE>.OLM"), the new memo is moved in, and moving the
// new table in is the commit. The aside files go only after that. A crash at
// any moment leaves either the old pair (put back by recoverTableFiles at
// the next check or maintenance) or the new pair; at worst an index is stale,
// which the maintenance rebuilds.
#include <string>

namespace velt::data {

// Asks first when interactive ("La manutenzione potrebbe;richiedere del
// tempo.;Confermi l'operazione?"); then packs and reindexes the catalogue in
// order, each table opened exclusively (waiting with "Spegnere tutti i
// terminali..." while another copy has it). A failure is reported through
// the notifier and ends the run at that table. True when every table was done.
bool MANUTENZIONE(bool interactive = true);

// Rewrites the table of the current slot (opened exclusively, no index files
// open) without its deleted records, memo file included, crash-safely. The
// slot holds the packed table afterwards, at its first record.
void PACKTABLE();

// Puts the work table `workDbf` (and its memo file, same name with ".DBT")
// in place of `tableDbf` (and its memo file; a memo file of the table is
// removed when the work table has none). copyOver: copy the files over the
// old ones (shared installation) instead of renaming. On failure shows
// "Impossibile copiare il file W in T." / "Impossibile rinominare il file W
// in T." (W, T the files of the failed step), puts the old files back and
// returns false. The work files are gone afterwards either way.
bool replaceTableFiles(const std::string& workDbf, const std::string& tableDbf, bool copyOver);

// Completes or undoes a replacement that a crash interrupted: with the table
// file missing and its aside copy present, the aside files go back; with both
// present the replacement had been committed and the aside files are removed.
void recoverTableFiles(const std::string& tableDbf);

} // namespace velt::data
