// TWBROWSE: binding, geometry, the row cache, moving the selection,
// STABILIZE, painting, mouse, wheel, keys and the scroll bar.
#include "ui/wbrowse.h"

#include "data/tables.h"
#include "ui/dialog.h"
#include "ui/gradient.h"
#include "ui/registry.h"
#include "ui/syscolor.h"
#include "ui/wbrowse_slot.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace velt {

namespace {
constexpr int kBorder = 2;      // the sunken edge around the client area
constexpr int kScrollRoom = 21; // kept at the right for the scroll bar

std::string trimmed(const std::string& s)
{
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

int colourOr(int c, int fallback) { return c >= 0 ? c : fallback; }
} // namespace

// ---- the widget --------------------------------------------------------------

class TWBROWSE::Widget : public QWidget {
public:
    Widget(TWBROWSE* b, QWidget* parent) : QWidget(parent), b_(b)
    {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    TWBROWSE* browse() const { return dynamic_cast<TWBROWSE*>(windowFromHandle(this)); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (TWBROWSE* b = browse()) runEvent([&] { b->paint(p); });
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
        TWBROWSE* b = browse();
        if (!b) return;
        QPoint at = e->position().toPoint() - QPoint(kBorder, kBorder);
        bool right = e->button() == Qt::RightButton;
        int flags = int(e->modifiers());
        runEvent([&] { b->mousePress(at.x(), at.y(), right, flags); });
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton) return;
        TWBROWSE* b = browse();
        if (!b) return;
        QPoint at = e->position().toPoint() - QPoint(kBorder, kBorder);
        int flags = int(e->modifiers());
        runEvent([&] { b->mouseDouble(at.x(), at.y(), flags); });
    }
    void wheelEvent(QWheelEvent* e) override
    {
        TWBROWSE* b = browse();
        if (!b) return;
        acc_ += e->angleDelta().y();
        int notches = acc_ / 120;
        acc_ -= notches * 120;
        bool middle = e->buttons() & Qt::MiddleButton;
        if (notches) runEvent([&] { b->wheel(notches, middle); });
        e->accept();
    }

private:
    TWBROWSE* b_;
    int acc_ = 0;
};

// ---- binding -------------------------------------------------------------------

TWBROWSE* TWBROWSE::REDEFINE(int id, LineBlock line, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto b = std::shared_ptr<TWBROWSE>(new TWBROWSE());
    b->bind(dialog, id, where);
    b->BLINE = std::move(line);
    b->AHEADERS = a.headers;
    b->ACOLSIZES = a.sizes.empty() ? std::vector<int>{0} : a.sizes;
    b->BCHANGE = a.change;
    b->BLDBLCLICK = a.dblclick;
    b->BRCLICKED = a.rclicked;
    b->BLCLICKED = a.lclicked;
    b->OFONT = a.font ? a.font : std::make_shared<TFONT>("Segoe UI", 13);
    b->NCLRFORE = a.textColour;
    b->NCLRBACK = a.backColour;
    b->CMSG = a.message;
    b->CALIAS = a.alias.empty() ? data::ALIAS() : a.alias;
    b->BWHEN = a.when;
    b->BVALID = a.valid;
    b->AACTIONS = a.actions;
    dialog.ACONTROLS.push_back(b);
    return b.get();
}

QWidget* TWBROWSE::createWidget(QWidget* parent, const TemplateItem&)
{
    auto* w = new Widget(this, parent);
    bar_ = new QScrollBar(Qt::Vertical, w);
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setRange(1, 1);
    QObject::connect(bar_, &QAbstractSlider::actionTriggered, w, [w](int action) {
        if (TWBROWSE* b = w->browse()) runEvent([&] { b->scrollAction(action, b->bar_->sliderPosition()); });
    });
    QObject::connect(bar_, &QAbstractSlider::sliderReleased, w, [w] {
        if (TWBROWSE* b = w->browse()) runEvent([&] { b->THUMBPOS(b->bar_->sliderPosition()); });
    });
    return w;
}

void TWBROWSE::classInit() { firstShow(); }

// ---- geometry --------------------------------------------------------------------

int TWBROWSE::cellHeight() const
{
    QFont f = OFONT ? OFONT->qfont() : TFONT("Segoe UI", 13).qfont();
    return QFontMetrics(f).height();
}

static int clientHeight(const QWidget* w) { return w ? std::max(0, w->height() - 2 * kBorder) : 0; }
static int clientWidth(const QWidget* w) { return w ? std::max(0, w->width() - 2 * kBorder) : 0; }

int TWBROWSE::visibleRows() const
{
    int h = cellHeight(), H = clientHeight(HWND);
    int rows = hasHeader() ? (H - (h + 2)) / (h + 1) : H / (h + 1);
    return std::max(0, rows);
}

int TWBROWSE::rowTop(int k) const
{
    int h = cellHeight();
    return (hasHeader() ? h + 2 : 0) + (k - 1) * (h + 1);
}

int TWBROWSE::colWidth(int c) const { return c >= 1 && size_t(c) <= ACOLSIZES.size() ? ACOLSIZES[size_t(c) - 1] : 0; }

int TWBROWSE::colLeft(int c) const
{
    int x = 1;
    for (int i = 1; i < c; ++i) x += colWidth(i);
    return x;
}

int TWBROWSE::drawnColumns() const
{
    int limit = clientWidth(HWND) - kScrollRoom, x = 1, n = 0;
    for (size_t i = 0; i < ACOLSIZES.size(); ++i) {
        if (x >= limit) break;
        n = int(i) + 1;
        x += ACOLSIZES[i];
    }
    return n;
}

int TWBROWSE::rowAt(int y) const
{
    int top = rowTop(1), h = cellHeight();
    if (y < top) return 0;
    int k = (y - top) / (h + 1) + 1;
    return k <= visibleRows() ? k : 0;
}

int TWBROWSE::colAt(int x) const
{
    int n = drawnColumns();
    for (int c = 1; c <= n; ++c) {
        int l = colLeft(c), w = colWidth(c);
        if (w > 1 && x >= l && x < l + w) return c;
    }
    return 0;
}

// ---- first display ---------------------------------------------------------------------

void TWBROWSE::firstShow()
{
    if (shownOnce_ || !HWND) return;
    shownOnce_ = true;
    // The filler column: dropped when its header is empty (the header band
    // still runs across), else it takes what the other columns leave.
    if (!ACOLSIZES.empty() && ACOLSIZES.back() == 0) {
        size_t last = ACOLSIZES.size() - 1;
        bool emptyHeader = last >= AHEADERS.size() || trimmed(AHEADERS[last]).empty();
        if (emptyHeader && ACOLSIZES.size() > 1) {
            ACOLSIZES.pop_back();
            if (AHEADERS.size() > ACOLSIZES.size()) AHEADERS.resize(ACOLSIZES.size());
        } else {
            int others = 0;
            for (size_t i = 0; i < last; ++i) others += ACOLSIZES[i];
            ACOLSIZES.back() = std::max(0, clientWidth(HWND) - kScrollRoom - others);
        }
    }
    // Whole rows only.
    int h = cellHeight(), H = HWND->height();
    int needed = (h + 1) * visibleRows() + (hasHeader() ? h + 2 : 0) + 2 * kBorder;
    if (needed - H >= 4) needed -= h + 1;
    if (H - needed >= 4) needed += h + 1;
    HWND->resize(HWND->width() + 2, needed);
    syncGeometry();
    bar_->setGeometry(HWND->width() - kBorder - bar_->sizeHint().width(), kBorder, bar_->sizeHint().width(),
                      clientHeight(HWND));
    STABILIZE(false);
}

// ---- the row cache ----------------------------------------------------------------------

void TWBROWSE::checkLength()
{
    uint64_t n = data::ORDKEYCOUNT();
    if (n == len_) return;
    len_ = n;
    if (uint64_t(pos_) > n) {
        data::DBGOBOTTOM();
        pos_ = int(n);
        NROWPOS = std::max(1, std::min(int(n), visibleRows()));
    }
    updateScrollBar();
}

void TWBROWSE::refill()
{
    rows_.clear();
    if (!HWND || !browseTableOpen(CALIAS)) return;
    InBrowseSlot in(CALIAS);
    checkLength();
    int R = visibleRows();
    ++refills_;
    if (len_ == 0 || R == 0 || data::DBEOF()) return;
    NROWPOS = std::clamp(NROWPOS, 1, R);
    // From the selected record back to the first visible one; near the top
    // of the table the selection comes up to the row it is really on.
    NROWPOS = 1 + int(-browseSkip(-(NROWPOS - 1)));
    int read = 0;
    for (;;) {
        rows_.push_back(BLINE ? BLINE(*this) : std::vector<std::string>{});
        ++lineCalls_;
        if (++read >= R || browseSkip(1) == 0) break;
    }
    browseSkip(-(read - NROWPOS));
}

void TWBROWSE::updateScrollBar()
{
    if (!bar_) return;
    QSignalBlocker quiet(bar_);
    int n = int(std::min<uint64_t>(len_, uint64_t(INT32_MAX)));
    bar_->setRange(1, std::max(1, n));
    bar_->setPageStep(std::max(1, visibleRows()));
    bar_->setEnabled(n > 1);
    bar_->setValue(std::max(1, pos_));
}

void TWBROWSE::changed()
{
    updateScrollBar();
    if (HWND) HWND->update();
    if (BCHANGE) BCHANGE(*this);
}

void TWBROWSE::REFRESH()
{
    refill();
    updateScrollBar();
    if (HWND) HWND->update();
}

// ---- moving the selection ------------------------------------------------------------------

void TWBROWSE::moveOne(int dir)
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        if (dir < 0 ? pos_ <= 1 : uint64_t(pos_) >= len_) return;
        if (browseSkip(dir) == 0) return;
        pos_ += dir;
        int R = visibleRows();
        auto line = [&] {
            ++lineCalls_;
            return BLINE ? BLINE(*this) : std::vector<std::string>{};
        };
        if (dir < 0) {
            if (NROWPOS > 1) --NROWPOS;
            else {
                // One row comes in at the top, the rest scroll down.
                rows_.insert(rows_.begin(), line());
                if (int(rows_.size()) > R) rows_.pop_back();
            }
        } else if (NROWPOS < int(rows_.size())) {
            ++NROWPOS;
        } else if (NROWPOS < R) {
            rows_.push_back(line());
            ++NROWPOS;
        } else {
            rows_.erase(rows_.begin());
            rows_.push_back(line());
        }
    }
    changed();
}

