#pragma once
// The commands the main window starts from its menu and its button bar, by
// name ("ARTICOLI", "CARICO", "TIPI1" ... see mainwnd.cpp for where each
// appears). Every command runs at its own recovery point (RUNCOMMAND): an
// abandoned command returns to the main window, whose tables it has closed.
//
// A command whose form is not part of the program yet shows "Funzione non
// ancora disponibile."; registering its function replaces that.
#include <functional>
#include <map>
#include <string>

namespace velt::shell {

using Command = std::function<void()>;

// The process-wide table of commands by name, filled with the program's
// commands on first use. Tests may replace entries.
std::map<std::string, Command>& commands();

// Runs the command of that name at a recovery point; an unknown name is a
// program error (it goes to the error handler's report).
void RUNCOMMAND(const std::string& name);

// What a command not built yet does.
void NOTYETAVAILABLE();

} // namespace velt::shell
