#pragma once
// TFONT: a font by face name and pixel height, and the dialog-unit metrics of
// a template font.
//
// The faces the templates and reports name are mapped once, process-wide, to
// the metric-compatible Liberation fonts: "MS Sans Serif", "Segoe UI" and
// "Arial" to Liberation Sans, "Courier New" to Liberation Mono
// (installFontSubstitutions, idempotent; the toolkit calls it when it creates
// its first window).
#include <string>

#include <QFont>

namespace velt {

void installFontSubstitutions();

// The toolkit's default face (GETSYSFONT).
std::string GETSYSFONT();

class TFONT {
public:
    TFONT() = default;
    // height in pixels (as the system's fonts are given: "Segoe UI", 12)
    TFONT(std::string face, int heightPx, bool bold = false, bool italic = false)
        : CFACENAME(std::move(face)), NHEIGHT(heightPx), LBOLD(bold), LITALIC(italic) {}
    // A template font, given in points: pixels at 96 dots per inch.
    static TFONT fromPoints(const std::string& face, int points);

    std::string CFACENAME = "Segoe UI";
    int NHEIGHT = 12;
    bool LBOLD = false;
    bool LITALIC = false;

    QFont qfont() const;
};

// Dialog base units of a font: horizontal = average character width (of the
// 52 letters, rounded) / 4 per unit, vertical = character height / 8.
struct DialogUnits {
    int baseX = 6;  // average character width in pixels
    int baseY = 13; // character height in pixels
    int x(int dlu) const; // horizontal dialog units to pixels (rounded)
    int y(int dlu) const; // vertical dialog units to pixels (rounded)
};
DialogUnits dialogUnits(const QFont& f);

} // namespace velt
