// TDIALOG: lifecycle, keyboard, __VALID, ITEM, CTL, REFRESHALL, runEvent.
#include "ui/dialog.h"

#include "ui/errorsys.h"
#include "ui/popmsg.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <deque>

namespace velt {

namespace {

std::vector<TDIALOG*>& shownStack()
{
    static std::vector<TDIALOG*> s;
    return s;
}

void popShown(TDIALOG* d)
{
    auto& s = shownStack();
    s.erase(std::remove(s.begin(), s.end(), d), s.end());
}

std::function<void(TDIALOG&)>& shownHook()
{
    static std::function<void(TDIALOG&)> h;
    return h;
}

constexpr double kResize16 = 1.16668;

} // namespace

// ---- the native dialog -----------------------------------------------------

class VDialog : public QDialog {
public:
    VDialog(TDIALOG* d, QWidget* parent) : QDialog(parent), d_(d) {}
    void moveFocus(bool forward) { focusNextPrevChild(forward); }
    void dropOwner() { d_ = nullptr; }

    void reject() override
    {
        if (d_) runEvent([&] { d_->END(2); });
    }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (d_) runEvent([&] { d_->END(2); });
    }
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        if (!announced_ && d_) {
            announced_ = true;
            QPointer<VDialog> self = this;
            QTimer::singleShot(0, this, [self] {
                if (self && self->d_) self->d_->shown();
            });
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        QDialog::mousePressEvent(e);
        if (!d_) return;
        if (e->button() == Qt::LeftButton && d_->BLCLICKED) runEvent([&] { d_->BLCLICKED(*d_); });
        if (e->button() == Qt::RightButton && d_->BRCLICKED) runEvent([&] { d_->BRCLICKED(*d_); });
    }
    void moveEvent(QMoveEvent* e) override
    {
        QDialog::moveEvent(e);
        if (!d_) return;
        d_->syncGeometry();
        if (d_->BMOVED) runEvent([&] { d_->BMOVED(*d_); });
    }
    void paintEvent(QPaintEvent* e) override
    {
        QDialog::paintEvent(e);
        if (d_ && d_->BPAINTED) {
            QPainter p(this);
            runEvent([&] { d_->BPAINTED(p, *d_); });
        }
    }

private:
    TDIALOG* d_;
    bool announced_ = false;
};

// Focus and keys of the controls of one dialog.
class DialogEvents : public QObject {
public:
    explicit DialogEvents(TDIALOG* d) : QObject(nullptr), d_(d) {}

    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* c = dynamic_cast<TCONTROL*>(windowFromHandle(static_cast<QWidget*>(o)));
        if (!c || c->dialog() != d_) return false;
        switch (e->type()) {
        case QEvent::FocusIn: {
            if (static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason || c->LFOCUSED) return false;
            runEvent([&] {
                TCONTROL* old = d_->focusedControl();
                if (old == c) old = nullptr;
                if (old && old->LFOCUSED) old->lostFocus(c);
                c->gotFocus(old);
            });
            return false;
        }
        case QEvent::FocusOut: {
            if (static_cast<QFocusEvent*>(e)->reason() == Qt::PopupFocusReason || !c->LFOCUSED) return false;
            runEvent([&] { c->lostFocus(windowOf(QApplication::focusWidget())); });
            return false;
        }
        case QEvent::Shortcut:
            if (!qobject_cast<QAbstractButton*>(o)) return false;
            runEvent([&] { c->CLICK(); });
            return true;
        case QEvent::KeyPress: return key(c, *static_cast<QKeyEvent*>(e));
        default: return false;
        }
    }

