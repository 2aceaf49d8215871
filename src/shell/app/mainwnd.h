#pragma once
// MAIN: the program's main window, its menu, button bar and message bar, and
// its initialisation (the table check, then the private temporary
// directory), from the settings to the moment the window is closed.
//
// The menu and the bar are built from the tables in mainwnd.cpp; each entry
// names its command (commands.h). The window object lives in MAIN for as long
// as the window is open.
#include "ui/window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velt {
class TMENU;
class TBAR;
} // namespace velt

namespace velt::shell {

// One line of a pull-down: a command, or a separator (empty prompt).
struct MenuLine {
    std::string prompt, message, command;
};
struct MenuSpec {
    std::string title;
    std::vector<MenuLine> lines;
};
// One button of the bar.
struct BarButton {
    std::string bitmap, caption, tooltip;
    bool group;  // starts a group: a small gap before it
    std::string command;
};

const std::vector<MenuSpec>& mainMenus();
const std::vector<BarButton>& mainBarButtons();

// The menu bar with the four pull-downs (off the construction stack).
std::shared_ptr<TMENU> BUILDMENU();
// The main window: menu, title, icon, colours, message bar, button bar.
std::unique_ptr<TWINDOW> BUILDMAINWINDOW();

// The table check run by the window's initialisation; true when the tables
// are ready, false when it failed and has ended the program. The program's
// check is the data layer's; tests replace it.
using TableCheck = std::function<bool()>;
void setTableCheck(TableCheck check);

// The window's initialisation: the table check, then USER (the program ends
// when that fails). False when the program is ending; the window is closed
// then.
bool INITMAINWINDOW(TWINDOW& wnd);

// Steps after process initialisation: the settings file (created when
// missing) and the process-wide settings; the main window shown maximised,
// initialised, and serving commands until it is closed. Returns the program's
// exit code: 0 after the window was closed, 1 when the settings could not be
// loaded or the initialisation failed.
int MAIN();

} // namespace velt::shell
