#pragma once
// The settings step of MAIN: "VELT.CFG" created when missing, then the
// process-wide named settings loaded from it.
namespace velt::shell {

// False when the file could not be created or read: the program then ends
// without showing its window (the error's message has been shown).
bool LOADSETTINGS();

} // namespace velt::shell
