// TBAR: layout and painting of the button bar.
#include "ui/bar.h"

#include "ui/btnbmp.h"
#include "ui/msgbar.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QEvent>
#include <QMainWindow>
#include <QPainter>
#include <QPalette>
#include <QPointer>

#include <algorithm>

namespace velt {

namespace {
constexpr int kBarFace = rgbColor(244, 244, 245);
}

// The painted strip.
class TBAR::Widget : public QWidget {
public:
    Widget(TBAR* bar, QWidget* parent) : QWidget(parent), bar_(bar) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), toQColor(kBarFace));
        const QColor shadow = toQColor(GETSYSCOLOR(syscolor::BTNSHADOW));
        const QColor light = toQColor(GETSYSCOLOR(syscolor::BTNHIGHLIGHT));
        const auto btns = bar_->buttons();
        for (size_t i = 1; i < btns.size(); ++i) {
            if (!btns[i]->LGROUP) continue;
            const int at = bar_->buttonOffset(i) - 4;
            const int from = 2, to = bar_->thickness() - 3;
            if (bar_->vertical()) {
                p.fillRect(from, at, to - from + 1, 1, shadow);
                p.fillRect(from, at + 1, to - from + 1, 1, light);
            } else {
                p.fillRect(at, from, 1, to - from + 1, shadow);
                p.fillRect(at + 1, from, 1, to - from + 1, light);
            }
        }
        if (bar_->BPAINTED) {
            TBAR* b = bar_;
            runEvent([&] { b->BPAINTED(p, *b); });
        }
    }
    void enterEvent(QEnterEvent*) override
    {
        if (TWINDOW* w = bar_->OWND) runEvent([w] { SETMSG(*w, w->CMSG); });
    }

private:
    TBAR* bar_;
};

// Follows the client area's size.
class TBAR::Watcher : public QObject {
public:
    Watcher(TBAR* bar, QObject* parent) : QObject(parent), bar_(bar) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::LayoutRequest) bar_->ADJUST();
        return false;
    }

private:
    TBAR* bar_;
};

QWidget* CLIENTAREA(TWINDOW& window)
{
    QWidget* w = window.HWND;
    auto* mw = qobject_cast<QMainWindow*>(w);
    if (!mw) return w;
    if (!mw->centralWidget()) {
        auto* c = new QWidget(mw);
        // The area between the bars shows the window's background colour.
        if (window.NCLRPANE >= 0) {
            QPalette pal = c->palette();
            pal.setColor(QPalette::Window, toQColor(window.NCLRPANE));
            c->setPalette(pal);
            c->setAutoFillBackground(true);
        }
        mw->setCentralWidget(c);
    }
    return mw->centralWidget();
}

bool hasMenuBar(const TWINDOW& window)
{
    if (window.OMENU) return true;
    auto* mw = qobject_cast<QMainWindow*>(window.HWND);
    return mw && mw->menuWidget();
}

std::shared_ptr<TBAR> TBAR::NEW(TWINDOW& window, int width, int height, std::string mode, std::string cursor,
                                bool border, int barHeight)
{
    auto b = std::shared_ptr<TBAR>(new TBAR());
    b->OWND = &window;
    b->NBTNWIDTH = width;
    b->NBTNHEIGHT = height;
    b->CMODE = mode.empty() ? "TOP" : mode;
    b->CCURSOR = std::move(cursor);
    b->LBORDER = border;
    b->NBARHEIGHT = barHeight < 0 ? height : barHeight;
    b->OFONT = std::make_shared<TFONT>(GETSYSFONT(), 12);
    window.OBAR = b;
    if (QWidget* area = window.HWND ? CLIENTAREA(window) : nullptr) {
        QWidget* w = new Widget(b.get(), area);
        b->HWND = w;
        registerWindow(w, b.get());
        QObject::connect(w, &QObject::destroyed, [raw = b.get(), w] {
            unregisterWindow(w);
            if (raw->HWND == w) raw->HWND = nullptr;
        });
        b->watcher_ = new Watcher(b.get(), w);
        area->installEventFilter(b->watcher_);
        b->ADJUST();
        w->show();
        w->raise();
    }
    return b;
}

