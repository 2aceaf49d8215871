#pragma once
// Installs the scripted message boxes, file dialogs, recorded tones, shell
// and program end for the lifetime of the object, and gives the test typed
// access to them. The previous services come back on destruction.
//   ScriptedServices s;
//   s.boxes().answer(MsgButton::Yes);
//   ... run the command ...
//   EXPECT_EQ(s.boxes().shown()[0].text, "Confermi la cancellazione?");
#include "platform/filedialogs.h"
#include "platform/msgboxes.h"
#include "platform/process_exit.h"
#include "platform/shellopen.h"
#include "platform/tones.h"

namespace velt::platform {

class ScriptedServices {
public:
    ScriptedServices();
    ~ScriptedServices();
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;

    ScriptedMessageBoxes& boxes() { return *boxes_; }
    ScriptedFileDialogs& files() { return *files_; }
    RecordedTones& tones() { return *tones_; }
    RecordedShell& shell() { return *shell_; }
    RecordedProgramEnd& end() { return *end_; }
    const ScriptedMessageBoxes& boxes() const { return *boxes_; }
    const ScriptedFileDialogs& files() const { return *files_; }
    const RecordedTones& tones() const { return *tones_; }
    const RecordedShell& shell() const { return *shell_; }
    const RecordedProgramEnd& end() const { return *end_; }

private:
    std::unique_ptr<MessageBoxes> oldBoxes_;
    std::unique_ptr<FileDialogs> oldFiles_;
    std::unique_ptr<Tones> oldTones_;
    std::unique_ptr<Shell> oldShell_;
    std::unique_ptr<ProgramEnd> oldEnd_;
    // Declared after the old services: the constructor fills those first.
    ScriptedMessageBoxes* boxes_;
    ScriptedFileDialogs* files_;
    RecordedTones* tones_;
    RecordedShell* shell_;
    RecordedProgramEnd* end_;
};

} // namespace velt::platform
