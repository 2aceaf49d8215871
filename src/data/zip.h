#pragma once
// The backup archive: a standard zip file (deflate at zlib's default level,
// no encryption, no comment), one entry per file named by its bare file
// name, with the file's local modification time and attribute flags.
//
// Both show their own failure messages through the data notifier and return
// false. An archive is only ever left behind complete: when a file cannot be
// read or added the incomplete archive is deleted. Extraction writes into
// the data directory only, each entry under a temporary name first and
// renamed into place when complete.
#include <string>
#include <vector>

namespace velt::data {

// Writes `archive` (replacing one of that name) from the files, in order.
// "Impossibile trovare il file;;NAME" when one is missing (no archive),
// "Impossibile leggere il file;;NAME" when one cannot be read,
// "Si è verificato un errore durante la creazione del file;;ARCHIVE" when
// the archive cannot be created or written.
bool ZIP(const std::string& archive, const std::vector<std::string>& files);

// Extracts every entry of `archive` into the data directory under the bare
// name of the entry (directory parts dropped; "" , "." and ".." refused),
// replacing files of that name. Before anything is written, each file the
// archive would replace is checked with NETUSED: one in use shows "Il file
// NAME è in uso da un altro terminale." and nothing is extracted. An entry
// that cannot be extracted stops it with "Si è verificato un errore durante
// la decompressione del file;;NAME".
bool UNZIP(const std::string& archive);

// The bare name an entry is extracted under ("" when it is refused or is a
// directory entry): "\" taken as "/", the last component, upper-cased as
// every data file is named.
std::string entryTargetName(const std::string& entryName);

} // namespace velt::data
