// The key handling of TGET: which typed characters a field takes, in the
// order the edit fields apply their rules. Masks with literals (dates) are
// typed as plain text here: their overwrite editing with the cursor skipping
// the literals belongs in this file too.
#include "ui/tget.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace velt {

namespace {

void changed(TGET& g, int key, int flags)
{
    if (g.BCHANGE) g.BCHANGE(key, flags, g);
}

} // namespace

bool TGET_EDITKEY(TGET& g, QKeyEvent& e)
{
    QLineEdit* ed = g.edit();
    if (!ed) return false;
    const Value v = g.VARGET();
    const Picture& pic = g.picture();
    const int flags = int(e.modifiers());
    const QString typed = e.text();

    // Keys without a character: Delete here, the rest to the native editor.
    if (typed.isEmpty() || e.key() == Qt::Key_Delete) {
        if (e.key() != Qt::Key_Delete) return false;
        if (g.LREADONLY) return true;
        QString before = ed->text();
        ed->del();
        if (ed->text() != before) changed(g, 0, flags);
        return true;
    }
    const QChar qc = typed.at(0);
    const int ch = qc.unicode();

    if (ch == '-' && !TGET::LMINUS) return true;
    if (g.BKEYCHAR) g.BKEYCHAR(ch, flags, g);

    if (e.modifiers() & Qt::ControlModifier) {
        const bool clipboardOk = v.isText() && !pic.hasLiterals() && !g.LREADONLY;
        switch (e.key()) {
        case Qt::Key_C: ed->copy(); return true;
        case Qt::Key_V: if (clipboardOk) { ed->paste(); changed(g, 0, 0); } return true;
        case Qt::Key_X: if (clipboardOk) { ed->cut(); changed(g, 0, 0); } return true;
        case Qt::Key_Z: if (!g.LREADONLY) { ed->undo(); changed(g, 0, 0); } return true;
        default: return true;
        }
    }
    if (g.LREADONLY) return true;
    if (ch == '\t' || ch == '\r' || ch == '\n' || ch == 27) return true;

    if (ch == '\b') {
        if (v.isNumber()) {
            if (ed->hasSelectedText()) ed->del(); else ed->backspace();
        } else {
            ed->backspace();
        }
        changed(g, ch, flags);
        return true;
    }

    QString in(qc);
    if (v.isNumber()) {
        QString saved = ed->text();
        if (ed->hasSelectedText()) ed->del();
        if (in == ".") in = ",";
        const QString text = ed->text();
        bool ok = true;
        if (in == ",") ok = !text.contains(',');
        else if (in == "-") ok = TGET::LMINUS && !text.contains('-') && ed->cursorPosition() == 0;
        else ok = qc.isDigit();
        if (!ok) {
            if (text != saved) changed(g, 0, flags); // the selection went
            return true;
        }
    } else if (v.isLogical()) {
        in = in.toUpper();
        if (in != "T" && in != "F") return true;
        ed->selectAll();
    } else {
        if (pic.upper()) in = in.toUpper();
        if (v.isDate()) {
            if (!qc.isDigit() && qc != '/') return true;
        } else if (pic.digitsOnly() || pic.maskAt(size_t(ed->cursorPosition())) == U'9') {
            if (!qc.isDigit()) return true;
        } else if (pic.maskAt(size_t(ed->cursorPosition())) == U'A' && !qc.isLetter()) {
            return true;
        }
    }
    QString before = ed->text();
    ed->insert(in);
    if (ed->text() != before) changed(g, ch, flags);
    return true;
}

} // namespace velt
