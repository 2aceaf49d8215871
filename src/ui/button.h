#pragma once
// TBUTTON: the push button of the templates.
//
//   TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.CARGO = 1; dlg.END(1); }, dlg);
//
// A click (mouse, Enter or space on the button, its Alt mnemonic, or CLICK
// from code) is ignored while the button's own action runs and while its
// BWHEN returns false; otherwise the focus first moves to the button (so the
// field being edited writes its value), the action runs, and unless this is
// a cancel button or the dialog has ended the dialog's when callbacks are
// evaluated again.
#include "ui/control.h"

#include <source_location>

namespace velt {

class TBUTTON : public TCONTROL {
public:
    using Action = std::function<void(TBUTTON&)>;

    static TBUTTON* REDEFINE(int id, Action action, TDIALOG& dialog, const std::string& message = {},
                             WhenBlock when = {}, ValidBlock valid = {},
                             std::optional<std::string> caption = std::nullopt, bool cancel = false,
                             std::source_location where = std::source_location::current());

    Action BACTION;
    bool LCANCEL = false;

    void CLICK() override;

    const char* className() const override { return "TBUTTON"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    EnterKey enterKey() const override { return EnterKey::Press; }
    bool filterKey(QKeyEvent& e) override;

protected:
    void applyCaption() override;

private:
    bool running_ = false;
};

} // namespace velt
