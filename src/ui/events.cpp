#include "ui/events.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>
#include <vector>

namespace velt {

namespace {
// Holds back the requests to end the program (the application's quit, a
// close of the main window) that arrive while SYSREFRESH processes events,
// and lets them be made again afterwards.
class EndRequestFilter : public QObject {
public:
    bool quit = false;
    std::vector<QPointer<QWidget>> closes;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Quit && o == QCoreApplication::instance()) {
            quit = true;
            return true;
        }
        if (e->type() == QEvent::Close) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w->isWindow() && (qobject_cast<QMainWindow*>(w) || w->property("veltMainWindow").toBool())) {
                closes.emplace_back(w);
                e->ignore();
                return true;
            }
        }
        return false;
    }
};
} // namespace

void STOPUNTIL(const std::function<bool()>& condition)
{
    if (!QCoreApplication::instance()) {
        while (!condition()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    // A heartbeat, so a condition that changes without any window event
    // (another program's window appearing) is still seen.
    QTimer beat;
    beat.start(50);
    while (!condition()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
    }
}

bool SYSREFRESH()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return true;
    EndRequestFilter filter;
    app->installEventFilter(&filter);
    QCoreApplication::processEvents();
    app->removeEventFilter(&filter);
    for (auto& w : filter.closes)
        if (w) QMetaObject::invokeMethod(w.data(), "close", Qt::QueuedConnection);
    if (filter.quit) QMetaObject::invokeMethod(app, "quit", Qt::QueuedConnection);
    return !filter.quit && filter.closes.empty();
}

} // namespace velt
