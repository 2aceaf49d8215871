// TGET: binding, display, focus and text-to-value.
#include "ui/tget.h"

#include "ui/dialog.h"
#include "ui/registry.h"
#include "ui/syscolor.h"
#include "util/cp1252.h"

#include <QLineEdit>

namespace velt {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string trim(std::string s)
{
    s = rtrim(std::move(s));
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

} // namespace

TGET* TGET::REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto g = std::shared_ptr<TGET>(new TGET());
    g->bind(dialog, id, where);
    g->BSETGET = std::move(getset);
    if (g->BSETGET && g->VARGET().isNil()) g->VARPUT(Value(std::string()));
    g->CPICTURE = a.picture;
    if (g->CPICTURE.empty() && g->VARGET().isDate()) g->CPICTURE = "99/99/9999";
    g->CARGO = a.valid;
    g->NCLRTEXT = a.textColour;
    g->NCLRPANE = a.backColour;
    g->OFONT = a.font;
    if (!g->OFONT && a.password) g->OFONT = std::make_shared<TFONT>("Arial", 14);
    g->CMSG = a.message;
    g->BWHEN = a.when;
    g->BCHANGE = a.change;
    g->LREADONLY = a.readonly;
    g->LPASSWORD = a.password;
    g->CVARNAME = a.varname;
    g->BGOTFOCUS = a.gotFocus;
    g->BLOSTFOCUS = a.lostFocus;
    dialog.ACONTROLS.push_back(g);
    return g.get();
}

QLineEdit* TGET::edit() const { return qobject_cast<QLineEdit*>(HWND); }

std::string TGET::GETTEXT() const
{
    QLineEdit* e = edit();
    return e ? e->text().toStdString() : std::string();
}

QWidget* TGET::createWidget(QWidget* parent, const TemplateItem& item)
{
    TemplateItem single = item;
    single.className = "EDIT"; // a dialog built in code gives items without a class
    single.style &= ~tplstyle::EditMultiline;
    QWidget* w = makeItemWidget(parent, single);
    auto* e = qobject_cast<QLineEdit*>(w);
    // The colours of an enabled field; a disabled one keeps the greyed look.
    QPalette pal = e->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Text, toQColor(NCLRTEXT >= 0 ? NCLRTEXT : GETSYSCOLOR(syscolor::WINDOWTEXT)));
        pal.setColor(group, QPalette::Base, toQColor(NCLRPANE >= 0 ? NCLRPANE : GETSYSBGCOLOR()));
    }
    e->setPalette(pal);
    return w;
}

void TGET::classInit()
{
    QLineEdit* e = edit();
    if (!e) return;
    e->setReadOnly(LREADONLY);
    if (LPASSWORD) e->setEchoMode(QLineEdit::Password);
    // Every change goes through the editor, which keeps the text limit.
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAcceptDrops(false);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    e->clear();
    ed_.bind(VARGET(), Picture(CPICTURE), LREADONLY, LPASSWORD);
    copyOut();
}

void TGET::copyIn() const
{
    QLineEdit* e = edit();
    if (!e) return;
    int start = e->selectionStart();
    int len = e->selectionLength();
    ed_.setState(e->text().toStdString(), size_t(e->cursorPosition()), start < 0 ? 0 : size_t(start),
                 start < 0 ? 0 : size_t(len));
}

void TGET::copyOut() const
{
    QLineEdit* e = edit();
    if (!e) return;
    QString t = QString::fromStdString(ed_.text());
    if (e->text() != t) e->setText(t);
    int start = int(ed_.selectionStart()), len = int(ed_.selectionLength()), cur = int(ed_.cursor());
    if (len > 0) {
        if (cur == start) e->setSelection(start + len, -len);
        else e->setSelection(start, len);
    } else {
        e->setCursorPosition(cur);
    }
}

bool TGET::invalidDateText(const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c != '/') digits += c;
    if (trim(digits).empty()) return false;
    bool ok = true;
    Date::fromText(text, &ok);
    return !ok;
}

void TGET::REFRESH()
{
    if (!edit()) return;
    copyIn();
    ed_.show(VARGET());
    copyOut();
}

Value TGET::textValue() const
{
    copyIn();
    Value v = VARGET();
    // Asterisks are no number the user typed (they cannot be typed).
    if (v.isNumber() && isOverflowText(trim(ed_.text()))) return v;
    return ed_.value(v);
}

void TGET::gotFocus(TWINDOW* other)
{
    ed_.beginEdit();
    TCONTROL::gotFocus(other);
    if (!edit()) return;
    copyIn();
    ed_.show(VARGET());
    ed_.selectAll();
    copyOut();
}

void TGET::lostFocus(TWINDOW* other)
{
    if (BSETGET && HWND) VARPUT(textValue());
    TCONTROL::lostFocus(other);
    ed_.endEdit();
    REFRESH();
}

std::optional<std::string> TGET::checkFailure() const
{
    Value v = VARGET();
    copyIn();
    return ed_.confirmFailure(v);
}

void TGET::refreshIfStale()
{
    if (!HWND) return;
    Value v = VARGET();
    std::string shown = GETTEXT(), expected;
    switch (v.type()) {
    case ValueType::Number: expected = TRANSFORM(v, ed_.picture()); break;
    case ValueType::Date:
        if (invalidDateText(shown)) return;
        expected = v.date().isEmpty() ? std::string(8, ' ') : v.date().toText();
        break;
    default: expected = v.text(); break;
    }
    if (rtrim(expected) != rtrim(shown)) REFRESH();
}

bool TGET::filterKey(QKeyEvent& e) { return TGET_EDITKEY(*this, e); }

} // namespace velt
