// Table layer against SQLite 3 on the shop's two big tables: ARTICOLI with
// 100,000 articles and SCARICO with 1,000,000 sale rows, the same data and
// the same indexes on both sides, in one run. Prints per line our time,
// SQLite's, the ratio (ours / SQLite's; below 1 means we are faster) and the
// file sizes.
//
//   bench_tables [articles=100000] [sales=1000000] [workdir]
//
// SQLite runs in WAL mode with synchronous=NORMAL: like our commit, a row is
// handed to the operating system at each commit, without a flush to the disk.
#include "bench_tables_data.h"
#include "data/tables.h"
#include "platform/fs.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace velt::bench;

namespace {

// Processor time of this process (user + system): the machines the bench
// runs on are shared, and wall-clock time there measures the neighbours.
// Everything both sides do is in-process work or page-cache I/O, which
// counts as system time; set VELT_BENCH_WALL=1 for wall-clock time.
double now()
{
    static const bool wall = std::getenv("VELT_BENCH_WALL") != nullptr;
    timespec ts{};
    clock_gettime(wall ? CLOCK_MONOTONIC : CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double seconds(const std::function<void()>& f)
{
    double t0 = now();
    f();
    return now() - t0;
}

struct Line {
    std::string what;
    double ours = 0, theirs = 0;
    long per = 0;  // operations, for a per-operation time
};

// ---------------------------------------------------------------- SQLite side
class Lite {
public:
    explicit Lite(const std::string& file)
    {
        fs::remove(file);
        fs::remove(file + "-wal");
        fs::remove(file + "-shm");
        if (sqlite3_open(file.c_str(), &db_) != SQLITE_OK)
            throw std::runtime_error("sqlite open");
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
    }
    ~Lite() { sqlite3_close(db_); }
    void exec(const char* sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
            std::string e = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(std::string(sql) + ": " + e);
        }
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sql) + ": " + sqlite3_errmsg(db_));
        return s;
    }
    sqlite3* db_ = nullptr;
};

void bindText(sqlite3_stmt* s, int i, const std::string& t) { sqlite3_bind_text(s, i, t.data(), int(t.size()), SQLITE_TRANSIENT); }

void stepDone(sqlite3_stmt* s)
{
    if (sqlite3_step(s) != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(s)));
    sqlite3_reset(s);
}

void liteInsertSale(sqlite3_stmt* ins, const Sale& r)
{
    sqlite3_bind_int64(ins, 1, r.scarico);
    bindText(ins, 2, r.data);
    bindText(ins, 3, r.codice);
    bindText(ins, 4, r.descrizio);
    sqlite3_bind_int(ins, 5, r.quantita);
    sqlite3_bind_int(ins, 6, r.sconto);
    sqlite3_bind_double(ins, 7, r.prezzo);
    sqlite3_bind_double(ins, 8, r.totale);
    sqlite3_bind_int(ins, 9, r.contanti);
    bindText(ins, 10, r.acconto);
    stepDone(ins);
}

struct LiteResults {
    double load = 0, idxDescriz = 0, idxCodneg = 0, idxScarico = 0, seekExact = 0, seekPrefix = 0, scan = 0,
           view = 0, append = 0;
    long exactFound = 0, prefixFound = 0, scanRows = 0, viewRows = 0;
    double scanSum = 0;
    uintmax_t bytes = 0;
};

