// TMSGBAR: the message bar with its indicator items.
#include "ui/msgbar.h"

#include "platform/clock.h"
#include "platform/keylocks.h"
#include "ui/bar.h"
#include "ui/dialog.h"
#include "ui/gradient.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include <cstdio>

namespace velt {

namespace {
constexpr int kItemPad = 12;
constexpr int kTimerMs = 200;

// The browse header's two bands.
const std::vector<GradientBand>& bands()
{
    static const std::vector<GradientBand> b = {
        {0.5, rgbColor(254, 254, 255), rgbColor(232, 236, 246)},
        {0.5, rgbColor(212, 219, 237), rgbColor(222, 227, 244)},
    };
    return b;
}
} // namespace

std::string msgBarDate() { return platform::clock().today().toText(false); }

std::string msgBarTime()
{
    const long s = platform::clock().hundredths() / 100;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", (s / 3600) % 24, (s / 60) % 60, s % 60);
    return buf;
}

int TMSGITEM::colour() const
{
    if (LACTIVE) return NCLRTEXT >= 0 ? NCLRTEXT : GETSYSCOLOR(syscolor::WINDOWTEXT);
    return NCLRDISABLED >= 0 ? NCLRDISABLED : GETSYSCOLOR(syscolor::WINDOW);
}

class TMSGBAR::Widget : public QWidget {
public:
    Widget(TMSGBAR* bar, QWidget* parent) : QWidget(parent), bar_(bar) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int w = width(), h = height();
        GRADIENTFILL(p, 0, 0, h, w, bands());
        p.setFont(bar_->OFONT->qfont());
        p.setBackgroundMode(Qt::TransparentMode);
        const int textColour = bar_->NCLRTEXT >= 0 ? bar_->NCLRTEXT : GETSYSCOLOR(syscolor::WINDOWTEXT);
        const auto lefts = bar_->itemLefts();
        const int msgRight = lefts.empty() ? w : *std::min_element(lefts.begin(), lefts.end());
        p.setPen(toQColor(textColour));
        p.drawText(QRect(4, 0, msgRight - 4, h), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::fromStdString(bar_->shownMessage()));
        const QColor shadow = toQColor(GETSYSCOLOR(syscolor::BTNSHADOW));
        const QColor light = toQColor(GETSYSCOLOR(syscolor::BTNHIGHLIGHT));
        for (size_t i = 0; i < bar_->AITEMS.size(); ++i) {
            const TMSGITEM& it = *bar_->AITEMS[i];
            const int x = lefts[i];
            // sunken separator: shadow, then highlight on its right
            p.fillRect(x, 2, 1, h - 4, shadow);
            p.fillRect(x + 1, 2, 1, h - 4, light);
            p.setPen(toQColor(it.colour()));
            p.drawText(QRect(x + 2, 0, it.NWIDTH - 2, h), Qt::AlignCenter | Qt::TextSingleLine,
                       QString::fromStdString(it.text()));
        }
    }

private:
    TMSGBAR* bar_;
};

// Keeps the bar at the bottom; the mouse over the window's own area shows the
// window's CMSG.
class TMSGBAR::Watcher : public QObject {
public:
    Watcher(TMSGBAR* bar, QObject* parent) : QObject(parent), bar_(bar) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Resize) bar_->ADJUST();
        else if (e->type() == QEvent::Enter && bar_->OWND) {
            TWINDOW* w = bar_->OWND;
            runEvent([w] { velt::SETMSG(*w, w->CMSG); });
        }
        return false;
    }

private:
    TMSGBAR* bar_;
};

std::shared_ptr<TMSGBAR> TMSGBAR::NEW(TWINDOW& window, std::string defaultMsg, bool clock, bool date,
                                      bool keyboard, std::shared_ptr<TFONT> font, int clrText, int clrPane)
{
    auto m = std::shared_ptr<TMSGBAR>(new TMSGBAR());
    m->OWND = &window;
    m->CMSGDEF = std::move(defaultMsg);
    m->OFONT = font ? std::move(font) : std::make_shared<TFONT>(GETSYSFONT(), 12);
    m->NCLRTEXT = clrText;
    m->NCLRPANE = clrPane;
    window.OMSGBAR = m;
    if (QWidget* area = window.HWND ? CLIENTAREA(window) : nullptr) {
        QWidget* w = new Widget(m.get(), area);
        m->HWND = w;
        registerWindow(w, m.get());
        QObject::connect(w, &QObject::destroyed, [raw = m.get(), w] {
            unregisterWindow(w);
            if (raw->HWND == w) raw->HWND = nullptr;
        });
        m->watcher_ = new Watcher(m.get(), w);
        area->installEventFilter(m->watcher_);
        m->ADJUST();
        w->show();
        w->raise();
    }
    if (keyboard) m->KEYBOARD();
    if (date) m->DATE();
    if (clock) m->CLOCK();
    return m;
}

