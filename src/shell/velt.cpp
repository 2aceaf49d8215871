// Entry point of VELT.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("VELT - Gestione Articoli"));
    w.showMaximized();
    return app.exec();
}
