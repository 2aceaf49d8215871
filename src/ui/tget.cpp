// TGET: binding, display, focus and text-to-value.
#include "ui/tget.h"

#include "ui/dialog.h"
#include "ui/registry.h"
#include "ui/syscolor.h"
#include "util/cp1252.h"

#include <QLineEdit>

namespace velt {

bool TGET::LMINUS = true;

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
    g->pic_ = Picture(g->CPICTURE);
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
    int limit = textLimit(VARGET(), Picture(CPICTURE));
    if (limit > 0) e->setMaxLength(limit);
    // The first display shows the value as the picture writes it.
    e->clear();
    REFRESH();
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
    QLineEdit* e = edit();
    if (!e) return;
    Value v = VARGET();
    std::string cur = GETTEXT();
    std::string t = TRANSFORM(v, pic_);
    if (v.isText() && !pic_.hasLiterals()) t = rtrim(t);
    if (v.isDate() && invalidDateText(cur)) t = cur;
    if (v.isNumber()) {
        if (isOverflowText(t)) {
            // What the user typed stays; a value set in code shows as asterisks.
            if (!cur.empty() && !isOverflowText(cur) && readNumber(cur) == v.number()) t = cur;
        } else if (LFOCUSED) {
            t = TRANSFORM(v, pic_.withoutFunction('Z'));
        }
        t = trim(t);
    }
    QString q = QString::fromStdString(t);
    if (e->text() != q) e->setText(q);
}

Value TGET::textValue() const
{
    Value v = VARGET();
    std::string text = GETTEXT();
    switch (v.type()) {
    case ValueType::Date: return Date::fromText(text);
    case ValueType::Number:
        if (isOverflowText(trim(text))) return v;
        return readNumber(text);
    case ValueType::Logical: return text == "T";
    default: {
        size_t want = utf8Length(v.text()), have = utf8Length(text);
        if (have < want) text.append(want - have, ' ');
        return text;
    }
    }
}

void TGET::gotFocus(TWINDOW* other)
{
    if (!editing_) {
        editing_ = true;
        pic_ = Picture(CPICTURE).withoutCommas();
    }
    if (VARGET().isNumber()) LMINUS = false;
    TCONTROL::gotFocus(other);
    REFRESH();
    if (QLineEdit* e = edit()) e->selectAll();
}

void TGET::lostFocus(TWINDOW* other)
{
    if (BSETGET && HWND) VARPUT(textValue());
    TCONTROL::lostFocus(other);
    editing_ = false;
    pic_ = Picture(CPICTURE);
    if (VARGET().isNumber()) LMINUS = true;
    REFRESH();
}

std::optional<std::string> TGET::checkFailure() const
{
    Value v = VARGET();
    if (v.isDate() && invalidDateText(GETTEXT())) return std::string("Data non valida.");
    if (v.isNumber() && isOverflowText(TRANSFORM(v, Picture(CPICTURE)))) return std::string("Numero troppo grande.");
    return std::nullopt;
}

void TGET::refreshIfStale()
{
    if (!HWND) return;
    Value v = VARGET();
    std::string shown = GETTEXT(), expected;
    switch (v.type()) {
    case ValueType::Number: expected = TRANSFORM(v, pic_); break;
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
