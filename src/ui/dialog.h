#pragma once
// TDIALOG: a modal dialog built from a template (or in code), its lifecycle
// from ACTIVATE to END, the keyboard common to all dialogs, the standard
// valid callback __VALID and the helpers ITEM, CTL and REFRESHALL.
//
//   Value desc = std::string(30, ' '), prezzo = 0.0;
//   TDIALOG dlg({.caption = "Articolo", .resName = "ARTICOLO"});
//   auto modified = [&](int, int, TWINDOW&) { dlg.LMODIFY = true; };
//   TGET::REDEFINE(101, bindVar(desc), dlg, {.change = modified});
//   TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
//   TBUTTON::REDEFINE(202, [&](TBUTTON&) { dlg.CARGO = 2; dlg.END(); }, dlg);
//   dlg.ACTIVATE({.centered = true, .valid = [&](TWINDOW&) { return __VALID(dlg, true); },
//                 .resize16 = true});
//   if (dlg.NRESULT == 1) ... // confirmed
//
// While a dialog is active NRESULT is 0 and the control that last received
// the focus is focusedControl().
#include "ui/control.h"
#include "ui/template.h"
#include "ui/window.h"

#include <cstdint>
#include <memory>
#include <optional>

class QDialog;
class QRect;

namespace velt {

class TDIALOG : public TWINDOW {
public:
    // TDIALOG():NEW, positional arguments by name.
    struct NewArgs {
        int top = 0, left = 0, bottom = 600, right = 800; // dialogs without template
        std::optional<std::string> caption;               // replaces the template's title
        std::string resName;                              // template name; "" = built in code
        std::string module;                               // where templates are looked up
        std::optional<uint32_t> style;                    // dialogs built in code
        int clrText = -1, clrPane = -1;                   // -1: button text / button face
        void* brush = nullptr;                            // background (the pane colour)
        TWINDOW* owner = nullptr;
        std::string icon;
        std::shared_ptr<TFONT> font;                      // default: the template's font
        int width = 0, height = 0;                        // replace NRIGHT, NBOTTOM
        bool transparent = false;
        void* gradient = nullptr;
        bool resizable = false;
    };
    explicit TDIALOG(const NewArgs& a);
    TDIALOG(const std::string& caption, const std::string& resName, TWINDOW* owner = nullptr);
    ~TDIALOG() override;

    struct ActivateArgs {
        WindowBlock lClicked;
        WindowBlock moved;
        std::function<void(QPainter&, TWINDOW&)> painted;
        bool centered = false;
        ValidBlock valid;
        bool modal = true;
        InitBlock init;
        WindowBlock rClicked;
        WhenBlock when;
        bool resize16 = false;
        bool centerInWnd = false;
    };
    // Shows the dialog; a modal one returns when it has ended.
    void ACTIVATE(const ActivateArgs& a);
    void ACTIVATE() { ACTIVATE(ActivateArgs{}); }
    // Ends the dialog with result (through BVALID); false when BVALID refused.
    // END() is END(2).
    bool END(int result);
    bool END() override { return END(2); }

    // ---- fields --------------------------------------------------------
    std::string CRESNAME;
    bool LMODIFY = false, LMODAL = true, LCENTERED = false, LCENTERINWND = false, LRESIZE16 = false;
    Value CARGO;      // 1 or 2 from the forms' closing buttons; cleared by each confirm
    int NRESULT = 0;  // how the dialog ended: 1 confirmed, 2 (or 0) not

    // The control that last received the focus while the dialog is active.
    TCONTROL* focusedControl() const { return focused_; }
    // Dialogs being shown now (class-wide), and the innermost of them.
    static int shownCount();
    static TDIALOG* innermost();

    // ---- toolkit ---------------------------------------------------------
    const DialogTemplate* templ() const { return templ_ ? &*templ_ : nullptr; }
    QDialog* qdialog() const;
    const DialogUnits& units() const { return units_; }
    void evalWhens();
    // Controls in template order (tab order); code-made ones follow.
    std::vector<TCONTROL*> templateOrder() const;
    // The default push button of the template, if one is bound.
    TCONTROL* defaultButton() const;
    // Moves the focus to the next (previous) control, as Tab does.
    void focusNext(bool forward = true);
    // The red two-pixel mark under a control while a check message shows.
    void markUnder(TCONTROL& c);
    void clearMark();
    // Ends the dialog at once, without BVALID, keeping the exception for
    // ACTIVATE to throw again (runEvent).
    void abortWith(std::exception_ptr e);
    // Ends the dialog at once with NRESULT 2, without BVALID (the test
    // harness when a script runs out).
    void forceEnd();
    bool ended() const { return ended_; }
    // Called by the controls' focus handling.
    void noteFocus(TCONTROL* c) { focused_ = c; }
    // The key-down memory of the dialog (cleared by ACTIVATE).
    int lastKey() const { return lastKey_; }
    void setLastKey(int k) { lastKey_ = k; }

    // Tests: called each time a dialog has been shown (its event loop is
    // about to run or runs); nullptr removes it.
    static void setShownHook(std::function<void(TDIALOG&)> hook);

protected:
    void applyCaption() override;

private:
    friend class VDialog;
    void build(const ActivateArgs& a);
    void placeControls();
    QRect itemRect(const TemplateItem& it) const;
    void centre();
    void teardown();
    void closeNow(int result);
    void shown();

    std::optional<DialogTemplate> templ_;
    std::optional<std::string> captionArg_;
    std::optional<uint32_t> style_;
    bool resizable_ = false;
    DialogUnits units_;
    TCONTROL* focused_ = nullptr;
    std::exception_ptr pending_;
    bool ended_ = false;
    bool inExec_ = false;
    int lastKey_ = 0;
    QWidget* mark_ = nullptr;
    std::vector<std::pair<TemplateItem, QWidget*>> plain_; // unbound items
};

// The standard valid callback of dialogs: cancel and confirm rules.
bool __VALID(TDIALOG& dialog, bool ask);
// The first control of ACONTROLS with that NID, or nullptr.
TCONTROL* ITEM(TDIALOG& dialog, int id);
// ACONTROLS[index] counting from 1, or nullptr when the list is shorter.
TCONTROL* CTL(TDIALOG& dialog, int index);
// The first control whose CVARNAME begins with key (case-sensitive); controls
// without a variable name never match.
TCONTROL* CTL(TDIALOG& dialog, const std::string& key);
inline TCONTROL* CTL(TDIALOG& dialog, const char* key) { return CTL(dialog, std::string(key)); }
// Redisplays every control whose shown text no longer matches its value;
// a call made while another runs returns at once.
void REFRESHALL(TDIALOG& dialog);

} // namespace velt
