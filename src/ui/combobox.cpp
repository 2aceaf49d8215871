// TCOMBOBOX: filling, picking, REFRESH / SET and the list operations.
#include "ui/combobox.h"

#include "ui/dialog.h"
#include "ui/registry.h"
#include "ui/syscolor.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace velt {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

} // namespace

TCOMBOBOX* TCOMBOBOX::REDEFINE(int id, SetGet getset, TDIALOG& dialog, const Args& a, std::source_location where)
{
    auto c = std::shared_ptr<TCOMBOBOX>(new TCOMBOBOX());
    c->bind(dialog, id, where);
    c->BSETGET = std::move(getset);
    if (c->BSETGET && !c->VARGET().isText()) c->VARPUT(Value(std::string()));
    c->AITEMS = a.items;
    c->CARGO = a.valid;
    c->BCHANGE = a.change;
    c->NCLRTEXT = a.textColour;
    c->NCLRPANE = a.backColour;
    c->CMSG = a.message;
    c->BWHEN = a.when;
    c->CPICTURE = a.picture;
    c->BEDITCHANGE = a.editChange;
    c->NLIMIT = a.length;
    c->CVARNAME = a.varname;
    c->BCLOSEUP = a.closeUp;
    dialog.ACONTROLS.push_back(c);
    return c.get();
}

QComboBox* TCOMBOBOX::combo() const { return qobject_cast<QComboBox*>(HWND); }

QWidget* TCOMBOBOX::createWidget(QWidget* parent, const TemplateItem& item)
{
    QWidget* w = makeItemWidget(parent, item);
    auto* cb = qobject_cast<QComboBox*>(w);
    cb->setEditable(false);
    cb->setMaxVisibleItems(12);
    QPalette pal = cb->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        QColor text = toQColor(NCLRTEXT >= 0 ? NCLRTEXT : GETSYSCOLOR(syscolor::WINDOWTEXT));
        QColor back = toQColor(NCLRPANE >= 0 ? NCLRPANE : GETSYSBGCOLOR());
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::ButtonText, text);
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Button, back);
    }
    cb->setPalette(pal);
    QObject::connect(cb, &QComboBox::activated, cb, [cb](int index) {
        if (auto* self = dynamic_cast<TCOMBOBOX*>(windowFromHandle(cb))) runEvent([&] { self->pick(index + 1); });
    });
    return w;
}

void TCOMBOBOX::classInit()
{
    if (QComboBox* cb = combo()) {
        // The template gives the height of the open list; the box itself
        // keeps its natural height.
        QRect g = cb->geometry();
        cb->setGeometry(g.x(), g.y(), g.width(), cb->sizeHint().height());
        syncGeometry();
    }
    fill();
}

int TCOMBOBOX::indexOf(const std::string& text) const
{
    std::string t = rtrim(text);
    for (size_t i = 0; i < AITEMS.size(); ++i)
        if (rtrim(AITEMS[i]) == t) return int(i);
    return -1;
}

void TCOMBOBOX::fill()
{
    std::string v = VARGET().text();
    if (NLIMIT > 0 && v.size() > size_t(NLIMIT)) v.resize(size_t(NLIMIT));
    if (indexOf(v) < 0) AITEMS.insert(AITEMS.begin(), rtrim(v));
    showItems();
    shown_ = indexOf(v);
    if (QComboBox* cb = combo()) cb->setCurrentIndex(shown_);
}

void TCOMBOBOX::showItems()
{
    QComboBox* cb = combo();
    if (!cb) return;
    QSignalBlocker block(cb);
    cb->clear();
    for (const std::string& s : AITEMS) cb->addItem(QString::fromStdString(s));
}

void TCOMBOBOX::SETITEMS(const std::vector<std::string>& list)
{
    AITEMS = list;
    fill();
}

void TCOMBOBOX::SET(const std::string& text)
{
    int i = indexOf(text);
    if (i < 0) {
        AITEMS.insert(AITEMS.begin(), rtrim(text));
        if (QComboBox* cb = combo()) {
            QSignalBlocker block(cb);
            cb->insertItem(0, QString::fromStdString(AITEMS.front()));
        }
        i = 0;
    }
    shown_ = i;
    if (QComboBox* cb = combo()) {
        QSignalBlocker block(cb);
        cb->setCurrentIndex(i);
    }
}

void TCOMBOBOX::REFRESH() { SET(VARGET().text()); }

void TCOMBOBOX::SELECT(int position)
{
    if (position < 1 || size_t(position) > AITEMS.size()) return;
    shown_ = position - 1;
    if (QComboBox* cb = combo()) {
        QSignalBlocker block(cb);
        cb->setCurrentIndex(shown_);
    }
}

void TCOMBOBOX::MODIFY(const std::string& text, int position)
{
    if (position < 1 || size_t(position) > AITEMS.size()) return;
    AITEMS[size_t(position) - 1] = text;
    if (QComboBox* cb = combo()) cb->setItemText(position - 1, QString::fromStdString(text));
}

void TCOMBOBOX::INSERT(const std::string& text, int position)
{
    size_t at = position < 1 ? 0 : std::min(size_t(position) - 1, AITEMS.size());
    AITEMS.insert(AITEMS.begin() + long(at), text);
    if (shown_ >= int(at)) ++shown_;
    if (QComboBox* cb = combo()) {
        QSignalBlocker block(cb);
        cb->insertItem(int(at), QString::fromStdString(text));
    }
}

std::string TCOMBOBOX::GETTEXT() const
{
    if (QComboBox* cb = combo()) return cb->currentText().toStdString();
    return shown_ >= 0 && size_t(shown_) < AITEMS.size() ? AITEMS[size_t(shown_)] : std::string();
}

int TCOMBOBOX::position() const
{
    if (QComboBox* cb = combo()) return cb->currentIndex() + 1;
    return shown_ + 1;
}

void TCOMBOBOX::pick(int position)
{
    if (position < 1 || size_t(position) > AITEMS.size()) return;
    // Choosing the entry already shown changes nothing.
    if (position - 1 == shown_) return;
    SELECT(position);
    VARPUT(Value(GETTEXT()));
    VARPUT(Value(rtrim(AITEMS[size_t(position) - 1])));
    if (BCHANGE) BCHANGE(*this, VARGET());
}

bool TCOMBOBOX::filterKey(QKeyEvent& e)
{
    if (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    QString t = e.text();
    if (t.size() != 1 || !t[0].isPrint() || t[0] == QChar(' ') || AITEMS.empty()) return false;
    QString letter = t.toUpper();
    size_t n = AITEMS.size();
    size_t from = shown_ < 0 ? 0 : size_t(shown_) + 1;
    for (size_t k = 0; k < n; ++k) {
        size_t i = (from + k) % n;
        if (QString::fromStdString(AITEMS[i]).toUpper().startsWith(letter)) {
            pick(int(i) + 1);
            break;
        }
    }
    return true;
}

void TCOMBOBOX::beforeCheck()
{
    if (HWND && BSETGET) VARPUT(Value(rtrim(GETTEXT())));
}

void TCOMBOBOX::refreshIfStale()
{
    if (!HWND || LFOCUSED) return;
    if (rtrim(VARGET().text()) != rtrim(GETTEXT())) REFRESH();
}

} // namespace velt
