// TCONTROL: binding, focus handling, the id counter, form definition errors.
#include "ui/control.h"

#include "platform/process_exit.h"
#include "ui/dialog.h"
#include "ui/msgbar.h"
#include "ui/popmsg.h"
#include "ui/registry.h"
#include "util/errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace velt {

namespace {
int g_nextId = 101;
}

int TCONTROL::nextId()
{
    int id = g_nextId;
    g_nextId = id >= 30000 ? 100 : id + 1;
    return id;
}

void TCONTROL::resetIdCounter() { g_nextId = 101; }

std::string routineName(const std::source_location& where)
{
    std::string f = where.function_name();
    // "void velt::ARTICOLI(int)" -> "ARTICOLI"
    size_t paren = f.find('(');
    if (paren != std::string::npos) f.erase(paren);
    size_t space = f.rfind(' ');
    if (space != std::string::npos) f.erase(0, space + 1);
    size_t colons = f.rfind("::");
    if (colons != std::string::npos) f.erase(0, colons + 2);
    return f;
}

void formDefinitionError(const std::string& message)
{
    POPMSG(message, 1);
    platform::endProgram(1);
    // Only a recorded end (tests) gets here.
    throw Abandon{};
}

void TCONTROL::bind(TDIALOG& d, int id, std::source_location where)
{
    where_ = where;
    OWND = &d;
    NID = id == 0 ? nextId() : id;
    if (ITEM(d, NID))
        formDefinitionError("Duplicate id " + std::to_string(NID) + ";Function: " + routineName(where) +
                            "  Line: " + std::to_string(where.line()));
}

TDIALOG* TCONTROL::dialog() const { return dynamic_cast<TDIALOG*>(OWND); }

Value TCONTROL::VARGET() const { return BSETGET ? BSETGET(std::nullopt) : Value(); }

void TCONTROL::VARPUT(const Value& v)
{
    if (BSETGET) BSETGET(v);
}

void TCONTROL::CLICK()
{
    if (TDIALOG* d = dialog()) d->evalWhens();
}

void TCONTROL::SETFOCUS()
{
    TDIALOG* d = dialog();
    if (!d || !HWND) {
        TWINDOW::SETFOCUS();
        return;
    }
    auto order = d->templateOrder();
    auto self = std::find(order.begin(), order.end(), this);
    if (self == order.end()) return;
    size_t start = size_t(self - order.begin());
    for (size_t k = 0; k < order.size(); ++k) {
        TCONTROL* c = order[(start + k) % order.size()];
        if (c->HWND && c->whenAllows() && c->HWND->focusPolicy() != Qt::NoFocus) {
            c->takeFocus();
            return;
        }
    }
}

bool TCONTROL::END()
{
    TWINDOW* o = OWND;
    if (!o) return true;
    auto& list = o->ACONTROLS;
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& p) { return p.get() == this; });
    if (it == list.end()) return true;
    if (TDIALOG* d = dialog(); d && d->focusedControl() == this) d->noteFocus(nullptr);
    std::shared_ptr<TCONTROL> keep = *it; // the caller may still be inside this object
    list.erase(it);
    if (HWND) HWND->hide();
    return true;
}

void TCONTROL::gotFocus(TWINDOW* other)
{
    LFOCUSED = true;
    if (TDIALOG* d = dialog()) d->noteFocus(this);
    // The control's message shows on the message bar while it has the focus.
    if (!CMSG.empty()) SETMSG(*this, CMSG);
    if (BGOTFOCUS) BGOTFOCUS(*this, other);
}

void TCONTROL::lostFocus(TWINDOW* other)
{
    LFOCUSED = false;
    if (!CMSG.empty()) SETMSG(*this, "");
    if (BLOSTFOCUS) BLOSTFOCUS(*this, other);
}

void TCONTROL::takeFocus()
{
    if (!HWND) return;
    TDIALOG* d = dialog();
    TCONTROL* old = d ? d->focusedControl() : nullptr;
    if (HWND->window()->focusWidget() != HWND) {
        HWND->setFocus(Qt::OtherFocusReason);
        if (HWND->hasFocus()) return; // the focus events did the work
    }
    // The widget had the focus already (the confirm checks told it to lose
    // it), or its window is not active and only recorded the focus widget:
    // run the handling here; the later focus-in event then finds it done.
    if (LFOCUSED) return;
    if (old && old != this && old->LFOCUSED) old->lostFocus(this);
    gotFocus(old == this ? nullptr : old);
}

void TCONTROL::attached(const TemplateItem* item, QWidget* w)
{
    item_ = item;
    HWND = w;
    registerWindow(w, this);
    syncGeometry();
}

void TCONTROL::detached()
{
    if (HWND) unregisterWindow(HWND);
    HWND = nullptr;
    item_ = nullptr;
    LFOCUSED = false;
}

QWidget* makeItemWidget(QWidget* parent, const TemplateItem& it)
{
    using namespace tplstyle;
    QString text = QString::fromStdString(it.text);
    QWidget* w = nullptr;
    if (it.is("STATIC")) {
        if ((it.style & StaticSunken) && it.h <= 1) {
            auto* f = new QFrame(parent);
            f->setFrameShape(QFrame::HLine);
            f->setFrameShadow(QFrame::Sunken);
            w = f;
        } else {
            auto* l = new QLabel(text, parent);
            Qt::Alignment a = Qt::AlignLeft;
            if ((it.style & StaticAlignMask) == StaticCenter) a = Qt::AlignHCenter;
            if ((it.style & StaticAlignMask) == StaticRight) a = Qt::AlignRight;
            a |= (it.style & StaticVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
            l->setAlignment(a);
            if (it.style & StaticSunken) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            w = l;
        }
        w->setFocusPolicy(Qt::NoFocus);
    } else if (it.is("BUTTON")) {
        switch (it.style & ButtonTypeMask) {
        case ButtonCheck: w = new QCheckBox(text, parent); break;
        case ButtonRadio:
        case ButtonAutoRadio: w = new QRadioButton(text, parent); break;
        case ButtonGroupBox: w = new QGroupBox(text, parent); w->setFocusPolicy(Qt::NoFocus); break;
        default: {
            auto* b = new QPushButton(text, parent);
            b->setAutoDefault(false);
            w = b;
        }
        }
    } else if (it.is("EDIT")) {
        if (it.style & EditMultiline) {
            auto* e = new QPlainTextEdit(text, parent);
            e->setTabChangesFocus(true);
            w = e;
        } else {
            auto* e = new QLineEdit(text, parent);
            if (it.style & EditRight) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            else if (it.style & EditCenter) e->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
            if (!(it.style & Border)) e->setFrame(false);
            w = e;
        }
    } else if (it.is("COMBOBOX")) {
        w = new QComboBox(parent);
    } else {
        // TWBrowse, TBtnBmp, TImage not bound: an empty framed area.
        auto* f = new QFrame(parent);
        if (it.style & Border) f->setFrameStyle(QFrame::Box | QFrame::Plain);
        f->setFocusPolicy(Qt::NoFocus);
        w = f;
    }
    if (w->focusPolicy() != Qt::NoFocus)
        w->setFocusPolicy(it.tabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    return w;
}

} // namespace velt