void TWBROWSE::GOUP() { moveOne(-1); }
void TWBROWSE::GODOWN() { moveOne(+1); }

void TWBROWSE::PAGEUP()
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        int R = visibleRows();
        long moved = -browseSkip(-R);
        if (moved == 0) return;
        if (moved < R) {
            pos_ = 1;
            NROWPOS = 1;
        } else {
            pos_ -= R;
            if (NROWPOS > pos_) NROWPOS = pos_;
        }
    }
    refill();
    changed();
}

void TWBROWSE::PAGEDOWN()
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        int R = visibleRows(), N = int(len_);
        long moved = browseSkip(R);
        if (moved == 0) return;
        if (moved < R) {
            pos_ += int(moved);
            NROWPOS = std::min(N, R);
        } else {
            pos_ += R;
            if (R - NROWPOS > N - pos_) NROWPOS = R - (N - pos_);
        }
    }
    refill();
    changed();
}

void TWBROWSE::GOTOP()
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        if (browseSkip(-1) == 0) return;
        pos_ = 1;
        data::DBGOTOP();
        NROWPOS = 1;
    }
    refill();
    changed();
}

void TWBROWSE::GOBOTTOM()
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        if (browseSkip(1) == 0) return;
        pos_ = int(len_);
        data::DBGOBOTTOM();
        NROWPOS = std::min(int(len_), visibleRows());
    }
    refill();
    changed();
}

