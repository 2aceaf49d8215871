#include "ui/gradient.h"

#include "ui/syscolor.h"

#include <algorithm>

namespace velt {
namespace {
int lerp(int a, int b, int step, int steps) { return steps <= 0 ? a : a + (b - a) * step / steps; }

QColor mix(int from, int to, int step, int steps)
{
    QColor a = toQColor(from), b = toQColor(to);
    return QColor(lerp(a.red(), b.red(), step, steps), lerp(a.green(), b.green(), step, steps),
                  lerp(a.blue(), b.blue(), step, steps));
}
} // namespace

void GRADIENTFILL(QPainter& painter, int top, int left, int bottom, int right,
                  const std::vector<GradientBand>& bands, bool vertical)
{
    const int start = vertical ? top : left;
    const int end = vertical ? bottom : right;
    const int length = end - start;
    if (length <= 0 || right <= left || bottom <= top) return;
    int at = start;
    for (size_t i = 0; i < bands.size() && at < end; ++i) {
        const GradientBand& b = bands[i];
        const double f = b.fraction > 0 ? std::min(b.fraction, 1.0) : 0.0; // NaN too
        int stripe = i + 1 == bands.size() ? end - at : int(f * length);
        stripe = std::clamp(stripe, 0, end - at);
        for (int k = 0; k < stripe; ++k) {
            QColor c = mix(b.from, b.to, k, stripe - 1);
            if (vertical) painter.fillRect(left, at + k, right - left, 1, c);
            else painter.fillRect(at + k, top, 1, bottom - top, c);
        }
        at += stripe;
    }
}

} // namespace velt