TBAR::~TBAR()
{
    if (HWND) {
        QWidget* w = HWND;
        HWND = nullptr;
        QObject::disconnect(w, &QObject::destroyed, nullptr, nullptr);
        unregisterWindow(w);
        for (TBTNBMP* btn : buttons())
            if (btn->HWND) {
                QObject::disconnect(btn->HWND, &QObject::destroyed, nullptr, nullptr);
                unregisterWindow(btn->HWND);
                btn->HWND = nullptr;
            }
        delete w;
    }
}

std::vector<TBTNBMP*> TBAR::buttons() const
{
    std::vector<TBTNBMP*> out;
    for (const auto& c : ACONTROLS)
        if (auto* b = dynamic_cast<TBTNBMP*>(c.get())) out.push_back(b);
    return out;
}

int TBAR::buttonOffset(size_t i) const
{
    const auto btns = buttons();
    int at = 0;
    for (size_t k = 0; k < btns.size() && k <= i; ++k) {
        if (k > 0) at += (vertical() ? NBTNHEIGHT : NBTNWIDTH + btns[k - 1]->extraWidth());
        if (k > 0 && btns[k]->LGROUP) at += NGROUPSEP;
    }
    return at;
}

void TBAR::ADD(std::shared_ptr<TBTNBMP> btn, int position)
{
    btn->OWND = this;
    btn->OBARPARENT = this;
    auto at = ACONTROLS.end();
    if (position > 0 && size_t(position) <= ACONTROLS.size()) at = ACONTROLS.begin() + (position - 1);
    TBTNBMP* raw = btn.get();
    ACONTROLS.insert(at, std::move(btn));
    NGROUPS = int(std::count_if(ACONTROLS.begin(), ACONTROLS.end(), [](const auto& c) {
        auto* b = dynamic_cast<TBTNBMP*>(c.get());
        return b && b->LGROUP;
    }));
    if (HWND) {
        QWidget* w = raw->makeWidget(HWND);
        w->show();
    }
    ADJUST();
}

void TBAR::DEL(TBTNBMP* btn)
{
    auto it = std::find_if(ACONTROLS.begin(), ACONTROLS.end(), [btn](const auto& c) { return c.get() == btn; });
    if (it == ACONTROLS.end()) return;
    std::shared_ptr<TCONTROL> keep = *it;
    ACONTROLS.erase(it);
    if (QWidget* w = btn->HWND) {
        btn->HWND = nullptr;
        QObject::disconnect(w, &QObject::destroyed, nullptr, nullptr);
        unregisterWindow(w);
        w->deleteLater();
    }
    ADJUST();
}

void TBAR::ADJUST()
{
    if (!HWND || !OWND) return;
    QWidget* area = HWND->parentWidget();
    if (!area) return;
    const int cw = area->width(), ch = area->height();
    const int top = hasMenuBar(*OWND) ? 0 : -1;
    const int t = thickness();
    int below = 0; // a bottom bar stands on the message bar
    if (OWND->OMSGBAR) below = OWND->OMSGBAR->height();
    QRect r;
    if (CMODE == "BOTTOM") r = QRect(-1, ch - below - t, cw + 3, t);
    else if (CMODE == "LEFT") r = QRect(-1, top, t, ch - top - below);
    else if (CMODE == "RIGHT") r = QRect(cw - t + 1, top, t, ch - top - below);
    else r = QRect(-1, top, cw + 3, t);
    HWND->setGeometry(r);
    syncGeometry();
    const auto btns = buttons();
    for (size_t i = 0; i < btns.size(); ++i) {
        TBTNBMP* b = btns[i];
        const int at = buttonOffset(i);
        const int w = NBTNWIDTH + 1 + b->extraWidth(), h = NBTNHEIGHT + 1;
        if (vertical()) b->MOVE(at, -1, w, h);
        else b->MOVE(-1, at, w, h);
    }
    HWND->update();
}

void TBAR::EVALWHENS()
{
    for (TBTNBMP* b : buttons())
        if (b->BWHEN) b->BWHEN() ? b->ENABLE() : b->DISABLE();
}

QWidget* TBAR::createWidget(QWidget* parent, const TemplateItem&)
{
    // A bar is made by NEW on its window, not from a template: an empty strip.
    return new Widget(this, parent);
}

} // namespace velt