void TWBROWSE::THUMBPOS(int q)
{
    if (!HWND || !browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        int R = visibleRows(), N = int(len_);
        if (N == 0) return;
        q = std::clamp(q, 1, N);
        data::ORDKEYGOTO(uint64_t(q));
        pos_ = q;
        if (NROWPOS > q || N <= R) NROWPOS = q;
        else if (R - NROWPOS > N - q) NROWPOS = R - (N - q);
    }
    refill();
    changed();
}

void TWBROWSE::scrollAction(int action, int sliderValue)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: GOUP(); break;
    case QAbstractSlider::SliderSingleStepAdd: GODOWN(); break;
    case QAbstractSlider::SliderPageStepSub: PAGEUP(); break;
    case QAbstractSlider::SliderPageStepAdd: PAGEDOWN(); break;
    case QAbstractSlider::SliderToMinimum: GOTOP(); break;
    case QAbstractSlider::SliderToMaximum: GOBOTTOM(); break;
    case QAbstractSlider::SliderMove: return; // the thumb follows the mouse until released
    default: (void)sliderValue; break;
    }
    // The bar shows where the selection is, not where Qt would have gone.
    if (bar_) bar_->setSliderPosition(std::max(1, pos_));
}

void TWBROWSE::STABILIZE(bool focus)
{
    if (!browseTableOpen(CALIAS)) return;
    {
        InBrowseSlot in(CALIAS);
        len_ = data::ORDKEYCOUNT();
        if (data::DELETED()) data::DBSKIP(1);
        if (data::DBEOF()) data::DBGOBOTTOM();
        int N = int(len_), R = visibleRows();
        pos_ = N == 0 ? 1 : std::max(1, int(data::ORDKEYNO()));
        if (N == 0) NROWPOS = 1;
        else if (NROWPOS > pos_) NROWPOS = pos_;
        else if (N < R) NROWPOS = pos_;
        else if (R - NROWPOS > N - pos_) NROWPOS = R - (N - pos_);
    }
    refill();
    changed();
    if (focus) SETFOCUS();
}

