#pragma once
// The real message boxes and file dialogs (Qt). Exposed so one test can drive
// a real QMessageBox offscreen; everything else goes through the services.
#include "platform/filedialogs.h"
#include "platform/msgboxes.h"

class QMessageBox;

namespace velt::platform {

class QtMessageBoxes : public MessageBoxes {
public:
    MsgButton show(const MessageBoxRequest& r) override;
};

// Builds (does not run) the box for a request: buttons with Italian captions,
// icon, initial button, parent = the active window. Caller owns the box.
QMessageBox* buildMessageBox(const MessageBoxRequest& r);

class QtFileDialogs : public FileDialogs {
public:
    std::optional<std::string> choose(const FileDialogRequest& r) override;
};

} // namespace velt::platform
