#pragma once
// The private temporary directory of this running copy and the clean-up of
// the leftovers of earlier runs.
//
// Every running copy owns one directory in the system temporary directory,
// named chr(127) + YYYYMMDD + hundredths since midnight + "_" + process id
// (the process id keeps two copies started in the same hundredth apart). It
// holds the marker file "USER", which the copy keeps open with sharing denied
// from creation to exit: the clean-up at another copy's start sees the held
// marker and leaves the directory alone, so a running copy never loses its
// scratch tables, views and recorded pages.
//
// Ownership: this module owns the marker handle and the path (ACS_TEMP, also
// handed to the table layer for its view files) from USER() until
// removePrivateDirectory().
#include <functional>
#include <string>

namespace velt::shell {

// Every temporary name of the program begins with this character.
inline constexpr char kTempMark = '\x7F';
// The marker file of a private directory.
inline constexpr const char* kMarkerName = "USER";

// chr(127) + today as YYYYMMDD + hundredths since midnight in decimal (at most
// 7 digits). Waits until the clock has moved on before returning, so two
// calls in one process never give the same name.
std::string GETNEWFNAME();

// The path of the private directory followed by "/"; empty until USER() has
// set it up and again after removePrivateDirectory().
const std::string& ACS_TEMP();

// Sets up the private directory: the system lock table if needed, then the
// directory with its held marker file, then ACS_TEMP (and the table layer's
// private directory). A directory removed under it by another copy's
// clean-up is replaced by a new one. Failures throw (VeltError naming the
// path).
void USER();

// Tests: called by USER() between creating a directory and creating its
// marker (where another copy's clean-up may strike); nullptr removes it.
void setAfterDirectoryHook(std::function<void(const std::string& dir)> hook);

// True while this process holds a private directory's marker.
bool privateDirectoryReady();

// Start-up clean-up of the data directory: deletes the plain files whose
// name begins with chr(127) (temporary files of a run without a private
// directory). A file that another copy holds open is left, as is any file
// that cannot be deleted.
void removeDataLeftovers(const std::string& dataDir);

// Start-up clean-up of the system temporary directory: for each directory
// whose name begins with chr(127) and whose marker nobody holds, deletes the
// plain files inside (stopping at the first one in use or not deletable) and
// then the directory. Failures are silent: a leftover stays for a later run.
void removeTempLeftovers(const std::string& tempDir);

// Exit: releases the marker and deletes the private directory with everything
// in it. A file that cannot be deleted shows "Impossibile cancellare il file
// <path>." and stops; a directory that cannot be removed shows "Impossibile
// cancellare la cartella <path>.". Nothing happens when no directory was set
// up. ACS_TEMP is empty afterwards.
void removePrivateDirectory();

} // namespace velt::shell