LiteResults runLite(const std::string& dir, const Data& d)
{
    LiteResults r;
    std::string file = dir + "/bench.sqlite";
    Lite lite(file);
    lite.exec("CREATE TABLE articoli(codneg TEXT, codfor TEXT, descrizio TEXT, marca TEXT, preacq REAL, "
              "fornitore TEXT, preven REAL, scorta INTEGER, giacenza INTEGER, data TEXT, tipo1 TEXT, tipo2 TEXT, "
              "tipo3 TEXT, tipo4 TEXT, tipo5 TEXT, tipo6 TEXT)");
    lite.exec("CREATE TABLE scarico(scarico INTEGER, data TEXT, codice TEXT, descrizio TEXT, quantita INTEGER, "
              "sconto INTEGER, prezzo REAL, totale REAL, contanti INTEGER, acconto TEXT)");
    r.load = seconds([&] {
        lite.exec("BEGIN");
        sqlite3_stmt* ia = lite.prepare("INSERT INTO articoli VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (const auto& a : d.articles) {
            bindText(ia, 1, a.codneg);
            bindText(ia, 2, a.codfor);
            bindText(ia, 3, a.descrizio);
            bindText(ia, 4, a.marca);
            sqlite3_bind_double(ia, 5, a.preacq);
            bindText(ia, 6, a.fornitore);
            sqlite3_bind_double(ia, 7, a.preven);
            sqlite3_bind_int(ia, 8, a.scorta);
            sqlite3_bind_int(ia, 9, a.giacenza);
            bindText(ia, 10, a.data);
            for (int t = 0; t < 6; ++t)
                bindText(ia, 11 + t, a.tipo[t]);
            stepDone(ia);
        }
        sqlite3_finalize(ia);
        sqlite3_stmt* is = lite.prepare("INSERT INTO scarico VALUES(?,?,?,?,?,?,?,?,?,?)");
        for (const auto& s : d.sales)
            liteInsertSale(is, s);
        sqlite3_finalize(is);
        lite.exec("COMMIT");
    });
    r.idxDescriz = seconds([&] { lite.exec("CREATE INDEX descriz ON articoli(descrizio)"); });
    r.idxCodneg = seconds([&] { lite.exec("CREATE INDEX codneg ON articoli(codneg)"); });
    r.idxScarico = seconds([&] { lite.exec("CREATE INDEX scarico_data ON scarico(data)"); });

    r.seekExact = seconds([&] {
        sqlite3_stmt* s = lite.prepare("SELECT rowid FROM articoli WHERE codneg = ? LIMIT 1");
        for (const auto& code : d.exactCodes) {
            bindText(s, 1, code);
            if (sqlite3_step(s) == SQLITE_ROW)
                ++r.exactFound;
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
    });
    r.seekPrefix = seconds([&] {
        sqlite3_stmt* s =
            lite.prepare("SELECT rowid FROM articoli WHERE codneg >= ?1 AND codneg < ?2 ORDER BY codneg LIMIT 1");
        for (const auto& p : d.prefixes) {
            bindText(s, 1, p);
            bindText(s, 2, prefixUpperBound(p));
            if (sqlite3_step(s) == SQLITE_ROW)
                ++r.prefixFound;
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
    });
    r.scan = seconds([&] {
        sqlite3_stmt* s = lite.prepare("SELECT descrizio, preven FROM articoli ORDER BY descrizio");
        while (sqlite3_step(s) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(s, 0);
            r.scanSum += sqlite3_column_double(s, 1) + (t ? t[0] : 0);
            ++r.scanRows;
        }
        sqlite3_finalize(s);
    });
    r.view = seconds([&] {
        sqlite3_stmt* s =
            lite.prepare("SELECT rowid, descrizio FROM articoli WHERE instr(descrizio, ?1) > 0 ORDER BY descrizio");
        bindText(s, 1, kViewWord);
        while (sqlite3_step(s) == SQLITE_ROW) {
            sqlite3_column_text(s, 1);
            ++r.viewRows;
        }
        sqlite3_finalize(s);
    });
    r.append = seconds([&] {
        sqlite3_stmt* is = lite.prepare("INSERT INTO scarico VALUES(?,?,?,?,?,?,?,?,?,?)");
        for (const auto& s : d.appends)
            liteInsertSale(is, s);  // one transaction per row, as a till writes them
        sqlite3_finalize(is);
    });
    lite.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    r.bytes = fs::file_size(file);
    return r;
}

std::string mb(uintmax_t b)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", double(b) / 1e6);
    return buf;
}

void print(const std::vector<Line>& lines)
{
    std::printf("%-44s %12s %12s %8s\n", "operation", "VELT", "SQLite", "ratio");
    for (const auto& l : lines) {
        double ratio = l.theirs > 0 ? l.ours / l.theirs : 0;
        if (l.per > 0)
            std::printf("%-44s %9.3f us %9.3f us %8.2f\n", l.what.c_str(), 1e6 * l.ours / double(l.per),
                        1e6 * l.theirs / double(l.per), ratio);
        else
            std::printf("%-44s %10.3f s %10.3f s %8.2f\n", l.what.c_str(), l.ours, l.theirs, ratio);
    }
}

} // namespace

