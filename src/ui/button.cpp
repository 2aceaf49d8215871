// TBUTTON.
#include "ui/button.h"

#include "ui/dialog.h"
#include "ui/registry.h"

#include <QKeyEvent>
#include <QPushButton>

namespace velt {

TBUTTON* TBUTTON::REDEFINE(int id, Action action, TDIALOG& dialog, const std::string& message, WhenBlock when,
                           ValidBlock valid, std::optional<std::string> caption, bool cancel,
                           std::source_location where)
{
    auto b = std::shared_ptr<TBUTTON>(new TBUTTON());
    b->bind(dialog, id, where);
    b->BACTION = std::move(action);
    b->CMSG = message;
    b->BWHEN = std::move(when);
    b->BVALID = std::move(valid);
    if (caption) b->CCAPTION = *caption;
    b->LCANCEL = cancel;
    dialog.ACONTROLS.push_back(b);
    return b.get();
}

QWidget* TBUTTON::createWidget(QWidget* parent, const TemplateItem& item)
{
    QWidget* w = makeItemWidget(parent, item);
    if (CCAPTION.empty()) CCAPTION = item.text;
    else if (auto* pb = qobject_cast<QAbstractButton*>(w)) pb->setText(QString::fromStdString(CCAPTION));
    if (auto* pb = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(pb, &QAbstractButton::clicked, pb, [pb] {
            // The widget may outlive its object for a moment after the dialog ended.
            if (auto* self = dynamic_cast<TBUTTON*>(windowFromHandle(pb))) runEvent([self] { self->CLICK(); });
        });
    }
    return w;
}

void TBUTTON::applyCaption()
{
    if (auto* pb = qobject_cast<QAbstractButton*>(HWND)) pb->setText(QString::fromStdString(CCAPTION));
}

void TBUTTON::CLICK()
{
    if (running_) return;
    if (!whenAllows()) return;
    running_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{running_};
    TDIALOG* d = dialog();
    if (HWND && d && d->focusedControl() != this && HWND->isEnabled()) takeFocus();
    if (BACTION) BACTION(*this);
    if (!LCANCEL && d && !d->ended()) d->evalWhens();
}

bool TBUTTON::filterKey(QKeyEvent& e)
{
    TDIALOG* d = dialog();
    if (!d || (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    switch (e.key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: d->focusNext(false); return true;
    case Qt::Key_Down:
    case Qt::Key_Right: d->focusNext(true); return true;
    default: return false;
    }
}

} // namespace velt
