#include "platform/qt/qtmsgboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace velt::platform {

namespace {
QString q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QMessageBox::StandardButton standard(MsgButton b)
{
    switch (b) {
    case MsgButton::Ok: return QMessageBox::Ok;
    case MsgButton::Cancel: return QMessageBox::Cancel;
    case MsgButton::Yes: return QMessageBox::Yes;
    case MsgButton::No: return QMessageBox::No;
    case MsgButton::Closed: break;
    }
    return QMessageBox::NoButton;
}

const char* caption(MsgButton b)
{
    switch (b) {
    case MsgButton::Ok: return "OK";
    case MsgButton::Cancel: return "Annulla";
    case MsgButton::Yes: return "Sì";
    case MsgButton::No: return "No";
    case MsgButton::Closed: break;
    }
    return "";
}

QMessageBox::Icon icon(MsgIcon i)
{
    switch (i) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Stop: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QMessageBox* buildMessageBox(const MessageBoxRequest& r)
{
    KindSpec ks = kindSpec(r.kind);
    QWidget* parent = QApplication::activeWindow();
    if (!parent) parent = QApplication::activeModalWidget();
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(q(r.title));
    box->setTextFormat(Qt::PlainText);
    box->setText(q(r.text));
    box->setIcon(icon(ks.icon));
    box->setWindowModality(box->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    for (MsgButton b : ks.buttons) {
        QPushButton* pb = box->addButton(standard(b));
        pb->setText(QString::fromUtf8(caption(b)));
        if (b == ks.initial) box->setDefaultButton(pb);
    }
    if (QAbstractButton* esc = box->button(standard(ks.escape))) box->setEscapeButton(esc);
    return box;
}

MsgButton QtMessageBoxes::show(const MessageBoxRequest& r)
{
    if (!kindSpec(r.kind).valid) return MsgButton::Closed;
    std::unique_ptr<QMessageBox> box(buildMessageBox(r));
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    if (!clicked) return MsgButton::Closed;
    switch (box->standardButton(clicked)) {
    case QMessageBox::Ok: return MsgButton::Ok;
    case QMessageBox::Cancel: return MsgButton::Cancel;
    case QMessageBox::Yes: return MsgButton::Yes;
    case QMessageBox::No: return MsgButton::No;
    default: return MsgButton::Closed;
    }
}

std::optional<std::string> QtFileDialogs::choose(const FileDialogRequest& r)
{
    QStringList filters;
    for (const auto& f : r.filters) {
        QString name = q(f.name);
        if (!name.contains('(')) {
            QStringList pats;
            for (const auto& p : f.patterns) pats << q(p);
            name += " (" + pats.join(' ') + ")";
        }
        filters << name;
    }
    QString dir = q(r.startDir);
    if (!r.proposedName.empty()) dir = dir.isEmpty() ? q(r.proposedName) : dir + "/" + q(r.proposedName);
    QWidget* parent = QApplication::activeWindow();
    QString chosen = r.save ? QFileDialog::getSaveFileName(parent, q(r.title), dir, filters.join(";;"), nullptr,
                                                           QFileDialog::DontConfirmOverwrite)
                            : QFileDialog::getOpenFileName(parent, q(r.title), dir, filters.join(";;"));
    if (chosen.isEmpty()) return std::nullopt;
    QByteArray u = chosen.toUtf8();
    return std::string(u.constData(), size_t(u.size()));
}

} // namespace velt::platform
