#pragma once
// GRADIENTFILL: a rectangle filled with stripes of linear gradients, as the
// browse header, the message bar and the button bar paint their backgrounds.
//
// The rectangle runs from (left, top) to (right, bottom), right and bottom
// excluded, as the system's rectangles do. It is cut from the top (from the
// left when `vertical` is false) into one stripe per band: a stripe is
// fraction x the rectangle's height (width) high (wide), truncated to whole
// pixels; the last band's stripe reaches the bottom (right) edge, and no
// stripe goes beyond it (bands that find no room left draw nothing). Each
// stripe runs from its first colour on its first pixel line to its second
// colour on its last, interpolated linearly in between.
#include <QPainter>

#include <vector>

namespace velt {

struct GradientBand {
    double fraction;
    int from; // colour integers (ui/syscolor.h)
    int to;
};

void GRADIENTFILL(QPainter& painter, int top, int left, int bottom, int right,
                  const std::vector<GradientBand>& bands, bool vertical = true);

} // namespace velt
