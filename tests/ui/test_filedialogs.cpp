// The real file dialogs, driven offscreen by a timer: title, filter, the
// proposed name, and the chosen path or nothing.
#include "platform/qt/qtmsgboxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>

using namespace velt::platform;

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_filedialogs";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// Plays the user on the next file dialog: records what it shows, then
// accepts `file` (or cancels when empty).
struct User {
    QString title, filter, proposed;
    bool seen = false;
    QTimer t;
    explicit User(const QString& file)
    {
        t.setInterval(10);
        QObject::connect(&t, &QTimer::timeout, [this, file] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || seen) return;
            seen = true;
            title = d->windowTitle();
            filter = d->selectedNameFilter();
            QStringList sel = d->selectedFiles();
            proposed = sel.isEmpty() ? QString() : QFileInfo(sel.first()).fileName();
            if (file.isEmpty()) {
                d->reject();
            } else {
                d->selectFile(file);
                QMetaObject::invokeMethod(d, "accept");
            }
        });
        t.start();
    }
};
} // namespace

TEST(QtFileDialogs, SaveProposesTheNameAndReturnsTheChoice)
{
    app();
    const std::string dir = std::filesystem::temp_directory_path().string();
    FileDialogRequest r{true, "Salva in", dir, "Listino.pdf", {{"File PDF", {"*.pdf"}}}};
    {
        User u(QString::fromStdString(dir + "/scelto.pdf"));
        std::optional<std::string> got = QtFileDialogs().choose(r);
        ASSERT_TRUE(u.seen);
        EXPECT_EQ(u.title, "Salva in");
        EXPECT_EQ(u.filter, "File PDF (*.pdf)");
        EXPECT_EQ(u.proposed, "Listino.pdf");
        ASSERT_TRUE(got);
        EXPECT_EQ(std::filesystem::path(*got).filename(), "scelto.pdf");
    }
    {
        User u("");
        EXPECT_EQ(QtFileDialogs().choose(r), std::nullopt);
        EXPECT_TRUE(u.seen);
    }
}
