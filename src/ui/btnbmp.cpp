// TBTNBMP: the painted bitmap button.
#include "ui/btnbmp.h"

#include "ui/bar.h"
#include "ui/dialog.h"
#include "ui/menu.h"
#include "ui/msgbar.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace velt {

namespace {
constexpr int kFace = rgbColor(244, 244, 245);
constexpr int kHover = rgbColor(145, 201, 247);
constexpr int kArrowPart = 13;

// The bitmap as a disabled button shows it: grey, lightened, same mask.
QImage greyed(const QImage& src)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return img;
}
} // namespace

class TBTNBMP::Widget : public QWidget {
public:
    Widget(TBTNBMP* b, QWidget* parent) : QWidget(parent), b_(b)
    {
        setFocusPolicy(Qt::NoFocus); // bar buttons are not tab stops
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const bool hot = b_->LMOUSEOVER || b_->LPRESSED;
        p.fillRect(rect(), toQColor(hot ? kHover : kFace));
        const int w = width(), h = height();
        const Layout l = b_->layout(w, h);
        const int shift = b_->LPRESSED && b_->LMOUSEOVER ? 1 : 0;
        if (!b_->image_.isNull())
            p.drawImage(l.bitmapLeft + shift, l.bitmapTop + shift, isEnabled() ? b_->image_ : greyed(b_->image_));
        if (!b_->CCAPTION.empty()) {
            p.setFont(b_->captionFont().qfont());
            p.setPen(toQColor(isEnabled() ? GETSYSCOLOR(syscolor::BTNTEXT) : GETSYSCOLOR(syscolor::GRAYTEXT)));
            p.setBackgroundMode(Qt::TransparentMode);
            QRect r(shift, l.captionTop + shift, w - b_->extraWidth(), l.captionBottom - l.captionTop);
            p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                       QString::fromStdString(b_->CCAPTION));
        }
        if (b_->OPOPUP) {
            const int ax = w - kArrowPart;
            if (b_->LMOUSEOVER) {
                p.fillRect(ax, 2, 1, h - 4, toQColor(GETSYSCOLOR(syscolor::BTNSHADOW)));
                p.fillRect(ax + 1, 2, 1, h - 4, toQColor(GETSYSCOLOR(syscolor::BTNHIGHLIGHT)));
            }
            const int cx = ax + kArrowPart / 2 + 1, cy = h / 2;
            p.setPen(Qt::NoPen);
            p.setBrush(toQColor(GETSYSCOLOR(syscolor::BTNTEXT)));
            const QPoint tri[3] = {{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}};
            p.drawPolygon(tri, 3);
        }
    }
    void enterEvent(QEnterEvent*) override
    {
        b_->LMOUSEOVER = true;
        update();
        if (TWINDOW* w = b_->messageWindow()) runEvent([w, this] { SETMSG(*w, b_->CMSG); });
    }
    void leaveEvent(QEvent*) override
    {
        b_->LMOUSEOVER = false;
        update();
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton) return;
        b_->LPRESSED = true;
        update();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!b_->LPRESSED) return;
        const bool over = rect().contains(e->position().toPoint());
        if (over != b_->LMOUSEOVER) {
            b_->LMOUSEOVER = over;
            update();
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || !b_->LPRESSED) return;
        b_->LPRESSED = false;
        const QPoint at = e->position().toPoint();
        const bool over = rect().contains(at);
        b_->LMOUSEOVER = over;
        update();
        if (!over) return; // released elsewhere: nothing runs
        TBTNBMP* b = b_;
        if (b->OPOPUP && b->OPOPUP->popup() && at.x() >= width() - kArrowPart) {
            QMenu* m = b->OPOPUP->popup();
            m->popup(mapToGlobal(QPoint(0, height())));
            return;
        }
        runEvent([b] { b->CLICK(); });
    }

private:
    TBTNBMP* b_;
};

QImage TBTNBMP::loadBitmap(const std::string& resource)
{
    if (resource.empty()) return {};
    QImage img(QString(":/bitmaps/%1.png").arg(QString::fromStdString(resource)));
    return img;
}

QImage TBTNBMP::transparentTopLeft(const QImage& src)
{
    if (src.isNull()) return {};
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, 0);
    // A drawing whose corner is already transparent carries its own mask:
    // keying on that corner's colour would punch out its black pixels too.
    if (qAlpha(key) < 255) return img;
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
    }
    return img;
}