void STABILIZE(TWBROWSE& browse) { browse.STABILIZE(true); }

void TWBROWSE::SETFOCUS() { TCONTROL::SETFOCUS(); }

// ---- mouse, wheel, keys -----------------------------------------------------------------------

void TWBROWSE::selectRow(int k)
{
    if (k == NROWPOS) return;
    {
        InBrowseSlot in(CALIAS);
        long moved = browseSkip(k - NROWPOS);
        pos_ += int(moved);
        NROWPOS += int(moved);
    }
    changed();
}

void TWBROWSE::mousePress(int x, int y, bool right, int flags)
{
    int k = rowAt(y), c = colAt(x);
    bool onRecord = k >= 1 && c >= 1 && uint64_t(k) <= len_ && k <= int(rows_.size());
    if (right) SETFOCUS();
    if (onRecord && browseTableOpen(CALIAS)) {
        selectRow(k);
        const ClickBlock& cb = right ? BRCLICKED : BLCLICKED;
        if (cb) cb(*this, y, x, flags, k, c);
    }
    if (!right && HWND) SETFOCUS();
}

void TWBROWSE::mouseDouble(int x, int y, int flags)
{
    int k = rowAt(y), c = colAt(x);
    if (k < 1 || c < 1 || uint64_t(k) > len_ || k > int(rows_.size())) return;
    // Normally the first click of the pair has selected the row already.
    if (browseTableOpen(CALIAS)) selectRow(k);
    if (BLDBLCLICK) BLDBLCLICK(y, x, flags, *this);
}

void TWBROWSE::wheel(int notches, bool middleHeld)
{
    for (int i = 0; i < std::abs(notches); ++i) {
        if (notches > 0) middleHeld ? PAGEUP() : GOUP();
        else middleHeld ? PAGEDOWN() : GODOWN();
    }
}

bool TWBROWSE::filterKey(QKeyEvent& e)
{
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e.key()) {
    case Qt::Key_Home: GOTOP(); return true;
    case Qt::Key_End: GOBOTTOM(); return true;
    case Qt::Key_Up: GOUP(); return true;
    case Qt::Key_Down: GODOWN(); return true;
    case Qt::Key_PageUp: PAGEUP(); return true;
    case Qt::Key_PageDown: PAGEDOWN(); return true;
    case Qt::Key_Left:
    case Qt::Key_Right: return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (BLDBLCLICK) {
            BLDBLCLICK(0, 0, 0, *this);
            return true;
        }
        return false;
    default: break;
    }
    QString t = e.text();
    if (t.size() == 1 && t[0].unicode() >= 32 && t[0].unicode() != 127) {
        if (BKEYCHAR) BKEYCHAR(int(t[0].unicode()), int(e.modifiers()), *this);
        return true;
    }
    return false;
}

void TWBROWSE::gotFocus(TWINDOW* other)
{
    TCONTROL::gotFocus(other);
    if (HWND) HWND->update();
}

void TWBROWSE::lostFocus(TWINDOW* other)
{
    TCONTROL::lostFocus(other);
    if (HWND) HWND->update();
}

// ---- painting ----------------------------------------------------------------------------------