private:
    bool key(TCONTROL* c, QKeyEvent& ke)
    {
        int key = vk::fromQtKey(ke.key());
        d_->setLastKey(key);
        if (c->BKEYDOWN) {
            bool handled = false;
            int flags = int(ke.modifiers());
            runEvent([&] { handled = c->BKEYDOWN(key, flags, *c); });
            if (handled || d_->ended()) return true;
        }
        // Tab and Shift+Tab: the window's focus chain (template order).
        if (ke.key() == Qt::Key_Tab || ke.key() == Qt::Key_Backtab) return false;
        bool plain = !(ke.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (ke.key() == Qt::Key_Escape && plain) {
            runEvent([&] { d_->END(2); });
            return true;
        }
        if ((ke.key() == Qt::Key_Return || ke.key() == Qt::Key_Enter) && plain) {
            switch (c->enterKey()) {
            case TCONTROL::EnterKey::NextThenDefault:
                runEvent([&] {
                    d_->focusNext(true);
                    TCONTROL* b = d_->defaultButton();
                    if (b && b != c && !d_->ended()) b->CLICK();
                });
                return true;
            case TCONTROL::EnterKey::Press: runEvent([&] { c->CLICK(); }); return true;
            case TCONTROL::EnterKey::DefaultOrNext:
                runEvent([&] {
                    if (TCONTROL* b = d_->defaultButton()) b->CLICK();
                    else d_->focusNext(true);
                });
                return true;
            case TCONTROL::EnterKey::Own: break;
            }
        }
        bool consumed = false;
        runEvent([&] { consumed = c->filterKey(ke); });
        return consumed;
    }

    TDIALOG* d_;
};

// ---- runEvent ------------------------------------------------------------

void runEvent(const std::function<void()>& work)
{
    std::exception_ptr e = guardEvent(work);
    if (!e) return;
    if (TDIALOG* d = TDIALOG::innermost()) {
        d->abortWith(e);
        return;
    }
    if (TWINDOW* m = TWINDOW::mainWindow(); m && TWINDOW::mainLoopRunning()) {
        m->keepException(e);
        return;
    }
    std::rethrow_exception(e);
}

// ---- TDIALOG ---------------------------------------------------------------

TDIALOG::TDIALOG(const NewArgs& a)
{
    installFontSubstitutions();
    NTOP = a.top; NLEFT = a.left; NBOTTOM = a.bottom; NRIGHT = a.right;
    if (a.width) NRIGHT = NLEFT + a.width;
    if (a.height) NBOTTOM = NTOP + a.height;
    if (a.caption) {
        std::string c = *a.caption;
        while (!c.empty() && c.back() == ' ') c.pop_back();
        captionArg_ = c;
        CCAPTION = c;
    }
    CRESNAME = a.resName;
    style_ = a.style;
    NCLRTEXT = a.clrText >= 0 ? a.clrText : GETSYSCOLOR(syscolor::BTNTEXT);
    NCLRPANE = a.clrPane >= 0 ? a.clrPane : GETSYSCOLOR(syscolor::BTNFACE);
    OWND = a.owner;
    OICON = a.icon;
    OFONT = a.font;
    resizable_ = a.resizable;
}

TDIALOG::TDIALOG(const std::string& caption, const std::string& resName, TWINDOW* owner)
    : TDIALOG(NewArgs{.caption = caption, .resName = resName, .owner = owner})
{
}

TDIALOG::~TDIALOG()
{
    teardown();
    popShown(this);
}

int TDIALOG::shownCount() { return int(shownStack().size()); }

TDIALOG* TDIALOG::innermost()
{
    auto& s = shownStack();
    return s.empty() ? nullptr : s.back();
}

void TDIALOG::setShownHook(std::function<void(TDIALOG&)> hook) { shownHook() = std::move(hook); }

QDialog* TDIALOG::qdialog() const { return static_cast<QDialog*>(HWND); }

void TDIALOG::applyCaption()
{
    if (HWND) HWND->setWindowTitle(QString::fromStdString(CCAPTION));
}

QRect TDIALOG::itemRect(const TemplateItem& it) const
{
    if (!templ_) return QRect(it.x, it.y, it.w, it.h); // built in code: pixels
    int x = units_.x(it.x), y = units_.y(it.y), w = units_.x(it.w), h = units_.y(it.h);
    if (LRESIZE16) {
        x = int(x * kResize16);
        w = int(w * kResize16);
    }
    return QRect(x, y, std::max(w, 1), std::max(h, 1));
}

std::vector<TCONTROL*> TDIALOG::templateOrder() const
{
    std::vector<TCONTROL*> out;
    if (templ_) {
        for (const TemplateItem& it : templ_->items)
            for (const auto& c : ACONTROLS)
                if (c->NID == it.id) {
                    out.push_back(c.get());
                    break;
                }
    } else {
        for (const auto& c : ACONTROLS) out.push_back(c.get());
    }
    return out;
}

TCONTROL* TDIALOG::defaultButton() const
{
    if (!templ_) return nullptr;
    for (const TemplateItem& it : templ_->items)
        if (it.defaultButton()) return ITEM(const_cast<TDIALOG&>(*this), it.id);
    return nullptr;
}

