// Font mapping and dialog-unit metrics.
#include "ui/font.h"

#include <QFontMetrics>

#include <cmath>

namespace velt {

void installFontSubstitutions()
{
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* face : {"MS Sans Serif", "Segoe UI", "Arial", "MS Shell Dlg", "MS Shell Dlg 2"})
        QFont::insertSubstitution(QString::fromLatin1(face), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
}

std::string GETSYSFONT() { return "Segoe UI"; }

TFONT TFONT::fromPoints(const std::string& face, int points)
{
    return TFONT(face, int(std::lround(points * 96.0 / 72.0)));
}

QFont TFONT::qfont() const
{
    installFontSubstitutions();
    QFont f(QString::fromStdString(CFACENAME));
    f.setPixelSize(NHEIGHT > 0 ? NHEIGHT : 12);
    f.setBold(LBOLD);
    f.setItalic(LITALIC);
    return f;
}

static int mulDiv(int a, int b, int c) { return int(std::lround(double(a) * b / c)); }

int DialogUnits::x(int dlu) const { return mulDiv(dlu, baseX, 4); }
int DialogUnits::y(int dlu) const { return mulDiv(dlu, baseY, 8); }

DialogUnits dialogUnits(const QFont& f)
{
    QFontMetrics fm(f);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    DialogUnits u;
    // Average of the 52 letters, rounded half up as the dialog manager does.
    u.baseX = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    u.baseY = fm.height();
    if (u.baseX < 1) u.baseX = 1;
    if (u.baseY < 1) u.baseY = 1;
    return u;
}

} // namespace velt
