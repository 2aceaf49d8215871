#pragma once
// The process-wide error handler and the commands' recovery point.
//
// DEFERROR decides by the error's OS code, sub-code and general code (first
// matching row wins) and, after runBeforeErrorMessageHook() (releases the
// system lock), shows the Italian message naming the FILE in capitals:
//   - disk and file errors, damaged files, general code 1001: message (kind 1),
//     then throws velt::Abandon;
//   - division by zero (general code 5): no message, returns Continue;
//   - open refused by a sharing violation (gen 21 + os 32) or append lock
//     failed (gen 40) when softOk: no message, NETERR() set, returns SoftFail;
//   - anything else: the report text + ";;Inviare rapporto di errore via
//     email?" (kind 2); OK opens errorMailAddress() through the shell; then
//     the program ends (platform::endProgram) and, should that return (tests),
//     throws velt::Abandon.
//
// Exceptions out of Qt event callbacks: the dialog toolkit runs every event
// callback through guardEvent(). A VeltError is handed to DEFERROR there and
// then (message shown while the dialog is still open); whatever remains
// (velt::Abandon, ScriptError, any other exception) comes back as a
// std::exception_ptr. The toolkit keeps it, ends the innermost dialog, and
// that dialog's ACTIVATE re-throws it with std::rethrow_exception once its
// event loop returned, so it travels out to the command's RECOVER.
#include "util/errors.h"

#include <exception>
#include <functional>
#include <source_location>
#include <string>

namespace velt {

enum class ErrorAction { Continue, SoftFail };

ErrorAction DEFERROR(const VeltError& e, bool softOk = false);
// An exception that is not ours: the report (its what() as description)
// then the program ends; `where` names the routine in the
// report. Never returns normally (throws velt::Abandon once the end was
// requested).
[[noreturn]] void DEFERROR(const std::exception& e, std::source_location where = std::source_location::current());

// The network-error flag set by a soft failure.
bool NETERR();
void NETERR(bool flag);

// The message DEFERROR shows for e ("" when the row shows none).
std::string errorMessage(const VeltError& e);
// "Error VELT/1001  description: FILE;Function: name  Line: n"
std::string errorReportText(const VeltError& e);
// "mailto:?subject=Rapporto di errore&body=Applicazione: <program>%0d%0a%0d%0a<report>"
std::string errorMailAddress(const std::string& reportText, const std::string& programPath);

// Recovery point of a command: runs body. A VeltError goes to DEFERROR
// (softOk false); velt::Abandon ends here. Returns true when body finished,
// false when it was abandoned. Any other std::exception gets the report and
// ends the program. ScriptError (a test's unscripted event) passes through.
bool RECOVER(const std::function<void()>& body, std::source_location where = std::source_location::current());

// For the dialog toolkit: see above. Returns nullptr when body finished or
// the error handler let the work continue.
std::exception_ptr guardEvent(const std::function<void()>& body);

} // namespace velt
