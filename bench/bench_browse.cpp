// Benchmark of the record browse over a small and a large table: open and
// first paint, page down x 100, go bottom, first-letter search. Only the
// visible rows are read, so the figures should not grow with the table.
//
//   bench_browse [large=1000000] [workdir]
#include "data/notify.h"
#include "data/tables.h"
#include "ui/dialog.h"
#include "ui/wbrowse.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace velt;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// NOMIn.DBF with n names of random initials, indexed by name.
void makeTable(const std::string& name, long n)
{
    data::DBGEN(name, {{"NOME", 'C', 20, 0}});
    data::DBOPEN(true, name, {}, false, false);
    uint64_t s = 88172645463325252ull;
    char buf[32];
    for (long i = 0; i < n; ++i) {
        s ^= s << 13; s ^= s >> 7; s ^= s << 17;
        std::snprintf(buf, sizeof buf, "%c%c%c %09ld", 'A' + int(s % 26), 'A' + int((s >> 8) % 26),
                      'A' + int((s >> 16) % 26), i);
        data::DBAPP();
        data::FIELDPUT(1, Value(std::string(buf)));
    }
    data::DBCOMMIT();
    data::DBUNLOCK();
    data::ORDBUILD(name, "FIELD -> nome");
    data::DBCLOSE();
}

struct Figures {
    double count = 0, open = 0, pageDown = 0, bottom = 0, seek = 0, thumb = 0;
    uint64_t lines = 0;
};

Figures measure(const std::string& name)
{
    Figures f;
    data::DBOPEN(true, name);
    data::ORDADD(name);
    data::ORDSETFOCUS(name);
    data::DBGOTOP();
    auto tc = Clock::now();
    (void)data::ORDKEYCOUNT();
    f.count = ms(tc, Clock::now());
    auto t0 = Clock::now();
    TDIALOG dlg({.width = 640, .height = 480});
    auto* b = TWBROWSE::REDEFINE(0, [](TWBROWSE&) { return std::vector<std::string>{data::FIELDGET(1).text()}; },
                                 dlg, {.headers = {"Nome"}});
    b->NTOP = 10; b->NLEFT = 10; b->NBOTTOM = 470; b->NRIGHT = 630;
    TDIALOG::setShownHook([&](TDIALOG& d) {
        b->HWND->repaint();
        f.open = ms(t0, Clock::now());
        auto t1 = Clock::now();
        for (int i = 0; i < 100; ++i) {
            b->PAGEDOWN();
            b->HWND->repaint();
        }
        b->GOTOP();
        auto t2 = Clock::now();
        b->GOBOTTOM();
        b->HWND->repaint();
        auto t3 = Clock::now();
        b->GOTOP();
        auto t4 = Clock::now();
        KEYSEEK(*b, 'M');
        b->HWND->repaint();
        auto t5 = Clock::now();
        b->THUMBPOS(int(b->logicalLength() / 2));
        b->HWND->repaint();
        f.thumb = ms(t5, Clock::now());
        f.pageDown = ms(t1, t2);
        f.bottom = ms(t2, t3);
        f.seek = ms(t4, t5);
        f.lines = b->lineCalls();
        d.forceEnd();
    });
    dlg.ACTIVATE();
    TDIALOG::setShownHook(nullptr);
    data::CLOSEALL();
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    long large = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::string dir = argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "velt_bench_browse").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    QApplication app(argc, argv);
    data::setNotifier(std::make_unique<data::RecordingNotifier>());

    for (long n : {100L, large}) {
        std::string name = "NOMI" + std::to_string(n);
        auto c0 = Clock::now();
        makeTable(name, n);
        double create = ms(c0, Clock::now());
        Figures f = measure(name);
        std::printf("%8ld records (made in %.0f ms): key count %.2f ms, open+paint %.2f ms, page down x100 %.2f ms, "
                    "go bottom %.2f ms, key seek %.2f ms, thumb to the middle %.2f ms, BLINE calls %llu\n",
                    n, create, f.count, f.open, f.pageDown, f.bottom, f.seek, f.thumb, (unsigned long long)f.lines);
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