// ---------------------------------------------------------------- our side
namespace {

using namespace velt;
namespace vd = velt::data;

Date dateOf(const std::string& ymd) { return Date::fromDtos(ymd); }

void putSale(const int* pos, const Sale& r)
{
    vd::FIELDPUT(pos[0], double(r.scarico));
    vd::FIELDPUT(pos[1], dateOf(r.data));
    vd::FIELDPUT(pos[2], r.codice);
    vd::FIELDPUT(pos[3], r.descrizio);
    vd::FIELDPUT(pos[4], r.quantita);
    vd::FIELDPUT(pos[5], r.sconto);
    vd::FIELDPUT(pos[6], r.prezzo);
    vd::FIELDPUT(pos[7], r.totale);
    vd::FIELDPUT(pos[8], bool(r.contanti));
    vd::FIELDPUT(pos[9], r.acconto);
}

void salePositions(int* pos)
{
    const char* names[] = {"SCARICO", "DATA", "CODICE", "DESCRIZIO", "QUANTITA",
                           "SCONTO", "PREZZO", "TOTALE", "CONTANTI", "ACCONTO"};
    for (int i = 0; i < 10; ++i)
        pos[i] = vd::FIELDPOS(names[i]);
}

} // namespace

OursResults runOurs(const std::string& dir, const Data& d)
{
    OursResults r;
    fs::create_directories(dir);
    vd::setPrivateTempDir(dir + "/");
    const std::string art = dir + "/ARTICOLI", sca = dir + "/SCARICO";
    vd::DBGEN(art, vd::findTable("ARTICOLI")->fields);
    vd::DBGEN(sca, vd::findTable("SCARICO")->fields);

    // Loading and index builds run on exclusive opens, as maintenance does.
    r.load = seconds([&] {
        vd::DBOPEN(true, art, {}, false, false);
        int p[16];
        const char* names[] = {"CODNEG", "CODFOR", "DESCRIZIO", "MARCA", "PREACQ", "FORNITORE", "PREVEN", "SCORTA",
                               "GIACENZA", "DATA", "TIPO1", "TIPO2", "TIPO3", "TIPO4", "TIPO5", "TIPO6"};
        for (int i = 0; i < 16; ++i)
            p[i] = vd::FIELDPOS(names[i]);
        for (const auto& a : d.articles) {
            vd::DBAPP();
            vd::FIELDPUT(p[0], a.codneg);
            vd::FIELDPUT(p[1], a.codfor);
            vd::FIELDPUT(p[2], a.descrizio);
            vd::FIELDPUT(p[3], a.marca);
            vd::FIELDPUT(p[4], a.preacq);
            vd::FIELDPUT(p[5], a.fornitore);
            vd::FIELDPUT(p[6], a.preven);
            vd::FIELDPUT(p[7], a.scorta);
            vd::FIELDPUT(p[8], a.giacenza);
            vd::FIELDPUT(p[9], dateOf(a.data));
            for (int t = 0; t < 6; ++t)
                vd::FIELDPUT(p[10 + t], a.tipo[t]);
        }
        vd::DBCLOSE();
        vd::DBOPEN(true, sca, {}, false, false);
        int q[10];
        salePositions(q);
        for (const auto& s : d.sales) {
            vd::DBAPP();
            putSale(q, s);
        }
        vd::DBCLOSE();
    });
    vd::DBOPEN(true, art, {}, false, false);
    r.idxDescriz = seconds([&] { vd::ORDBUILD(dir + "/DESCRIZ", "FIELD -> descrizio"); });
    r.idxCodneg = seconds([&] { vd::ORDBUILD(dir + "/CODNEG", "FIELD -> codneg"); });
    vd::DBCLOSE();
    vd::DBOPEN(true, sca, {}, false, false);
    r.idxScarico = seconds([&] { vd::ORDBUILD(dir + "/SCARICO", "FIELD -> data"); });
    vd::DBCLOSE();

    // The rest as a command does it: tables opened shared.
    vd::DBOPEN(true, art, {}, true, false);
    vd::ORDADD(dir + "/DESCRIZ");
    vd::ORDADD(dir + "/CODNEG");
    vd::ORDSETFOCUS("CODNEG");
    r.seekExact = seconds([&] {
        for (const auto& code : d.exactCodes)
            r.exactFound += vd::DBSEEK(code);
    });
    r.seekPrefix = seconds([&] {
        for (const auto& p : d.prefixes)
            r.prefixFound += vd::DBSEEK(p);
    });
    vd::ORDSETFOCUS("DESCRIZ");
    int pDesc = vd::FIELDPOS("DESCRIZIO"), pPrev = vd::FIELDPOS("PREVEN");
    double sum = 0;
    r.scan = seconds([&] {
        vd::DBGOTOP();
        while (!vd::DBEOF()) {
            const std::string t = vd::FIELDGET(pDesc).text();
            sum += vd::FIELDGET(pPrev).number() + (t.empty() ? 0 : (unsigned char)t[0]);
            ++r.scanRows;
            vd::DBSKIP(1);
        }
    });
    r.view = seconds([&] {
        vd::DBSETVIEW([&] { return vd::FIELDGET(pDesc).text().find(kViewWord) != std::string::npos; },
                      "'ROSSO' $ DESCRIZIO");
        vd::DBGOTOP();
        while (!vd::DBEOF()) {
            vd::FIELDGET(pDesc);
            ++r.viewRows;
            vd::DBSKIP(1);
        }
    });
    vd::DBCLOSE();

    vd::DBOPEN(true, sca, {}, true, false);
    vd::ORDADD(dir + "/SCARICO");
    int q[10];
    salePositions(q);
    r.append = seconds([&] {
        for (const auto& s : d.appends) {
            vd::DBAPP();
            putSale(q, s);
            vd::DBCOMMIT();
            vd::DBUNLOCK();
        }
    });
    vd::CLOSEALL();
    for (const auto& n : velt::platform::fs::listDirectory(dir)) {
        uintmax_t b = fs::file_size(dir + "/" + n);
        (n.size() > 4 && n.compare(n.size() - 4, 4, ".NTX") == 0 ? r.indexBytes : r.tableBytes) += b;
    }
    return r;
}

