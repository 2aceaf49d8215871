// Maintenance, structure upgrade and backup on a shop-sized data directory:
// ARTICOLI with N articles (a tenth flagged deleted), SCARICO with 10 N sale
// rows. Prints the time of each step.
//
//   bench_maint [articles=50000] [workdir]
#include "data/backup.h"
#include "data/createdb.h"
#include "data/manutenz.h"
#include "data/tables.h"
#include "data/zip.h"
#include "platform/fs.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

using namespace velt;

static void timed(const char* what, const std::function<void()>& fn)
{
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%-44s %8.3f s\n", what, s);
}

static void fill(const std::string& table, int n, const std::function<void(int)>& row)
{
    data::DBOPEN(true, table, {}, false, false);
    for (int i = 0; i < n; ++i) {
        data::DBAPP();
        row(i);
        if (i % 10 == 9)
            data::DBDEL(false);
        data::DBUNLOCK();
    }
    data::DBCLOSE();
}

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 50000;
    const std::string dir = argc > 2 ? argv[2] : platform::fs::tempDirectory() + "/velt_bench_maint";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    if (::chdir(dir.c_str()) != 0)
        return 1;

    timed("table check, fresh directory", [] { data::AGGIORNADATABASE(); });
    timed("fill ARTICOLI and SCARICO", [&] {
        fill("ARTICOLI", n, [](int i) {
            data::FIELDPUT("CODNEG", Value(std::to_string(100000 + i)));
            data::FIELDPUT("DESCRIZIO", Value("Articolo " + std::to_string((i * 7919) % 100003)));
            data::FIELDPUT("PREVEN", Value(12.5));
        });
        fill("SCARICO", 10 * n, [](int i) {
            data::FIELDPUT("SCARICO", Value(i / 3));
            data::FIELDPUT("DATA", Value(Date::fromYMD(2020 + i % 6, 1 + i % 12, 1 + i % 28)));
            data::FIELDPUT("TOTALE", Value(9.99));
        });
    });
    timed("maintenance (pack + 14 indexes)", [] { data::MANUTENZIONE(false); });
    timed("maintenance again (nothing to remove)", [] { data::MANUTENZIONE(false); });
    timed("backup (zip of every table)", [&] { data::ZIP(dir + "/copia.zip", data::backupFiles()); });
    timed("restore (unzip)", [&] { data::UNZIP(dir + "/copia.zip"); });
    // An older ARTICOLI: PREVEN N 8,2 converted to N 6,2.
    data::Structure old = data::findTable("ARTICOLI")->fields;
    for (auto& f : old)
        if (f.name == "PREVEN")
            f.width = 8;
    timed("conversion of ARTICOLI (MODITAB)", [&] {
        data::MODITAB("ARTICOLI", old);
        data::MODITAB("ARTICOLI", data::findTable("ARTICOLI")->fields);
    });
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return 0;
}
