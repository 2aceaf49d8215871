#pragma once
// Installs the real platform services the program uses at start-up:
// QMessageBox message boxes, QFileDialog file dialogs, ALSA tones, xdg-open /
// xdg-email and the real program end. Called once by the shell after the
// QApplication exists. Tests never call it.
namespace velt::platform {
void installRealServices();
} // namespace velt::platform
