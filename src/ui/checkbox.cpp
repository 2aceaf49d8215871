// TCHECKBOX.
#include "ui/checkbox.h"

#include "ui/dialog.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QCheckBox>

namespace velt {

TCHECKBOX* TCHECKBOX::REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto c = std::shared_ptr<TCHECKBOX>(new TCHECKBOX());
    c->bind(dialog, id, where);
    c->BSETGET = std::move(getset);
    if (c->BSETGET && !c->VARGET().isLogical()) c->VARPUT(Value(false));
    c->BCHANGE = a.change;
    c->CARGO = a.valid;
    c->NCLRTEXT = a.textColour;
    c->NCLRPANE = a.backColour;
    c->CMSG = a.message;
    c->BWHEN = a.when;
    if (a.caption) c->CCAPTION = *a.caption;
    c->CVARNAME = a.varname;
    dialog.ACONTROLS.push_back(c);
    return c.get();
}

QCheckBox* TCHECKBOX::box() const { return qobject_cast<QCheckBox*>(HWND); }

QWidget* TCHECKBOX::createWidget(QWidget* parent, const TemplateItem& item)
{
    TemplateItem it = item;
    it.style = (it.style & ~tplstyle::ButtonTypeMask) | tplstyle::ButtonCheck;
    QWidget* w = makeItemWidget(parent, it);
    auto* cb = qobject_cast<QCheckBox*>(w);
    if (CCAPTION.empty()) CCAPTION = item.text;
    else cb->setText(QString::fromStdString(CCAPTION));
    if (item.style & tplstyle::ButtonLeftText) cb->setLayoutDirection(Qt::RightToLeft);
    if (NCLRTEXT >= 0 || NCLRPANE >= 0) {
        QPalette pal = cb->palette();
        if (NCLRTEXT >= 0) pal.setColor(QPalette::WindowText, toQColor(NCLRTEXT));
        if (NCLRPANE >= 0) {
            pal.setColor(QPalette::Window, toQColor(NCLRPANE));
            cb->setAutoFillBackground(true);
        }
        cb->setPalette(pal);
    }
    // The box shows the variable, never a state of its own: every click goes
    // through CLICK, which sets the variable and then the box.
    QObject::connect(cb, &QAbstractButton::clicked, cb, [cb] {
        if (auto* self = dynamic_cast<TCHECKBOX*>(windowFromHandle(cb))) runEvent([self] { self->CLICK(); });
    });
    return w;
}

void TCHECKBOX::applyCaption()
{
    if (QCheckBox* cb = box()) cb->setText(QString::fromStdString(CCAPTION));
}

bool TCHECKBOX::checked() const
{
    if (QCheckBox* cb = box()) return cb->isChecked();
    return VARGET().logical();
}

void TCHECKBOX::REFRESH()
{
    if (!BSETGET) return;
    if (QCheckBox* cb = box()) {
        QSignalBlocker block(cb);
        cb->setChecked(VARGET().logical());
    }
}

void TCHECKBOX::CLICK()
{
    bool v = BSETGET ? !VARGET().logical() : !checked();
    if (BSETGET) {
        VARPUT(Value(v));
        REFRESH();
    } else if (QCheckBox* cb = box()) {
        QSignalBlocker block(cb);
        cb->setChecked(v);
    }
    if (BCHANGE) BCHANGE(v, *this);
    TCONTROL::CLICK();
}

} // namespace velt