int main(int argc, char** argv)
{
    int articles = argc > 1 ? std::atoi(argv[1]) : 100000;
    int sales = argc > 2 ? std::atoi(argv[2]) : 1000000;
    std::string dir = argc > 3 ? argv[3] : (fs::temp_directory_path() / ("velt_bench_" + std::to_string(getpid()))).string();
    fs::create_directories(dir);
    std::printf("generating %d articles, %d sale rows in %s\n", articles, sales, dir.c_str());
    Data d = generate(articles, sales);

    OursResults o = runOurs(dir + "/velt", d);
    LiteResults l = runLite(dir, d);

    if (o.exactFound != l.exactFound || o.prefixFound != l.prefixFound || o.scanRows != l.scanRows ||
        o.viewRows != l.viewRows)
        std::printf("MISMATCH: exact %ld/%ld prefix %ld/%ld scan %ld/%ld view %ld/%ld\n", o.exactFound, l.exactFound,
                    o.prefixFound, l.prefixFound, o.scanRows, l.scanRows, o.viewRows, l.viewRows);

    long nExact = long(d.exactCodes.size()), nPrefix = long(d.prefixes.size());
    std::vector<Line> lines = {
        {"load ARTICOLI + SCARICO (no index)", o.load, l.load},
        {"index build DESCRIZ (100k)", o.idxDescriz, l.idxDescriz},
        {"index build CODNEG (100k)", o.idxCodneg, l.idxCodneg},
        {"index build SCARICO by date (1M)", o.idxScarico, l.idxScarico},
        {"exact seek CODNEG, per seek", o.seekExact, l.seekExact, nExact},
        {"prefix seek CODNEG, per seek", o.seekPrefix, l.seekPrefix, nPrefix},
        {"full scan ARTICOLI in DESCRIZ order", o.scan, l.scan},
        {"substring view over DESCRIZIO + walk", o.view, l.view},
        {"append 10,000 SCARICO rows, index kept", o.append, l.append},
    };
    print(lines);
    std::printf("rows: exact %ld, prefix %ld, scan %ld, view %ld\n", o.exactFound, o.prefixFound, o.scanRows,
                o.viewRows);
    std::printf("files: VELT %s (tables %s, indexes %s), SQLite %s\n", mb(o.tableBytes + o.indexBytes).c_str(),
                mb(o.tableBytes).c_str(), mb(o.indexBytes).c_str(), mb(l.bytes).c_str());
    fs::remove_all(dir);
    return 0;
}