void TWBROWSE::paintHeader(QPainter& p)
{
    int h = cellHeight(), W = clientWidth(HWND);
    GRADIENTFILL(p, 0, 0, h + 1, W,
                 {{0.5, rgbColor(254, 254, 255), rgbColor(232, 236, 246)},
                  {0.5, rgbColor(212, 219, 237), rgbColor(222, 227, 244)}});
    QColor dark = toQColor(GETSYSCOLOR(syscolor::BTNSHADOW));
    QColor light = toQColor(GETSYSCOLOR(syscolor::BTNHIGHLIGHT));
    QColor text = toQColor(colourOr(NCLRHEADER, GETSYSCOLOR(syscolor::BTNTEXT)));
    int n = drawnColumns();
    for (int c = 1; c <= n; ++c) {
        int l = colLeft(c), w = colWidth(c);
        if (w <= 1) continue;
        QRect cell(l - 1, 0, w, h + 1);
        // Dark outline, a raised frame inside it.
        p.setPen(dark);
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        QRect in = cell.adjusted(1, 1, -2, -2);
        p.setPen(light);
        p.drawLine(in.topLeft(), in.topRight());
        p.drawLine(in.topLeft(), in.bottomLeft());
        p.setPen(dark);
        p.drawLine(in.bottomLeft(), in.bottomRight());
        p.drawLine(in.topRight(), in.bottomRight());
        if (size_t(c) > AHEADERS.size()) continue;
        Justify j = size_t(c) <= AJUSTIFY.size() ? AJUSTIFY[size_t(c) - 1] : Justify::Left;
        Qt::Alignment a = j == Justify::Center ? Qt::AlignHCenter : j == Justify::Right ? Qt::AlignRight : Qt::AlignLeft;
        p.setPen(text);
        p.drawText(QRect(l + 2, 0, w - 6, h), int(a | Qt::AlignVCenter) | Qt::TextSingleLine,
                   QString::fromStdString(trimmed(AHEADERS[size_t(c) - 1])));
    }
}

void TWBROWSE::paint(QPainter& p)
{
    QWidget* w = HWND;
    if (!w) return;
    int back = colourOr(NCLRBACK, GETSYSBGCOLOR(syscolor::WINDOW));
    int fore = colourOr(NCLRFORE, GETSYSCOLOR(syscolor::WINDOWTEXT));
    // Sunken edge.
    p.fillRect(w->rect(), toQColor(back));
    p.setPen(toQColor(GETSYSCOLOR(syscolor::BTNSHADOW)));
    p.drawRect(w->rect().adjusted(0, 0, -1, -1));
    p.setPen(toQColor(GETSYSCOLOR(syscolor::DKSHADOW3D)));
    p.drawLine(1, 1, w->width() - 2, 1);
    p.drawLine(1, 1, 1, w->height() - 2);
    p.translate(kBorder, kBorder);
    p.setClipRect(0, 0, clientWidth(w), clientHeight(w));
    p.setFont(OFONT ? OFONT->qfont() : TFONT("Segoe UI", 13).qfont());
    if (hasHeader()) paintHeader(p);

    int h = cellHeight(), n = drawnColumns();
    QColor grid = toQColor(GETSYSCOLOR(syscolor::BTNSHADOW));
    bool focus = LFOCUSED;
    int selFore = focus ? colourOr(NCLRFOREFOCUS, GETSYSCOLOR(syscolor::HIGHLIGHTTEXT))
                        : colourOr(NCLRFORENOFOCUS, GETSYSCOLOR(syscolor::HIGHLIGHTTEXT));
    int selBack = focus ? colourOr(NCLRBACKFOCUS, GETSYSCOLOR(syscolor::HIGHLIGHT))
                        : colourOr(NCLRBACKNOFOCUS, rgbColor(128, 128, 128));
    for (int k = 1; k <= int(rows_.size()); ++k) {
        const auto& cells = rows_[size_t(k) - 1];
        int top = rowTop(k), bottom = top + h; // the row's last pixel line is its grid line
        bool sel = k == NROWPOS;
        int lastRight = -1;
        for (int c = 1; c <= n; ++c) {
            int l = colLeft(c), cw = colWidth(c);
            if (cw <= 1) continue;
            int r = l + cw;
            if (sel) p.fillRect(QRect(l - 1, top, cw, h), toQColor(selBack));
            std::string s = size_t(c) <= cells.size() ? cells[size_t(c) - 1] : std::string();
            Justify j = size_t(c) <= AJUSTIFY.size() ? AJUSTIFY[size_t(c) - 1] : Justify::Left;
            Qt::Alignment a = Qt::AlignLeft;
            if (j != Justify::Left) {
                s = trimmed(s);
                a = j == Justify::Right ? Qt::AlignRight : Qt::AlignHCenter;
            }
            p.setPen(toQColor(sel ? selFore : fore));
            p.drawText(QRect(QPoint(l + 1, top + 1), QPoint(r - 3, bottom)),
                       int(a | Qt::AlignVCenter) | Qt::TextSingleLine, QString::fromStdString(s));
            p.setPen(grid);
            p.drawLine(l - 2, top, l - 2, bottom);
            p.drawLine(l - 2, bottom, r - 2, bottom);
            lastRight = r;
        }
        if (lastRight >= 0) {
            p.setPen(grid);
            p.drawLine(lastRight - 2, top, lastRight - 2, bottom);
        }
    }
}

} // namespace velt
