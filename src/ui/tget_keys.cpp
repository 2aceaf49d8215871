// The key handling of TGET: every key that changes the text goes to the
// field's picture-mask editor (ui/maskedit.h), in the order the edit fields
// apply their rules; the widget only moves the cursor and the selection.
#include "ui/tget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace velt {

bool TGET_EDITKEY(TGET& g, QKeyEvent& e)
{
    if (!g.edit()) return false;
    MaskEditor& ed = g.editor();
    const int flags = int(e.modifiers());
    EditResult r;
    int key = 0;

    if (e.key() == Qt::Key_Delete) {
        g.copyIn();
        r = ed.del();
    } else if (e.modifiers() & Qt::ControlModifier) {
        if (e.key() < Qt::Key_A || e.key() > Qt::Key_Z) return false; // Ctrl+arrows and the like
        const char letter = char('A' + (e.key() - Qt::Key_A));
        if (letter != 'C' && letter != 'V' && letter != 'X' && letter != 'Z') return true; // refused
        if (g.BKEYCHAR) g.BKEYCHAR(letter & 0x1F, flags, g);
        g.copyIn();
        QClipboard* cb = QGuiApplication::clipboard();
        r = ed.ctrlChar(letter, cb ? cb->text().toStdString() : std::string());
        if (r.copyText && cb) cb->setText(QString::fromStdString(*r.copyText));
    } else {
        QString typed = e.text();
        if (e.key() == Qt::Key_Backspace) typed = QStringLiteral("\b");
        if (typed.isEmpty()) return false; // arrows, Home, End, F-keys: the widget / the dialog
        const char32_t ch = typed.toUcs4().value(0);
        if (MaskEditor::minusRefused(ch)) return true;
        if (g.BKEYCHAR) g.BKEYCHAR(int(ch), flags, g);
        g.copyIn();
        r = ed.typeChar(ch);
        key = int(ch);
    }
    g.copyOut();
    if (r.changed && g.BCHANGE) g.BCHANGE(key, flags, g);
    return true;
}

} // namespace velt