void TBTNBMP::SETBITMAP(const std::string& resource)
{
    CRESNAME = resource;
    image_ = transparentTopLeft(loadBitmap(resource));
    if (HWND) HWND->update();
}

int TBTNBMP::extraWidth() const { return OPOPUP ? kArrowPart : 0; }

TFONT TBTNBMP::captionFont() const
{
    if (OFONT) return *OFONT;
    if (OBARPARENT && OBARPARENT->OFONT) return *OBARPARENT->OFONT;
    return TFONT(GETSYSFONT(), 12);
}

TWINDOW* TBTNBMP::messageWindow() const
{
    return OBARPARENT ? OBARPARENT->OWND : OWND;
}

TBTNBMP::Layout TBTNBMP::layout(int width, int height) const
{
    Layout l{};
    const int bw = image_.width(), bh = image_.height();
    l.bitmapLeft = (width - extraWidth() - bw) / 2;
    if (CCAPTION.empty()) {
        l.bitmapTop = (height - bh) / 2 + 1;
        l.captionTop = l.captionBottom = height;
    } else {
        const int th = QFontMetrics(captionFont().qfont()).height();
        l.bitmapTop = int(std::trunc((height - bh) / 2.0 - th / 2.2));
        l.captionTop = height - th - 1;
        l.captionBottom = height;
    }
    return l;
}

void TBTNBMP::CLICK()
{
    if (running_ || !whenAllows() || !LACTIVE) return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    if (BACTION) BACTION(*this);
    if (OBARPARENT) OBARPARENT->EVALWHENS();
    else TCONTROL::CLICK();
}

QWidget* TBTNBMP::makeWidget(QWidget* parent)
{
    auto* w = new Widget(this, parent);
    HWND = w;
    registerWindow(w, this);
    QObject::connect(w, &QObject::destroyed, [this, w] {
        unregisterWindow(w);
        if (HWND == w) HWND = nullptr;
    });
    w->setToolTip(QString::fromStdString(CTOOLTIP));
    w->setEnabled(LACTIVE);
    if (NRIGHT > NLEFT) w->setGeometry(NLEFT, NTOP, NRIGHT - NLEFT, NBOTTOM - NTOP);
    return w;
}

void TBTNBMP::applyCaption()
{
    if (HWND) HWND->update();
}

TBTNBMP* TBTNBMP::NEWBAR(const BarArgs& a)
{
    if (!a.bar) return nullptr;
    auto b = std::shared_ptr<TBTNBMP>(new TBTNBMP());
    b->CRESNAME = a.resource;
    b->CFILE = a.file;
    b->image_ = transparentTopLeft(!a.resource.empty() ? loadBitmap(a.resource) : QImage(QString::fromStdString(a.file)));
    b->BACTION = a.action;
    b->LGROUP = a.group;
    b->BWHEN = a.when;
    b->CTOOLTIP = a.tooltip;
    b->CCAPTION = a.caption;
    b->OFONT = a.font;
    b->OPOPUP = a.popup;
    b->NID = nextId();
    if (b->BWHEN && !b->BWHEN()) b->LACTIVE = false;
    TBTNBMP* raw = b.get();
    a.bar->ADD(std::move(b), a.position);
    return raw;
}

TBTNBMP* TBTNBMP::REDEFINE(int id, const std::string& resource, TDIALOG& dialog, Action action,
                           const std::string& tooltip, WhenBlock when, std::source_location where)
{
    auto b = std::shared_ptr<TBTNBMP>(new TBTNBMP());
    b->bind(dialog, id, where);
    b->CRESNAME = resource;
    b->image_ = transparentTopLeft(loadBitmap(resource));
    b->BACTION = std::move(action);
    b->CTOOLTIP = tooltip;
    b->BWHEN = std::move(when);
    dialog.ACONTROLS.push_back(b);
    return b.get();
}

QWidget* TBTNBMP::createWidget(QWidget* parent, const TemplateItem& item)
{
    // Without a resource of its own the button shows the one the template names.
    if (CRESNAME.empty() && !item.text.empty()) SETBITMAP(item.text);
    auto* w = new Widget(this, parent);
    w->setToolTip(QString::fromStdString(CTOOLTIP));
    return w;
}

} // namespace velt
