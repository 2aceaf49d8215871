#pragma once
// TCONTROL: the base of every control bound to a dialog (edit fields,
// buttons, labels, browses, combo boxes ...).
//
// A control class binds with its REDEFINE (which ends in bind()), creates
// its widget when the dialog is shown (createWidget), and may override the
// hooks below; the dialog drives focus, keys, when callbacks and the confirm
// checks through them. The dialog owns the control; HWND is the control's
// widget while the dialog is shown.
#include "ui/template.h"
#include "ui/window.h"

#include <optional>
#include <source_location>
#include <string>

class QKeyEvent;

namespace velt {

class TDIALOG;

class TCONTROL : public TWINDOW {
public:
    // ---- fields (besides those of TWINDOW) -----------------------------
    SetGet BSETGET;   // get/set callback of the bound variable
    ChangeBlock BCHANGE;
    // The control's valid callback: run only when the dialog is confirmed.
    std::function<bool(TCONTROL&)> CARGO;

    Value VARGET() const;          // nothing without BSETGET
    void VARPUT(const Value& v);   // ignored without BSETGET

    // The owning dialog (OWND).
    TDIALOG* dialog() const;
    // Where the form bound the control (for the binding error messages).
    const std::source_location& boundAt() const { return where_; }
    // The template item the control is attached to (while shown).
    const TemplateItem* item() const { return item_; }

    // ---- operations ----------------------------------------------------
    // A control's click: ends by evaluating the when callbacks of its dialog.
    virtual void CLICK();
    // Focus here if BWHEN allows, else on the next control in template order
    // that allows it (wrapping around).
    void SETFOCUS() override;
    // Removes the control from its dialog's ACONTROLS.
    bool END() override;
    // The when callback allows the control (true without one).
    bool whenAllows() const { return !BWHEN || BWHEN(); }

    // ---- hooks for the control classes ---------------------------------
    virtual const char* className() const = 0;
    // Makes the native widget for the template item, as a child of parent.
    virtual QWidget* createWidget(QWidget* parent, const TemplateItem& item) = 0;
    // Class initialisation once attached (edit fields show their value...).
    virtual void classInit() {}
    // TSAY labels are skipped by the confirm checks.
    virtual bool isLabel() const { return false; }
    // Before the confirm checks (combo boxes write the text they show).
    virtual void beforeCheck() {}
    // Confirm check of the class ("Data non valida.", "Numero troppo grande.").
    virtual std::optional<std::string> checkFailure() const { return std::nullopt; }
    // REFRESHALL: redisplay when the shown text no longer matches the value.
    virtual void refreshIfStale() { REFRESH(); }
    // What Enter does on this control.
    enum class EnterKey { NextThenDefault, Press, DefaultOrNext, Own };
    virtual EnterKey enterKey() const { return EnterKey::DefaultOrNext; }
    // The class's own key handling after the dialog's; true when consumed.
    virtual bool filterKey(QKeyEvent&) { return false; }

    // Focus handling common to all controls: LFOCUSED, the dialog notes the
    // control, BGOTFOCUS / BLOSTFOCUS run. The classes extend them.
    virtual void gotFocus(TWINDOW* other);
    virtual void lostFocus(TWINDOW* other);
    // Gives the control the keyboard focus; when its widget already has it
    // (after the confirm checks told it to lose it) the got-focus handling
    // runs again.
    void takeFocus();

    // Called by the dialog: the widget is made / goes away.
    void attached(const TemplateItem* item, QWidget* w);
    void detached();

    // The class-wide id counter for controls created in code: 101, 102 ...
    // and after 30000 on from 100.
    static int nextId();
    static void resetIdCounter(); // tests

protected:
    TCONTROL() = default;
    // Stores the id (a new one from the counter when 0), enters the control
    // in the dialog's ACONTROLS; a duplicate id ends the program.
    void bind(TDIALOG& d, int id, std::source_location where);

private:
    std::source_location where_;
    const TemplateItem* item_ = nullptr;
};

// The routine name of a source location ("ARTICOLI" of "void ARTICOLI()").
std::string routineName(const std::source_location& where);

// A form definition error ("Duplicate id ...", "Id not found: ...",
// "Resource not found: ..."): the message (kind 1), then the program ends.
// Under tests the end is recorded and velt::Abandon is thrown.
[[noreturn]] void formDefinitionError(const std::string& message);

// The native widget of a template item nothing is bound to.
QWidget* makeItemWidget(QWidget* parent, const TemplateItem& item);

} // namespace velt
