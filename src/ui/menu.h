#pragma once
// TMENU, TMENUITEM, TACCTABLE: the menu bar and pull-down menus of the main
// window, built through the class-wide stack of menus under construction.
//
//   auto bar = TMENU::NEW();                        // menu bar, pushed
//   MENUADD(TMENUITEM::NEW("Modifica"));             // title: a pull-down, pushed
//   MENUADD(TMENUITEM::NEW("Articoli...", "Gestione articoli", false,
//                          [](TMENUITEM&) { ARTICOLI(); }));
//   MENUADD(TMENUITEM::NEW());                       // separator line
//   TMENU::ENDMENU();                                // ends "Modifica"
//   TMENU::ENDMENU();                                // the bar itself leaves the stack
//   TWINDOW wnd({.title = "...", .menu = bar, ...});  // the window installs it
//
// Ownership: a menu owns its items (AITEMS) and an item owns its sub-menu.
// The native menu (HMENU: a QMenuBar or a QMenu) belongs to the TMENU until
// ACTIVATE hands a menu bar to its window, which then owns the widget; the
// TMENU must live as long as the window (the window's OMENU keeps it).
//
// Ids come from a class-wide counter (16385, 16386 ... and after 32767 on
// from 17409), skipping ids still held by a live item, so they stay unique
// among the items of the program's menus.
//
// Highlighting an item shows its CMSG on the message bar of the menu's window
// (nothing for an item without message); the message stays after the menu
// closes. Opening a pull-down enables or greys every item with a when
// callback and sets every item's check mark from LCHECKED. Choosing a command
// (mouse, keyboard, accelerator) looks its id up through the whole menu bar
// and runs its action with the item, inside the event wrapper (callback.h).
#include "ui/callback.h"

#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include <QAction>
class QWidget;

namespace velt {

class TWINDOW;
class TMENU;
class TMENUITEM;

using MenuAction = std::function<void(TMENUITEM&)>;

// Key states of accelerators (the platform's accelerator flags).
namespace acc {
inline constexpr int Shift = 0x04, Control = 0x08, Alt = 0x10;
}

// The accelerators of a menu bar: key + key state -> item id.
class TACCTABLE {
public:
    struct Entry {
        int keyState = 0;
        int key = 0; // virtual-key code (vk:: or an upper-case letter / digit)
        int id = 0;
    };
    std::vector<Entry> AACCELS;
    void ADD(int keyState, int key, int id) { AACCELS.push_back({keyState, key, id}); }
    // The id bound to key + state, or 0.
    int find(int keyState, int key) const;
};

class TMENUITEM {
public:
    // TMENUITEM():NEW(prompt, message, checked, action, block, keystate, key,
    // when): the action is block when block is given, else action. With a
    // key, key + keystate becomes an accelerator of the item in the
    // accelerator table of the first menu on the stack.
    static std::shared_ptr<TMENUITEM> NEW(std::string prompt = {}, std::string message = {}, bool checked = false,
                                          MenuAction action = {}, MenuAction block = {}, int keyState = 0,
                                          int key = 0, WhenBlock when = {});
    TMENUITEM(const TMENUITEM&) = delete;
    TMENUITEM& operator=(const TMENUITEM&) = delete;
    ~TMENUITEM();

    // ---- fields --------------------------------------------------------
    std::string CPROMPT;
    std::string CMSG;
    bool LCHECKED = false;
    bool LACTIVE = true;
    MenuAction BACTION;
    WhenBlock BWHEN;
    int NID = 0;
    int NVKEY = 0, NKEYSTATE = 0;
    TMENU* OMENU = nullptr;            // the menu the item was added to
    std::shared_ptr<TMENU> OSUBMENU;   // a sub-menu title's pull-down

    bool isSeparator() const { return CPROMPT.empty() && !BACTION && !OSUBMENU; }
    bool isCommand() const { return bool(BACTION); }

    void SETCHECK(bool checked);
    void ENABLE();
    void DISABLE();
    // The native entry (nullptr before the item was added).
    QAction* action() const { return action_; }

    // The class-wide id counter.
    static int nextId();
    static void resetIdCounter(); // tests: next id 16385 again

private:
    TMENUITEM() = default;
    friend class TMENU;
    QPointer<QAction> action_; // the menu widget owns it
};

class TMENU : public std::enable_shared_from_this<TMENU> {
public:
    // TMENU():NEW(popup): a menu bar (popup false) or a pop-up menu; pushed
    // on AMENUS.
    static std::shared_ptr<TMENU> NEW(bool popup = false);
    // The stack of menus under construction (TMENU():AMENUS).
    static std::vector<std::shared_ptr<TMENU>>& AMENUS();
    // Removes the top of AMENUS (ends the sub-menu being built, or at last
    // the menu bar) and returns it; nullptr when the stack is empty.
    static std::shared_ptr<TMENU> ENDMENU();

    TMENU(const TMENU&) = delete;
    TMENU& operator=(const TMENU&) = delete;
    ~TMENU();

    // Adds to this menu: a prompt without action opens a sub-menu (a new
    // pop-up, pushed on AMENUS, that the following MENUADD calls fill); an
    // action makes a command; neither prompt nor action a separator line.
    void ADD(std::shared_ptr<TMENUITEM> item);

    // The item with this id, looked up through all sub-menus; nullptr if none.
    TMENUITEM* GETITEM(int id) const;
    // Runs the action of the command with this id (with the item); false
    // when no command has it. Used by every way of choosing a command.
    bool COMMAND(int id);
    // What opening a pull-down does: when callbacks and check marks.
    void INITPOPUP();
    // Shows a message of this menu's window (SETMSG, msgbar.h).
    void showMessage(const std::string& text) const;
    // Installs a menu bar in its window (the main window calls it): the
    // widget goes to the window, the accelerators become its shortcuts.
    void ACTIVATE(TWINDOW& owner);

    // ---- fields --------------------------------------------------------
    std::vector<std::shared_ptr<TMENUITEM>> AITEMS;
    TWINDOW* OWND = nullptr;              // the window of the menu bar
    std::shared_ptr<TACCTABLE> OACCTABLE; // accelerators (menu bar)
    bool LPOPUP = false;
    TMENU* OPARENT = nullptr;             // the menu a pull-down hangs in

    QWidget* HMENU() const;
    QMenu* popup() const { return popup_; }
    QMenuBar* menuBar() const { return bar_; }
    // The menu bar at the root of this menu (this one for a bar).
    const TMENU* root() const;

private:
    TMENU() = default;
    QPointer<QMenuBar> bar_;
    QPointer<QMenu> popup_;
    bool handedOver_ = false;
};

// ADD on the menu at the top of the stack (TMENU():AMENUS[-1]:ADD).
void MENUADD(std::shared_ptr<TMENUITEM> item);

} // namespace velt