void TDIALOG::focusNext(bool forward)
{
    if (auto* v = dynamic_cast<VDialog*>(HWND)) v->moveFocus(forward);
}

void TDIALOG::evalWhens()
{
    for (const auto& c : std::vector(ACONTROLS)) {
        if (!c->BWHEN) continue;
        if (c->BWHEN()) c->ENABLE();
        else c->DISABLE();
    }
}

void TDIALOG::ACTIVATE(const ActivateArgs& a)
{
    lastKey_ = 0;
    shownStack().push_back(this);
    struct Unshow {
        TDIALOG* d;
        ~Unshow()
        {
            if (d->LMODAL) {
                popShown(d);
                d->LVISIBLE = false;
            }
        }
    } unshow{this};

    BLCLICKED = a.lClicked;
    BMOVED = a.moved;
    BPAINTED = a.painted;
    LCENTERED = a.centered;
    BVALID = a.valid;
    LMODAL = a.modal;
    BINIT = a.init;
    BRCLICKED = a.rClicked;
    BWHEN = a.when;
    LRESIZE16 = a.resize16;
    LCENTERINWND = a.centerInWnd;
    NRESULT = 0;
    LVISIBLE = true;
    ended_ = false;
    pending_ = nullptr;

    if (BWHEN && !BWHEN()) {
        NRESULT = 2;
        LMODAL = true; // not shown: leave the count now
        return;
    }

    try {
        build(a);
    } catch (...) {
        teardown();
        LMODAL = true;
        throw;
    }

    if (LMODAL) {
        if (!ended_ && !pending_) {
            inExec_ = true;
            qdialog()->exec();
            inExec_ = false;
        }
        teardown();
        if (pending_) {
            auto e = pending_;
            pending_ = nullptr;
            std::rethrow_exception(e);
        }
    } else if (!ended_) {
        qdialog()->show();
    }
}

