// TRADMENU and TRADIO.
#include "ui/radio.h"

#include "ui/dialog.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QKeyEvent>
#include <QRadioButton>

namespace velt {

TRADMENU* TRADMENU::REDEFINE(SetGet getset, TDIALOG& dialog, const std::vector<int>& ids, const Args& a,
                             std::source_location where)
{
    auto g = std::shared_ptr<TRADMENU>(new TRADMENU());
    g->BSETGET = std::move(getset);
    if (g->BSETGET) {
        Value v = g->VARGET();
        if (!v.isNumber() || v.number() == 0) g->VARPUT(Value(1));
        g->NOPTION = int(g->VARGET().number());
    }
    g->BCHANGE = a.change;
    int pos = 0;
    for (int id : ids) {
        auto r = std::shared_ptr<TRADIO>(new TRADIO());
        r->bind(dialog, id, where);
        r->OGROUP = g;
        r->NPOS = ++pos;
        r->BSETGET = g->BSETGET;
        r->NCLRTEXT = a.textColour;
        r->NCLRPANE = a.backColour;
        r->CMSG = a.message;
        r->BWHEN = a.when;
        r->CARGO = a.valid;
        r->CVARNAME = a.varname;
        r->LCHECKED = r->NPOS == g->NOPTION;
        dialog.ACONTROLS.push_back(r);
        g->AITEMS.push_back(r.get());
    }
    return g.get();
}

void TRADMENU::REFRESH()
{
    if (BSETGET) {
        Value v = VARGET();
        if (v.isNumber() && v.number() >= 1) NOPTION = int(v.number());
    }
    for (TRADIO* r : AITEMS) r->show(r->NPOS == NOPTION);
}

void TRADMENU::clicked(int position)
{
    if (AITEMS.size() > 1 && position != NOPTION && position >= 1 && size_t(position) <= AITEMS.size()) {
        NOPTION = position;
        VARPUT(Value(position));
        if (BCHANGE) BCHANGE(*this);
    }
    // Uncheck the previous button, check this one; the native button may
    // also have changed its own state on a click that changes nothing.
    for (TRADIO* r : AITEMS) r->show(r->NPOS == NOPTION);
}

QRadioButton* TRADIO::button() const { return qobject_cast<QRadioButton*>(HWND); }

QWidget* TRADIO::createWidget(QWidget* parent, const TemplateItem& item)
{
    TemplateItem it = item;
    it.style = (it.style & ~tplstyle::ButtonTypeMask) | tplstyle::ButtonRadio;
    QWidget* w = makeItemWidget(parent, it);
    auto* rb = qobject_cast<QRadioButton*>(w);
    CCAPTION = item.text;
    // The group, not the widget, decides which button is checked (all the
    // dialog's buttons share one parent, so the native exclusivity would mix
    // groups).
    rb->setAutoExclusive(false);
    if (item.style & tplstyle::ButtonLeftText) rb->setLayoutDirection(Qt::RightToLeft);
    if (NCLRTEXT >= 0 || NCLRPANE >= 0) {
        QPalette pal = rb->palette();
        if (NCLRTEXT >= 0) pal.setColor(QPalette::WindowText, toQColor(NCLRTEXT));
        if (NCLRPANE >= 0) {
            pal.setColor(QPalette::Window, toQColor(NCLRPANE));
            rb->setAutoFillBackground(true);
        }
        rb->setPalette(pal);
    }
    QObject::connect(rb, &QAbstractButton::clicked, rb, [rb] {
        if (auto* self = dynamic_cast<TRADIO*>(windowFromHandle(rb))) runEvent([self] { self->CLICK(); });
    });
    return w;
}

void TRADIO::classInit()
{
    if (OGROUP) OGROUP->REFRESH();
}

void TRADIO::show(bool checked)
{
    LCHECKED = checked;
    if (QRadioButton* rb = button()) {
        QSignalBlocker block(rb);
        rb->setChecked(checked);
    }
}

void TRADIO::REFRESH()
{
    if (OGROUP) OGROUP->REFRESH();
}

void TRADIO::CLICK()
{
    if (!OGROUP) return;
    if (OGROUP->AITEMS.size() <= 1) {
        show(LCHECKED); // a group of one button ignores clicks
        return;
    }
    OGROUP->clicked(NPOS);
    TCONTROL::CLICK();
}

bool TRADIO::filterKey(QKeyEvent& e)
{
    if (!OGROUP || (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    int step = 0;
    switch (e.key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Down:
    case Qt::Key_Right: step = 1; break;
    default: return false;
    }
    const auto& items = OGROUP->AITEMS;
    int n = int(items.size());
    for (int k = 1; k < n; ++k) {
        TRADIO* r = items[size_t(((NPOS - 1 + step * k) % n + n) % n)];
        if (!r->HWND || !r->HWND->isEnabled()) continue;
        r->takeFocus();
        r->CLICK();
        break;
    }
    return true;
}

} // namespace velt
