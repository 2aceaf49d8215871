#pragma once
// Saving every table into one zip archive and restoring them from one.
//
// SALVA: every "*.DB?" file of the data directory (tables and memo files,
// hidden and read-only ones too; index files are rebuilt, never saved),
// into the archive the user picks in the save dialog "Salvataggio dati"
// (default name from defaultArchiveName()). "Salvataggio completato." only
// for an archive that holds every file.
//
// RICARICA: after "Spegnere tutti i terminali.;;Continuo l'operazione?" and
// the open dialog "Ripristina dati da", extracts the archive, runs the
// maintenance (packing the restored tables and rebuilding every index) and
// rebuilds USERS.NTX when USERS.DBF is there; then "Ripristino completato.".
// A failed extraction stops before the maintenance. A USERS index that
// cannot be rebuilt is deleted and the program ends.
#include <string>
#include <vector>

namespace velt::data {

bool SALVA();
bool RICARICA();

// "Salvataggio archivi " + program base name + " del " + today as DDMMYY + ".zip".
std::string defaultArchiveName();
// The files a backup saves, in directory order.
std::vector<std::string> backupFiles();

} // namespace velt::data