void TDIALOG::build(const ActivateArgs&)
{
    // Owner.
    QWidget* parent = nullptr;
    if (OWND && OWND->HWND) parent = OWND->HWND->window();
    else if (shownStack().size() > 1 || TWINDOW::mainLoopRunning()) parent = QApplication::activeWindow();
    else if (TWINDOW* m = TWINDOW::mainWindow()) parent = m->HWND;
    // The chosen owner is the dialog's owner from now on (messages of its
    // controls go to the owner's message bar).
    if (!OWND && parent) OWND = windowOf(parent);

    // Template.
    if (!CRESNAME.empty()) {
        templ_ = loadTemplate(CRESNAME);
        if (!templ_) formDefinitionError("Resource not found: " + CRESNAME);
    }

    // Every control must find its item, checked in binding order.
    if (templ_)
        for (const auto& c : ACONTROLS)
            if (!templ_->item(c->NID))
                formDefinitionError("Id not found: " + std::to_string(c->NID) + ";Function: " +
                                    routineName(c->boundAt()) + "  Line: " + std::to_string(c->boundAt().line()));

    auto* dlg = new VDialog(this, parent);
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    if (resizable_) flags |= Qt::WindowMinMaxButtonsHint;
    // A dialog built in code with a style that has no caption is a borderless
    // pop-up (the browse's cell editor).
    if (!templ_ && style_ && !(*style_ & 0x00C00000u)) flags = Qt::Dialog | Qt::FramelessWindowHint;
    dlg->setWindowFlags(flags);
    HWND = dlg;
    registerWindow(dlg, this);
    auto* events = new DialogEvents(this);
    events->setParent(dlg);

    // 6.1 font
    TFONT f = OFONT ? *OFONT
                    : (templ_ ? TFONT::fromPoints(templ_->fontFace, templ_->fontPoints) : TFONT(GETSYSFONT(), 12));
    QFont qf = f.qfont();
    dlg->setFont(qf);
    units_ = dialogUnits(qf);
    if (NCLRPANE >= 0 || NCLRTEXT >= 0) {
        QPalette pal = dlg->palette();
        if (NCLRPANE >= 0) pal.setColor(QPalette::Window, toQColor(NCLRPANE));
        if (NCLRTEXT >= 0) pal.setColor(QPalette::WindowText, toQColor(NCLRTEXT));
        dlg->setPalette(pal);
    }

    // 6.2 widgets, created in template order so that Tab follows it.
    std::deque<TemplateItem> codeItems;
    std::vector<std::pair<TCONTROL*, const TemplateItem*>> bound;
    std::vector<std::pair<const TemplateItem*, QWidget*>> created;
    if (templ_) {
        for (const TemplateItem& it : templ_->items) {
            TCONTROL* c = ITEM(*this, it.id);
            QWidget* w = c ? c->createWidget(dlg, it) : makeItemWidget(dlg, it);
            w->setGeometry(itemRect(it));
            if (c) c->attached(&it, w);
            else plain_.emplace_back(it, w);
            created.emplace_back(&it, w);
        }
    } else {
        for (const auto& c : ACONTROLS) {
            TemplateItem it;
            it.id = c->NID;
            it.x = c->NLEFT; it.y = c->NTOP; it.w = c->NRIGHT - c->NLEFT; it.h = c->NBOTTOM - c->NTOP;
            it.style = tplstyle::Visible | tplstyle::Child | tplstyle::TabStop;
            codeItems.push_back(it);
            const TemplateItem* ip = &codeItems.back();
            QWidget* w = c->createWidget(dlg, *ip);
            w->setGeometry(itemRect(*ip));
            c->attached(nullptr, w);
            created.emplace_back(ip, w);
        }
    }
    // A label's mnemonic moves the focus to the control that follows it.
    for (size_t i = 0; i < created.size(); ++i)
        if (auto* l = qobject_cast<QLabel*>(created[i].second))
            for (size_t j = i + 1; j < created.size(); ++j)
                if (created[j].second->focusPolicy() != Qt::NoFocus) {
                    l->setBuddy(created[j].second);
                    break;
                }

    for (const auto& c : std::vector(ACONTROLS)) {
        if (!c->HWND) continue;
        if (c->OFONT) c->HWND->setFont(c->OFONT->qfont());
        c->HWND->setEnabled(c->LACTIVE);
        c->HWND->installEventFilter(events);
        c->classInit();
        if (c->BINIT) c->BINIT(*c);
    }

    // 6.3 size, widened for the forms.
    int w, h;
    if (templ_) {
        w = units_.x(templ_->w);
        h = units_.y(templ_->h);
        if (LRESIZE16) w = int(w * kResize16);
    } else {
        w = NRIGHT - NLEFT;
        h = NBOTTOM - NTOP;
    }
    if (resizable_) dlg->resize(w, h);
    else dlg->setFixedSize(w, h);

    // 6.4 position
    if (LCENTERED) centre();
    else if (templ_) {
        QPoint origin = parent ? parent->window()->geometry().topLeft() : QPoint(0, 0);
        dlg->move(origin + QPoint(units_.x(templ_->x), units_.y(templ_->y)));
    } else {
        dlg->move(NLEFT, NTOP);
    }
    syncGeometry();

    // 6.5 caption
    if (!captionArg_ && templ_) CCAPTION = templ_->title;
    applyCaption();

    // 6.6 init, 6.7 when callbacks, 6.8 first focus
    Value init;
    if (BINIT) init = BINIT(*this);
    if (ended_ || pending_) return;
    evalWhens();
    if (!(init.isLogical() && !init.logical())) {
        for (const auto& [it, wgt] : created) {
            if (!(it->style & tplstyle::TabStop) || !wgt->isEnabled() || wgt->focusPolicy() == Qt::NoFocus) continue;
            if (auto* c = dynamic_cast<TCONTROL*>(windowFromHandle(wgt))) c->takeFocus();
            else wgt->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void TDIALOG::centre()
{
    QWidget* dlg = HWND;
    QRect area;
    QWidget* owner = nullptr;
    if (LCENTERINWND) {
        owner = OWND && OWND->HWND ? OWND->HWND->window()
                                   : (TWINDOW::mainWindow() ? TWINDOW::mainWindow()->HWND : nullptr);
    }
    if (owner) area = owner->frameGeometry();
    else if (QScreen* s = QGuiApplication::primaryScreen()) area = s->availableGeometry();
    QRect r(QPoint(0, 0), dlg->size());
    r.moveCenter(area.center());
    dlg->move(r.topLeft());
}

void TDIALOG::shown()
{
    if (shownHook() && HWND && !ended_) shownHook()(*this);
}

void TDIALOG::closeNow(int result)
{
    NRESULT = result;
    ended_ = true;
    if (!HWND) return;
    if (inExec_) qdialog()->done(result);
    else if (!LMODAL) {
        // A non-modal dialog goes away once the event that ended it is over.
        HWND->hide();
        QPointer<QWidget> w = HWND;
        QTimer::singleShot(0, w, [this] { teardown(); popShown(this); LVISIBLE = false; });
    } else {
        HWND->hide();
    }
}

bool TDIALOG::END(int result)
{
    if (ended_) return true;
    if (!LMODAL && HWND) {
        QTimer::singleShot(0, HWND, [this, result] {
            if (ended_) return;
            bool ok = true;
            runEvent([&] { ok = !BVALID || BVALID(*this); });
            if (ok) closeNow(result);
        });
        return true;
    }
    if (BVALID && !BVALID(*this)) return false;
    closeNow(result);
    QCoreApplication::processEvents();
    return true;
}

void TDIALOG::abortWith(std::exception_ptr e)
{
    if (!pending_) pending_ = e;
    if (!ended_) closeNow(2);
}

void TDIALOG::forceEnd()
{
    if (!ended_) closeNow(2);
}

void TDIALOG::markUnder(TCONTROL& c)
{
    clearMark();
    if (!HWND || !c.HWND) return;
    QRect g = c.HWND->geometry();
    auto* m = new QWidget(HWND);
    m->setAutoFillBackground(true);
    QPalette pal = m->palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 0));
    m->setPalette(pal);
    m->setGeometry(g.left(), g.top() + g.height(), std::max(g.width() - 1, 1), 2);
    m->show();
    m->raise();
    mark_ = m;
    HWND->repaint();
}

void TDIALOG::clearMark()
{
    if (!mark_) return;
    QRect r = mark_->geometry();
    delete mark_;
    mark_ = nullptr;
    if (HWND) HWND->repaint(r.adjusted(0, 0, 1, 0));
}

void TDIALOG::teardown()
{
    for (const auto& c : ACONTROLS) c->detached();
    for (auto& [it, w] : plain_) (void)it, (void)w;
    plain_.clear();
    mark_ = nullptr;
    focused_ = nullptr;
    if (!HWND) return;
    QWidget* w = HWND;
    HWND = nullptr;
    unregisterWindow(w);
    if (auto* v = dynamic_cast<VDialog*>(w)) v->dropOwner();
    w->hide();
    w->deleteLater();
}

// ---- __VALID ---------------------------------------------------------------

bool __VALID(TDIALOG& d, bool ask)
{
    const Value& cargo = d.CARGO;
    if (cargo.isNil() || (cargo.isNumber() && cargo.number() == 2)) {
        if (!ask || !d.LMODIFY) return true;
        TCONTROL* had = d.focusedControl();
        if (POPMSG("Annullo le modifiche?", 5).logical()) return true;
        if (had && had->HWND) had->takeFocus();
        return false;
    }
    d.CARGO = Value();
    if (TCONTROL* f = d.focusedControl(); f && f->LFOCUSED) f->lostFocus(nullptr);
    for (const auto& c : std::vector(d.ACONTROLS)) {
        if (c->isLabel()) continue;
        c->beforeCheck();
        if (!c->whenAllows()) continue;
        std::optional<std::string> msg = c->checkFailure();
        if (!msg && c->CARGO && !c->CARGO(*c)) msg = "Campo non valido.";
        if (!msg) continue;
        d.markUnder(*c);
        POPMSG(*msg, 1, "Attenzione");
        d.clearMark();
        c->takeFocus();
        return false;
    }
    return true;
}

// ---- helpers -----------------------------------------------------------------

TCONTROL* ITEM(TDIALOG& d, int id)
{
    for (const auto& c : d.ACONTROLS)
        if (c->NID == id) return c.get();
    return nullptr;
}

TCONTROL* CTL(TDIALOG& d, int index)
{
    if (index < 1 || size_t(index) > d.ACONTROLS.size()) return nullptr;
    return d.ACONTROLS[size_t(index) - 1].get();
}

TCONTROL* CTL(TDIALOG& d, const std::string& key)
{
    for (const auto& c : d.ACONTROLS)
        if (!c->CVARNAME.empty() && c->CVARNAME.compare(0, key.size(), key) == 0) return c.get();
    return nullptr;
}

void REFRESHALL(TDIALOG& d)
{
    static bool running = false;
    if (running) return;
    running = true;
    struct Reset {
        ~Reset() { running = false; }
    } reset;
    for (const auto& c : std::vector(d.ACONTROLS))
        if (c->BSETGET) c->refreshIfStale();
}

} // namespace velt
