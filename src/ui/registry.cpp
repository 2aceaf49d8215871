// The window registry.
#include "ui/registry.h"

#include <QWidget>

#include <unordered_map>

namespace velt {

static std::unordered_map<const QWidget*, TWINDOW*>& table()
{
    static std::unordered_map<const QWidget*, TWINDOW*> t;
    return t;
}

void registerWindow(QWidget* hwnd, TWINDOW* w)
{
    if (hwnd) table()[hwnd] = w;
}

void unregisterWindow(QWidget* hwnd) { table().erase(hwnd); }

TWINDOW* windowFromHandle(const QWidget* hwnd)
{
    auto it = table().find(hwnd);
    return it == table().end() ? nullptr : it->second;
}

TWINDOW* windowOf(const QObject* o)
{
    for (; o; o = o->parent()) {
        if (!o->isWidgetType()) continue;
        if (TWINDOW* w = windowFromHandle(static_cast<const QWidget*>(o))) return w;
    }
    return nullptr;
}

} // namespace velt
