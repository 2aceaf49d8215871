#pragma once
// The window registry: from native window handles (the QWidget behind HWND)
// to the window objects. Every window the toolkit creates is entered when its
// widget is made and removed when the widget goes; event dispatch and focus
// queries use it.
class QObject;
class QWidget;

namespace velt {

class TWINDOW;

void registerWindow(QWidget* hwnd, TWINDOW* w);
void unregisterWindow(QWidget* hwnd);
// The window object of a widget, or of its nearest registered ancestor
// (a control's inner widgets map to the control); nullptr when none.
TWINDOW* windowOf(const QObject* o);
// The object registered for exactly this widget, or nullptr.
TWINDOW* windowFromHandle(const QWidget* hwnd);

} // namespace velt
