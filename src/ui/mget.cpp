// TMULTIGET: binding, display, line breaks, text limit and focus.
#include "ui/mget.h"

#include "ui/dialog.h"
#include "ui/syscolor.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>

#include <algorithm>

namespace velt {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && (s.back() == ' ')) s.pop_back();
    return s;
}

// Characters of a widget text as stored: a line break takes two.
int storedLength(const QString& s) { return int(s.size() + s.count(QChar('\n'))); }

// The widget: Tab focus selects the whole text (a click leaves the caret
// where clicked); every insertion from the clipboard or a drop keeps the
// field's limit.
class MultiEdit : public QPlainTextEdit {
public:
    MultiEdit(TMULTIGET* f, QWidget* parent) : QPlainTextEdit(parent), f_(f) {}

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        QPlainTextEdit::focusInEvent(e);
        if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
            e->reason() == Qt::ShortcutFocusReason || e->reason() == Qt::OtherFocusReason)
            selectAll();
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (isReadOnly() || !source->hasText()) return;
        f_->insertLimited(source->text().toStdString());
    }

private:
    TMULTIGET* f_;
};

} // namespace

TMULTIGET* TMULTIGET::REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto g = std::shared_ptr<TMULTIGET>(new TMULTIGET());
    g->bind(dialog, id, where);
    g->BSETGET = std::move(getset);
    if (g->BSETGET && !g->VARGET().isText()) g->VARPUT(Value(std::string()));
    g->NCLRTEXT = a.textColour;
    g->NCLRPANE = a.backColour;
    g->OFONT = a.font;
    g->CMSG = a.message;
    g->BWHEN = a.when;
    g->LREADONLY = a.readonly;
    g->CARGO = a.valid;
    g->BCHANGE = a.change;
    g->NLIMIT = a.length > 0 ? a.length : 0;
    g->CVARNAME = a.varname;
    g->BGOTFOCUS = a.gotFocus;
    g->BLOSTFOCUS = a.lostFocus;
    dialog.ACONTROLS.push_back(g);
    return g.get();
}

QPlainTextEdit* TMULTIGET::edit() const { return qobject_cast<QPlainTextEdit*>(HWND); }

std::string TMULTIGET::toWidgetText(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string TMULTIGET::toVarText(const std::string& s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

std::string TMULTIGET::GETTEXT() const
{
    QPlainTextEdit* e = edit();
    return e ? toVarText(e->toPlainText().toStdString()) : std::string();
}

QWidget* TMULTIGET::createWidget(QWidget* parent, const TemplateItem& item)
{
    auto* e = new MultiEdit(this, parent);
    e->setTabChangesFocus(true);
    e->setFocusPolicy(item.tabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    QPalette pal = e->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Text, toQColor(NCLRTEXT >= 0 ? NCLRTEXT : GETSYSCOLOR(syscolor::WINDOWTEXT)));
        pal.setColor(group, QPalette::Base, toQColor(NCLRPANE >= 0 ? NCLRPANE : GETSYSBGCOLOR()));
    }
    e->setPalette(pal);
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] { userChanged(); });
    return e;
}

void TMULTIGET::classInit()
{
    QPlainTextEdit* e = edit();
    if (!e) return;
    e->setReadOnly(LREADONLY);
    // Typing and pasting go through the field, which keeps the limit.
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setAcceptDrops(false);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    REFRESH();
}

void TMULTIGET::REFRESH()
{
    QPlainTextEdit* e = edit();
    if (!e) return;
    showing_ = true;
    e->setPlainText(QString::fromStdString(toWidgetText(VARGET().text())));
    showing_ = false;
}

void TMULTIGET::userChanged()
{
    if (showing_ || !BCHANGE) return;
    TDIALOG* d = dialog();
    int key = d ? d->lastKey() : 0;
    runEvent([&] { BCHANGE(key, 0, *this); });
}

int TMULTIGET::room() const
{
    QPlainTextEdit* e = edit();
    if (!NLIMIT || !e) return -1;
    int used = storedLength(e->toPlainText()) - storedLength(e->textCursor().selectedText().replace(QChar(0x2029), QChar('\n')));
    return std::max(0, NLIMIT - used);
}

void TMULTIGET::insertLimited(const std::string& widgetText)
{
    QPlainTextEdit* e = edit();
    if (!e || LREADONLY) return;
    QString t = QString::fromStdString(toWidgetText(widgetText));
    if (int r = room(); r >= 0) {
        QString fit;
        int n = 0;
        for (QChar c : t) {
            int w = c == QChar('\n') ? 2 : 1;
            if (n + w > r) break;
            fit += c;
            n += w;
        }
        t = fit;
    }
    if (t.isEmpty()) return;
    e->textCursor().insertText(t);
    e->ensureCursorVisible();
}

bool TMULTIGET::filterKey(QKeyEvent& e)
{
    if (LREADONLY || !NLIMIT) return false; // the widget refuses or accepts on its own
    bool ctrl = e.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) {
        if (!ctrl) insertLimited("\n");
        return true;
    }
    QString t = e.text();
    if (ctrl || t.isEmpty() || !t.at(0).isPrint()) return false;
    insertLimited(t.toStdString());
    return true;
}

void TMULTIGET::lostFocus(TWINDOW* other)
{
    if (BSETGET && HWND) VARPUT(Value(GETTEXT()));
    TCONTROL::lostFocus(other);
}

void TMULTIGET::refreshIfStale()
{
    if (!HWND) return;
    if (rtrim(VARGET().text()) != rtrim(GETTEXT())) REFRESH();
}

} // namespace velt
