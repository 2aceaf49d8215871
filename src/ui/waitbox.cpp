#include "ui/waitbox.h"

#include "ui/font.h"
#include "ui/popmsg.h"
#include "ui/template.h"
#include "util/errors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace velt {

struct TMSGBOX::Guard {
    QPointer<QWidget> w;
};

namespace {

QString q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The wait box cannot be closed by the user: not by Esc, Alt+F4 or any
// close request. Only its owner lifts the refusal before closing it.
class WaitDialog : public QDialog {
public:
    bool allowClose = false;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        if (allowClose) QDialog::closeEvent(e);
        else e->ignore();
    }
    void reject() override
    {
        if (allowClose) QDialog::reject();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_F4) {
            e->accept();
            return;
        }
        QDialog::keyPressEvent(e);
    }
};

QFont boxFont()
{
    QFont f(QStringLiteral("Segoe UI"));
    f.setPixelSize(15);
    return f;
}

struct TextSize {
    int width; // widest line in pixels
    int lines;
};

// An empty text counts as one line 100 pixels wide.
TextSize measure(const QString& text, const QFontMetrics& fm)
{
    if (text.isEmpty()) return {100, 1};
    const QStringList lines = text.split('\n');
    int w = 0;
    for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
    return {w, int(lines.size())};
}

void centre(QWidget* w)
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return;
    QRect r = s->availableGeometry();
    w->move(r.x() + (r.width() - w->width()) / 2, r.y() + (r.height() - w->height()) / 2);
}

QDialog* newDialog(const QString& title)
{
    auto* d = new WaitDialog;
    d->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    d->setWindowTitle(title);
    d->setModal(false);
    d->setCursor(Qt::WaitCursor);
    d->setAttribute(Qt::WA_DeleteOnClose, false);
    return d;
}

QWidget* rememberActive()
{
    QWidget* w = QApplication::activeWindow();
    if (w) w->setEnabled(false);
    return w;
}

// Kept above the window it disables, without being its child: a child would
// be disabled with it.
void showOver(QDialog* d, QWidget* owner)
{
    d->winId();
    if (owner && owner->windowHandle() && d->windowHandle())
        d->windowHandle()->setTransientParent(owner->windowHandle());
    d->show();
    centre(d);
}

} // namespace

TMSGBOX::TMSGBOX(const std::string& text, const std::string& title, std::optional<int> min, std::optional<int> max)
    : window_(new Guard{rememberActive()}), text_(text)
{
    dlg_ = newDialog(q(title));
    QFont f = boxFont();
    dlg_->setFont(f);
    QFontMetrics fm(f);
    const QString shown = q(popMsgText(text));
    TextSize ts = measure(shown, fm);
    if (min) {
        ts.lines += 1;
        ts.width += 5;
    }
    const int h = fm.height();

    auto* icon = new QLabel(dlg_);
    icon->setPixmap(dlg_->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setGeometry(8, 8, 32, 32);

    label_ = new QLabel(shown, dlg_);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setGeometry(65, 25, ts.width + 20, ts.lines * h);

    if (min) {
        bar_ = new QProgressBar(dlg_);
        bar_->setRange(*min, max.value_or(*min));
        bar_->setValue(*min);
        bar_->setTextVisible(false);
    }
    layoutPlain(ts.width + 110, (ts.lines + 5) * h);
    showOver(dlg_, window_->w);
}

TMSGBOX::TMSGBOX(PrintBox) : window_(new Guard{rememberActive()}), print_(true)
{
    dlg_ = newDialog(QStringLiteral("Attendere"));
    std::optional<DialogTemplate> t = loadTemplate("PRINTDLG");
    if (!t) {
        delete window_;
        delete dlg_;
        throw reportError("dialog template missing", "PRINTDLG", "TMSGBOX");
    }
    QFont f = TFONT::fromPoints(t->fontFace, t->fontPoints).qfont();
    dlg_->setFont(f);
    // Built in dialog units of the template font, without the widening other
    // dialogs get.
    DialogUnits du = dialogUnits(f);
    for (const TemplateItem& it : t->items) {
        QRect r(du.x(it.x), du.y(it.y), du.x(it.w), du.y(it.h));
        QWidget* w = nullptr;
        if (it.is("BUTTON") && (it.style & tplstyle::ButtonTypeMask) == tplstyle::ButtonGroupBox) {
            w = new QGroupBox(q(it.text), dlg_);
        } else if (it.is("TBtnBmp")) {
            auto* b = new QPushButton(dlg_);
            b->setIcon(QIcon(QStringLiteral(":/bitmaps/%1.png").arg(q(it.text))));
            b->setFocusPolicy(Qt::NoFocus);
            w = b;
        } else if (it.is("BUTTON")) {
            auto* b = new QPushButton(q(it.text), dlg_);
            if (it.id == 201) b->hide(); // the print box offers no way to cancel
            w = b;
        } else {
            auto* l = new QLabel(q(it.text), dlg_);
            if (it.id == 102) label_ = l;
            w = l;
        }
        w->setGeometry(r);
    }
    if (!label_) {
        delete window_;
        delete dlg_;
        throw reportError("page counter missing", "PRINTDLG", "TMSGBOX");
    }
    label_->setText(QString());
    dlg_->setFixedSize(du.x(t->w), du.y(t->h) - 33);
    showOver(dlg_, window_->w);
}

TMSGBOX::~TMSGBOX()
{
    QPointer<QWidget> owner = window_->w;
    delete window_;
    if (owner) owner->setEnabled(true);
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    static_cast<WaitDialog*>(dlg_)->allowClose = true;
    dlg_->close();
    delete dlg_;
    // The next message box is modal to the active window: give it back.
    if (owner && owner->isVisible()) owner->activateWindow();
}

QWidget* TMSGBOX::disabledWindow() const { return window_->w.data(); }

// The sizes are those of the box's own area; a window manager's frame, where
// there is one, comes around it.
void TMSGBOX::layoutPlain(int width, int height)
{
    dlg_->setFixedSize(width, height);
    if (bar_) bar_->setGeometry(15, height - 73, width - 45, 20);
}

void TMSGBOX::setText(const std::string& text)
{
    if (print_) return;
    QFontMetrics fm(dlg_->font());
    const QString oldShown = label_->text();
    const QString shown = q(popMsgText(text));
    text_ = text;
    label_->setText(shown);
    TextSize before = measure(oldShown, fm), after = measure(shown, fm);
    // The height stays, unless the new text has more lines than the label
    // holds: those would be cut off.
    int height = dlg_->height();
    int labelH = label_->height();
    if (after.lines * fm.height() > labelH) {
        height += after.lines * fm.height() - labelH;
        labelH = after.lines * fm.height();
    }
    if (after.width != before.width || height != dlg_->height()) {
        int width = after.width != before.width ? after.width + 108 : dlg_->width();
        label_->setGeometry(65, 25, width - 88, labelH);
        layoutPlain(width, height);
        centre(dlg_);
    }
    dlg_->repaint();
}

void TMSGBOX::setPos(int pos)
{
    if (bar_) bar_->setValue(pos);
}

void TMSGBOX::nextPage()
{
    if (!print_) return;
    ++npag_;
    label_->setText(QString::number(npag_));
    label_->repaint();
}

} // namespace velt