TMSGBAR::~TMSGBAR()
{
    if (timer_) {
        timer_->stop();
        delete timer_;
        timer_ = nullptr;
    }
    if (HWND) {
        QWidget* w = HWND;
        HWND = nullptr;
        QObject::disconnect(w, &QObject::destroyed, nullptr, nullptr);
        unregisterWindow(w);
        delete w;
    }
}

int TMSGBAR::height() const { return 2 * (OFONT ? OFONT->NHEIGHT : 12); }

int TMSGBAR::barWidth() const
{
    if (HWND) return HWND->width();
    return NRIGHT - NLEFT;
}

std::vector<int> TMSGBAR::itemLefts() const
{
    std::vector<int> out(AITEMS.size());
    int right = barWidth();
    for (size_t i = AITEMS.size(); i-- > 0;) {
        right -= AITEMS[i]->NWIDTH;
        out[i] = right;
    }
    return out;
}

TMSGITEM* TMSGBAR::ADDITEM(std::shared_ptr<TMSGITEM> item)
{
    item->OMSGBAR = this;
    if (item->BACTIVE) item->LACTIVE = item->BACTIVE();
    if (item->NWIDTH <= 0)
        item->NWIDTH = QFontMetrics(OFONT->qfont()).horizontalAdvance(QString::fromStdString(item->text())) + kItemPad;
    AITEMS.push_back(item);
    if (!timer_) {
        timer_ = new QTimer();
        timer_->setInterval(kTimerMs);
        QObject::connect(timer_, &QTimer::timeout, timer_, [this] { runEvent([this] { TICK(); }); });
        timer_->start();
    }
    if (HWND) HWND->update();
    return item.get();
}

TMSGITEM* TMSGBAR::KEYBOARD()
{
    auto num = std::make_shared<TMSGITEM>();
    num->CTEXT = "Num";
    num->BACTIVE = [] { return platform::keyLocks().num; };
    ADDITEM(num);
    auto caps = std::make_shared<TMSGITEM>();
    caps->CTEXT = "Caps";
    caps->BACTIVE = [] { return platform::keyLocks().caps; };
    return ADDITEM(caps);
}

TMSGITEM* TMSGBAR::DATE()
{
    auto d = std::make_shared<TMSGITEM>();
    d->BTEXT = msgBarDate;
    return ADDITEM(d);
}

TMSGITEM* TMSGBAR::CLOCK()
{
    auto c = std::make_shared<TMSGITEM>();
    c->BTEXT = msgBarTime;
    return ADDITEM(c);
}

void TMSGBAR::TICK()
{
    for (auto& it : AITEMS)
        if (it->BACTIVE) it->LACTIVE = it->BACTIVE();
    if (HWND) HWND->update();
}

void TMSGBAR::SETMSG(const std::string& text)
{
    CMSG = text;
    if (HWND) HWND->update();
}

void TMSGBAR::ADJUST()
{
    if (!HWND) return;
    QWidget* area = HWND->parentWidget();
    if (!area) return;
    const int h = height();
    HWND->setGeometry(-1, area->height() - h, area->width() + 2, h);
    HWND->raise();
    syncGeometry();
}

QWidget* TMSGBAR::createWidget(QWidget* parent, const TemplateItem&) { return new Widget(this, parent); }

TMSGBAR* messageBarOf(TWINDOW& window)
{
    // Up through bars and controls to their window; a dialog has no message
    // bar, and its controls do not reach the one of the window under it.
    for (TWINDOW* w = &window; w; w = w->OWND) {
        if (w->OMSGBAR) return w->OMSGBAR.get();
        if (dynamic_cast<TDIALOG*>(w)) return nullptr;
    }
    return nullptr;
}

void SETMSG(TWINDOW& window, const std::string& text)
{
    if (TMSGBAR* m = messageBarOf(window)) m->SETMSG(text);
}

} // namespace velt
