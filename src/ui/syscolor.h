#pragma once
// System colours and the program's colour integers. A colour is an int with
// red in the lowest byte, green in the second and blue in the third (255 is
// pure red, 16777215 white), as the stored settings and the forms give them;
// QColor only where Qt draws.
//
// GETSYSCOLOR(n) answers the platform's colour for a Windows COLOR_* number,
// read from the application palette; GETSYSBGCOLOR(n) is the background the
// toolkit gives edit fields, combo boxes and browses: white on a shared
// installation (platform/marker.h), else GETSYSCOLOR(n).
#include <QColor>

namespace velt {

constexpr int rgbColor(int r, int g, int b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }
inline constexpr int kWhite = 16777215;

QColor toQColor(int colour);
int fromQColor(const QColor& colour);

// The COLOR_* numbers the toolkit uses, with the palette role each maps to.
namespace syscolor {
inline constexpr int SCROLLBAR = 0;      // Button
inline constexpr int BACKGROUND = 1;     // Dark (desktop)
inline constexpr int ACTIVECAPTION = 2;  // Highlight
inline constexpr int MENU = 4;           // Window
inline constexpr int WINDOW = 5;         // Base: edit fields, lists
inline constexpr int WINDOWFRAME = 6;    // Shadow
inline constexpr int MENUTEXT = 7;       // WindowText
inline constexpr int WINDOWTEXT = 8;     // Text
inline constexpr int CAPTIONTEXT = 9;    // HighlightedText
inline constexpr int APPWORKSPACE = 12;  // Mid
inline constexpr int HIGHLIGHT = 13;     // Highlight
inline constexpr int HIGHLIGHTTEXT = 14; // HighlightedText
inline constexpr int BTNFACE = 15;       // Button (dialog background)
inline constexpr int BTNSHADOW = 16;     // Dark
inline constexpr int GRAYTEXT = 17;      // Text of the disabled group
inline constexpr int BTNTEXT = 18;       // ButtonText
inline constexpr int BTNHIGHLIGHT = 20;  // Light
inline constexpr int DKSHADOW3D = 21;    // Shadow
inline constexpr int LIGHT3D = 22;       // Midlight
inline constexpr int INFOTEXT = 23;      // ToolTipText
inline constexpr int INFOBK = 24;        // ToolTipBase
inline constexpr int HOTLIGHT = 26;      // Link
inline constexpr int MENUHILIGHT = 29;   // Highlight
inline constexpr int MENUBAR = 30;       // Window
} // namespace syscolor

// The platform's colour n; a number not listed above gives the window colour
// (Window role).
int GETSYSCOLOR(int n);
int GETSYSBGCOLOR(int n = syscolor::WINDOW);

} // namespace velt
