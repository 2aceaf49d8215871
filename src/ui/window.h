#pragma once
// TWINDOW: the base of every window object of the toolkit (main window,
// dialogs, controls) with the fields the forms and the other toolkit classes
// share, and the main window itself (TWINDOW(NewArgs) + ACTIVATE).
//
// Ownership: a window object owns its native widget (HWND, a QWidget) while
// it is shown; HWND is nullptr before it is created and after it is gone.
// Dialogs own their controls (ACONTROLS holds shared pointers); the forms
// keep the raw pointers REDEFINE returns for as long as the dialog lives.
// The main window's widget lives until the window is closed.
//
//   TWINDOW wnd({.title = "VELT - Gestione Articoli"});
//   wnd.ACTIVATE({.show = "MAXIMIZED", .init = [](TWINDOW&) { ... }});
//   // returns when the window has been closed
#include "ui/callback.h"
#include "ui/font.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;
class QWidget;

namespace velt {

class TCONTROL;
class TMENU;
class TBAR;
class TMSGBAR;

class TWINDOW {
public:
    // The main window (TWINDOW():NEW).
    struct NewArgs {
        int top = 0, left = 0, bottom = 600, right = 800;
        std::string title;
        std::shared_ptr<TMENU> menu;
        std::string icon;            // resource name of the icon ("ICONA")
        int clrText = -1, clrPane = -1; // -1: the system colours
        std::string border = "SINGLE";
        bool sysMenu = true, caption = true, minBox = true, maxBox = true;
        bool messageBar = false;     // the message bar with clock and date (added by the bars)
    };
    explicit TWINDOW(const NewArgs& a);
    TWINDOW(const TWINDOW&) = delete;
    TWINDOW& operator=(const TWINDOW&) = delete;
    virtual ~TWINDOW();

    // ACTIVATE of the main window: shows it, runs init, then the event loop
    // until the window is closed; an exception kept from an event is thrown
    // again here.
    struct ActivateArgs {
        std::string show = "NORMAL"; // "HIDDEN", "NORMAL", "ICONIZED", "MAXIMIZED"
        WindowBlock init;            // once, after the window is shown
        ValidBlock valid;            // asked before the window may close
    };
    void ACTIVATE(const ActivateArgs& a);
    void ACTIVATE() { ACTIVATE(ActivateArgs{}); }
    // The main window: closes it (through BVALID).
    virtual bool END();

    // The main window, default owner of windows created without one.
    static TWINDOW* mainWindow();
    // True while the main window's event loop runs.
    static bool mainLoopRunning();

    // ---- fields --------------------------------------------------------
    QWidget* HWND = nullptr;
    std::string CCAPTION;
    int NTOP = 0, NLEFT = 0, NBOTTOM = 0, NRIGHT = 0;
    std::vector<std::shared_ptr<TCONTROL>> ACONTROLS;
    TWINDOW* OWND = nullptr;
    std::shared_ptr<TMENU> OMENU;
    std::shared_ptr<TBAR> OBAR;
    std::shared_ptr<TMSGBAR> OMSGBAR;
    std::shared_ptr<TFONT> OFONT;
    std::string OICON;
    int NCLRTEXT = -1, NCLRPANE = -1; // -1: the system colour
    int NID = 0;
    std::string CVARNAME, CMSG, CTOOLTIP;
    bool LACTIVE = true, LVISIBLE = true, LFOCUSED = false;
    WhenBlock BWHEN;
    ValidBlock BVALID;
    InitBlock BINIT;
    FocusBlock BGOTFOCUS, BLOSTFOCUS;
    KeyDownBlock BKEYDOWN;
    KeyCharBlock BKEYCHAR;
    WindowBlock BLCLICKED, BRCLICKED, BMOVED, BRESIZED;
    std::function<void(QPainter&, TWINDOW&)> BPAINTED;

    // ---- operations common to all windows ------------------------------
    virtual void REFRESH();
    virtual void SETFOCUS();
    void ENABLE();
    void DISABLE();
    void SHOW();
    void HIDE();
    void MOVE(int top, int left, int width, int height);
    void SETSIZE(int width, int height);
    void CENTER();
    std::string CTITLE() const;
    void CTITLE(const std::string& text);
    void SETTEXT(const std::string& text) { CTITLE(text); }

    // Keeps NTOP..NRIGHT in step with the widget's geometry.
    void syncGeometry();
    // Takes the exception of an event when no dialog is open (runEvent).
    void keepException(std::exception_ptr e);

protected:
    TWINDOW() = default;
    // Shows CCAPTION on the widget: a window title, a control's caption.
    virtual void applyCaption();

private:
    std::exception_ptr pending_;
    bool loopRunning_ = false;
    class EventLoopHolder;
};

} // namespace velt
