#include "ui/syscolor.h"

#include "platform/marker.h"

#include <QGuiApplication>
#include <QPalette>

namespace velt {

QColor toQColor(int colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

int fromQColor(const QColor& colour) { return rgbColor(colour.red(), colour.green(), colour.blue()); }

int GETSYSCOLOR(int n)
{
    using namespace syscolor;
    QPalette::ColorGroup group = QPalette::Active;
    QPalette::ColorRole role = QPalette::Window;
    switch (n) {
    case SCROLLBAR: role = QPalette::Button; break;
    case BACKGROUND: role = QPalette::Dark; break;
    case ACTIVECAPTION: case HIGHLIGHT: case MENUHILIGHT: role = QPalette::Highlight; break;
    case MENU: case MENUBAR: role = QPalette::Window; break;
    case WINDOW: role = QPalette::Base; break;
    case WINDOWFRAME: case DKSHADOW3D: role = QPalette::Shadow; break;
    case MENUTEXT: role = QPalette::WindowText; break;
    case WINDOWTEXT: role = QPalette::Text; break;
    case CAPTIONTEXT: case HIGHLIGHTTEXT: role = QPalette::HighlightedText; break;
    case APPWORKSPACE: role = QPalette::Mid; break;
    case BTNFACE: role = QPalette::Button; break;
    case BTNSHADOW: role = QPalette::Dark; break;
    case GRAYTEXT: group = QPalette::Disabled; role = QPalette::Text; break;
    case BTNTEXT: role = QPalette::ButtonText; break;
    case BTNHIGHLIGHT: role = QPalette::Light; break;
    case LIGHT3D: role = QPalette::Midlight; break;
    case INFOTEXT: role = QPalette::ToolTipText; break;
    case INFOBK: role = QPalette::ToolTipBase; break;
    case HOTLIGHT: role = QPalette::Link; break;
    default: break;
    }
    return fromQColor(QGuiApplication::palette().color(group, role));
}

int GETSYSBGCOLOR(int n) { return platform::isSharedInstall() ? kWhite : GETSYSCOLOR(n); }

} // namespace velt
