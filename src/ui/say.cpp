// TSAY.
#include "ui/say.h"

#include "ui/dialog.h"
#include "ui/syscolor.h"
#include "util/picture.h"
#include "util/strfmt.h"

#include <QFontMetrics>
#include <QLabel>

namespace velt {

TSAY* TSAY::REDEFINE(int id, TextBlock text, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto s = std::shared_ptr<TSAY>(new TSAY());
    s->bind(dialog, id, where);
    s->BTEXT = std::move(text);
    s->CPICTURE = a.picture;
    s->NCLRTEXT = a.textColour;
    s->BCLRTEXT = a.textColourBlock;
    s->NCLRPANE = a.backColour;
    s->OFONT = a.font;
    s->LTRANSPARENT = a.transparent;
    s->LADJUST = a.adjust;
    s->LABELCARGO = a.cargo;
    // Labels count as bound for REFRESHALL.
    s->BSETGET = [raw = s.get()](std::optional<Value> v) -> Value {
        if (v) raw->VARPUT(*v);
        return raw->BTEXT ? raw->BTEXT(*raw) : Value();
    };
    if (!s->BTEXT) s->BSETGET = nullptr;
    dialog.ACONTROLS.push_back(s);
    return s.get();
}

QWidget* TSAY::createWidget(QWidget* parent, const TemplateItem& item)
{
    QWidget* w = makeItemWidget(parent, item);
    if (CCAPTION.empty()) CCAPTION = item.text;
    return w;
}

void TSAY::VARPUT(const Value& value)
{
    BTEXT = [value](TSAY&) { return value; };
    REFRESH();
}

std::string TSAY::text() const
{
    auto* l = qobject_cast<QLabel*>(HWND);
    return l ? l->text().toStdString() : CCAPTION;
}

void TSAY::applyCaption()
{
    if (auto* l = qobject_cast<QLabel*>(HWND)) l->setText(QString::fromStdString(CCAPTION));
}

void TSAY::REFRESH()
{
    auto* l = qobject_cast<QLabel*>(HWND);
    if (!l) return;
    if (BTEXT) {
        Value v = BTEXT(*this);
        CCAPTION = CPICTURE.empty() ? CVALTOCHAR(v) : TRANSFORM(v, Picture(CPICTURE));
        l->setText(QString::fromStdString(CCAPTION));
    }
    int fg = BCLRTEXT ? BCLRTEXT() : (NCLRTEXT >= 0 ? NCLRTEXT : GETSYSCOLOR(syscolor::BTNTEXT));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, toQColor(fg));
    if (!LTRANSPARENT && NCLRPANE >= 0) {
        pal.setColor(QPalette::Window, toQColor(NCLRPANE));
        l->setAutoFillBackground(true);
    }
    l->setPalette(pal);
    if (LADJUST && (l->alignment() & Qt::AlignLeft)) {
        int need = QFontMetrics(l->font()).horizontalAdvance(l->text());
        if (need > l->width()) l->resize(need + 20, l->height());
    }
}

} // namespace velt
