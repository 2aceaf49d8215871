#pragma once
// INFOS: the information box of the "?" menu, modal and centred over the
// main window: the publisher's picture, the program's title, its version
// and the publisher's lines (dialog template "INFOS").
#include <string>

namespace velt::shell {

inline constexpr const char* kProgramTitle = "VELT - Gestione Articoli";
inline constexpr const char* kProgramVersion = "1.08";

void INFOS(const std::string& title, const std::string& version);

} // namespace velt::shell
