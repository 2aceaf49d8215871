// Entry point of VELT: the application object, the real platform services,
// process initialisation in the data directory (the working directory), then
// MAIN until the main window is closed, and the end of the program (whose
// exit routine closes the tables and removes the private directory).
#include "platform/fs.h"
#include "platform/process_exit.h"
#include "platform/qt/realservices.h"
#include "shell/app/mainwnd.h"
#include "shell/app/startup.h"
#include "ui/errorsys.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELT"));
    velt::platform::installRealServices();
    int code = 1;
    velt::RECOVER([&] {
        namespace fs = velt::platform::fs;
        velt::shell::PROCESSINIT(fs::currentDirectory(), fs::tempDirectory());
        code = velt::shell::MAIN();
    });
    velt::platform::endProgram(code);
    return code;
}
