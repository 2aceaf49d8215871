// STOPUNTIL and SYSREFRESH: waiting on a condition while events run, and
// holding back a request to end the program.
#include "ui/events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace velt;

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_events";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

} // namespace

TEST(StopUntil, RunsEventsUntilTheConditionHolds)
{
    app();
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    int asked = 0;
    STOPUNTIL([&] { ++asked; return fired; });
    EXPECT_TRUE(fired);
    EXPECT_GE(asked, 2);
    // true at once: asked once, nothing waited for
    asked = 0;
    STOPUNTIL([&] { ++asked; return true; });
    EXPECT_EQ(asked, 1);
}

TEST(StopUntil, SeesAConditionThatNoWindowEventAnnounces)
{
    app();
    std::atomic<bool> done{false};
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        done = true;
    });
    STOPUNTIL([&] { return done.load(); });
    t.join();
    EXPECT_TRUE(done);
}

TEST(SysRefresh, ProcessesEventsAndReturnsTrue)
{
    app();
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(SYSREFRESH());
    EXPECT_TRUE(ran);
}

TEST(SysRefresh, KeepsAQuitRequestPending)
{
    app();
    // A quit only means something inside the event loop.
    bool result = true;
    QTimer::singleShot(0, [&] {
        QMetaObject::invokeMethod(&app(), "quit", Qt::QueuedConnection);
        result = SYSREFRESH();
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(5); });
    safety.start(3000);
    EXPECT_EQ(QApplication::exec(), 0); // the quit, made again after SYSREFRESH
    EXPECT_FALSE(result);
}

TEST(SysRefresh, KeepsTheMainWindowOpenUntilAfterwards)
{
    app();
    QMainWindow w;
    w.show();
    QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection);
    EXPECT_FALSE(SYSREFRESH());
    EXPECT_TRUE(w.isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(w.isVisible()); // the request was made again
    EXPECT_TRUE(SYSREFRESH());
}
