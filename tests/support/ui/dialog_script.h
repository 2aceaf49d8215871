#pragma once
// Scripted dialogs for tests: what the user does in the next dialogs that
// open, run by the real keyboard and mouse handling of the toolkit, headless.
//
//   velt::test::UiScript ui;                        // one per test
//   ui.next().type(101, "abc").key("Tab").snapshot().click(201);  // first dialog
//   ui.next().key("Esc");                           // the dialog opened after (or from) it
//   ui.boxes().answer(velt::platform::MsgButton::No); // message boxes, in order
//   RUN_THE_COMMAND();
//   EXPECT_EQ(ui.messages().at(0).text, "Annullo le modifiche?");
//   EXPECT_EQ(ui.snapshots().at(0).focusId, 102);
//
// Each dialog takes the next script when it has been shown; the steps run once
// the dialog window is active. A dialog that opens without a script, or is
// still open when its steps are done, is a test failure and is ended (result
// 2) so the test never hangs. Message boxes are B's scripted boxes (answers
// queued on boxes(); an unexpected box throws ScriptError out of the command).
// Keys: "Tab", "Shift+Tab", "Enter", "Esc", "Space", "Up", "Down", "Left",
// "Right", "Home", "End", "Delete", "Backspace", "F1".."F12", "Alt+C",
// "Ctrl+V"; several separated by blanks ("Tab Tab Enter").
#include "platform/scripted.h"
#include "ui/dialog.h"

#include <QImage>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace velt::test {

// The test program's application (offscreen platform), made on first use.
QApplication& uiApp();

// tests/ui/templates: from VELT_TEST_SRC when set, else next to this file.
std::string testTemplatesDir();

struct ControlShot {
    int id = 0;
    std::string varname;
    std::string cls;      // "TGET", "TBUTTON", ...
    bool enabled = false;
    bool visible = false;
    std::string text;     // field text, label text or button caption
};

struct DialogShot {
    std::string title;
    int focusId = 0;      // NID of the control with the focus, 0 for none
    std::vector<ControlShot> controls;
    const ControlShot& at(int id) const; // fails the test when missing
};

class DialogActions {
public:
    using Step = std::function<void(TDIALOG&)>;
    // Moves the focus to the control (as Tab would, so its text is selected)
    // and types text into it, character by character.
    DialogActions& type(int id, const std::string& text);
    DialogActions& type(const std::string& varname, const std::string& text);
    // Types into the control that has the focus.
    DialogActions& typeHere(const std::string& text);
    DialogActions& key(const std::string& keys);
    // A mouse click on the control with that id.
    DialogActions& click(int id);
    DialogActions& snapshot();
    // Any other step (checks, code the test runs while the dialog is open).
    DialogActions& then(Step step);

private:
    friend class UiScript;
    std::vector<Step> steps_;
    class UiScript* owner_ = nullptr;
};

class UiScript {
public:
    UiScript();
    ~UiScript();
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // The script of the next dialog that opens (in opening order).
    DialogActions& next();

    platform::ScriptedServices& services() { return services_; }
    platform::ScriptedMessageBoxes& boxes() { return services_.boxes(); }
    // Every message box shown, in order (kind, title, text).
    const std::vector<platform::MessageBoxRequest>& messages() const;
    // The innermost dialog as it looked while each message box was shown.
    const std::vector<QImage>& messageGrabs() const { return grabs_; }
    const std::vector<DialogShot>& snapshots() const { return shots_; }
    int dialogsShown() const { return shown_; }

    // A snapshot of a dialog now (also usable from a then() step).
    static DialogShot shoot(TDIALOG& d);

private:
    friend class DialogActions;
    void run(TDIALOG& d);

    platform::ScriptedServices services_;
    std::deque<std::unique_ptr<DialogActions>> scripts_;
    std::vector<DialogShot> shots_;
    std::vector<QImage> grabs_;
    std::unique_ptr<platform::MessageBoxes> previousBoxes_;
    int shown_ = 0;
};

// The widget of a control, for tests that look closer.
QWidget* widgetOf(TDIALOG& d, int id);

} // namespace velt::test
