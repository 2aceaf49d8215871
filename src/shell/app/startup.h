#pragma once
// The program's frame before and after its window: process initialisation
// (error handling, table settings, leftovers of earlier runs, the exit
// routine) and the exit routine itself.
//
// Order at start: PROCESSINIT, then MAIN (mainwnd.h): settings, the window,
// and from the window's initialisation the table check and USER
// (tempdir.h). At the end: platform::endProgram runs EXITROUTINE, which
// PROCESSINIT registered with atProgramEnd.
#include <string>

namespace velt::shell {

// Steps run before the window exists: the data layer's messages through
// POPMSG, the table settings (two-digit years from 1980), the clean-up of
// chr(127) files in the data directory and of private directories left in
// the system temporary directory by runs that are gone, and the exit routine
// registered for the end of the program. `dataDir` is the data directory (the
// working directory); `tempDir` the system temporary directory.
void PROCESSINIT(const std::string& dataDir, const std::string& tempDir);

// Closes every table (and their view files), then deletes the private
// temporary directory (with its messages when something cannot be deleted).
// A table that fails to close does not keep the directory.
void EXITROUTINE();

} // namespace velt::shell
