// TWINDOW: common operations and the main window.
#include "ui/window.h"

#include "ui/bar.h"
#include "ui/control.h"
#include "ui/menu.h"
#include "ui/msgbar.h"
#include "ui/registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>

namespace velt {

namespace {

TWINDOW* g_main = nullptr;
bool g_mainLoop = false;

// The main window's widget: closing asks BVALID through the event wrapper.
class VMainWindow : public QMainWindow {
public:
    explicit VMainWindow(TWINDOW* w) : w_(w) {}

protected:
    void closeEvent(QCloseEvent* e) override
    {
        bool ok = true;
        runEvent([&] { ok = !w_->BVALID || w_->BVALID(*w_); });
        if (ok) e->accept(); else e->ignore();
    }
    void moveEvent(QMoveEvent* e) override
    {
        QMainWindow::moveEvent(e);
        w_->syncGeometry();
        if (w_->BMOVED) runEvent([&] { w_->BMOVED(*w_); });
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QMainWindow::resizeEvent(e);
        w_->syncGeometry();
        if (w_->BRESIZED) runEvent([&] { w_->BRESIZED(*w_); });
    }

private:
    TWINDOW* w_;
};

} // namespace

TWINDOW::TWINDOW(const NewArgs& a)
{
    installFontSubstitutions();
    NTOP = a.top; NLEFT = a.left; NBOTTOM = a.bottom; NRIGHT = a.right;
    CCAPTION = a.title;
    OMENU = a.menu;
    OICON = a.icon;
    NCLRTEXT = a.clrText;
    NCLRPANE = a.clrPane;
    auto* mw = new VMainWindow(this);
    mw->setAttribute(Qt::WA_DeleteOnClose);
    mw->setGeometry(NLEFT, NTOP, NRIGHT - NLEFT, NBOTTOM - NTOP);
    Qt::WindowFlags f = Qt::Window;
    if (a.caption) f |= Qt::WindowTitleHint;
    if (a.sysMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (a.minBox) f |= Qt::WindowMinimizeButtonHint;
    if (a.maxBox) f |= Qt::WindowMaximizeButtonHint;
    mw->setWindowFlags(f);
    HWND = mw;
    registerWindow(mw, this);
    applyCaption();
    QObject::connect(mw, &QObject::destroyed, [this, mw] {
        unregisterWindow(mw);
        if (HWND == mw) HWND = nullptr;
    });
    g_main = this;
    // The window's furniture: menu bar, icon, message bar (the bars' classes).
    if (OMENU) OMENU->ACTIVATE(*this);
    if (!OICON.empty()) mw->setWindowIcon(QIcon(QString(":/bitmaps/%1.png").arg(QString::fromStdString(OICON))));
    if (a.messageBar) TMSGBAR::NEW(*this, "", true, true, true);
}

TWINDOW::~TWINDOW()
{
    if (g_main == this) g_main = nullptr;
    if (HWND && HWND->isWindow() && windowFromHandle(HWND) == this) {
        // Only the main window owns a top-level widget here; dialogs and
        // controls clear HWND before they go.
        QWidget* w = HWND;
        HWND = nullptr;
        unregisterWindow(w);
        QObject::disconnect(w, &QObject::destroyed, nullptr, nullptr);
        delete w;
    }
}

TWINDOW* TWINDOW::mainWindow() { return g_main; }
bool TWINDOW::mainLoopRunning() { return g_mainLoop; }

void TWINDOW::keepException(std::exception_ptr e)
{
    if (!pending_) pending_ = e;
    // The window goes without asking BVALID; its destruction ends the loop.
    if (HWND) HWND->deleteLater();
}

void TWINDOW::ACTIVATE(const ActivateArgs& a)
{
    BVALID = a.valid;
    for (auto& c : std::vector(ACONTROLS))
        if (c->BWHEN) c->BWHEN() ? c->ENABLE() : c->DISABLE();
    if (OBAR) OBAR->EVALWHENS();
    QPointer<QWidget> w = HWND;
    if (!w) return;
    if (a.show == "MAXIMIZED") w->showMaximized();
    else if (a.show == "ICONIZED") w->showMinimized();
    else if (a.show != "HIDDEN") w->show();
    LVISIBLE = a.show != "HIDDEN";
    if (a.init) a.init(*this);
    if (w && !pending_) {
        QEventLoop loop;
        QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
        bool outer = g_mainLoop;
        g_mainLoop = true;
        loop.exec();
        g_mainLoop = outer;
    }
    LVISIBLE = false;
    if (pending_) {
        auto e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }
}

bool TWINDOW::END()
{
    if (!HWND) return true;
    QPointer<QWidget> w = HWND;
    w->close();
    return w.isNull() || !w->isVisible();
}

void TWINDOW::REFRESH()
{
    if (HWND) HWND->update();
}

void TWINDOW::SETFOCUS()
{
    if (HWND) HWND->setFocus(Qt::OtherFocusReason);
}

void TWINDOW::ENABLE()
{
    LACTIVE = true;
    if (HWND) HWND->setEnabled(true);
}

void TWINDOW::DISABLE()
{
    LACTIVE = false;
    if (HWND) HWND->setEnabled(false);
}

void TWINDOW::SHOW()
{
    LVISIBLE = true;
    if (HWND) HWND->show();
}

void TWINDOW::HIDE()
{
    LVISIBLE = false;
    if (HWND) HWND->hide();
}

void TWINDOW::MOVE(int top, int left, int width, int height)
{
    NTOP = top; NLEFT = left; NBOTTOM = top + height; NRIGHT = left + width;
    if (HWND) HWND->setGeometry(left, top, width, height);
}

void TWINDOW::SETSIZE(int width, int height)
{
    NBOTTOM = NTOP + height; NRIGHT = NLEFT + width;
    if (HWND) HWND->resize(width, height);
}

void TWINDOW::CENTER()
{
    if (!HWND) return;
    QRect area;
    if (QWidget* p = HWND->isWindow() ? nullptr : HWND->parentWidget()) area = p->rect();
    else if (QScreen* s = QGuiApplication::primaryScreen()) area = s->availableGeometry();
    QRect r = HWND->frameGeometry();
    r.moveCenter(area.center());
    HWND->move(r.topLeft());
    syncGeometry();
}

std::string TWINDOW::CTITLE() const { return CCAPTION; }

void TWINDOW::CTITLE(const std::string& text)
{
    CCAPTION = text;
    applyCaption();
}

void TWINDOW::applyCaption()
{
    if (HWND && HWND->isWindow()) HWND->setWindowTitle(QString::fromStdString(CCAPTION));
}

void TWINDOW::syncGeometry()
{
    if (!HWND) return;
    QRect g = HWND->geometry();
    NTOP = g.top(); NLEFT = g.left(); NBOTTOM = g.top() + g.height(); NRIGHT = g.left() + g.width();
}

} // namespace velt
