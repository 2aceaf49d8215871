// The format layer alone, without slots or table locks: index builds over
// 100,000 text keys and 1,000,000 date keys, seeks, a full walk and single
// inserts, on an index opened shared (index lock + change counter per
// operation) and exclusive (no locks, cache kept); record appends and reads.
//
//   bench_formats [keys=100000] [dates=1000000] [workdir=$TMPDIR]
#include "data/cdx.h"
#include "data/dbf.h"
#include "platform/fs.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>

using namespace velt;
using namespace velt::data;

namespace {

double seconds(const std::function<void()>& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string randomText(std::mt19937& rng, int len)
{
    std::string s(size_t(len), ' ');
    int n = 8 + int(rng() % uint32_t(len - 8));
    for (int i = 0; i < n; ++i) s[size_t(i)] = char('A' + rng() % 26);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    size_t nKeys = argc > 1 ? size_t(std::atol(argv[1])) : 100000;
    size_t nDates = argc > 2 ? size_t(std::atol(argv[2])) : 1000000;
    std::string dir = argc > 3 ? argv[3] : platform::fs::tempDirectory() + "/velt_bench_formats_" + std::to_string(getpid());
    platform::fs::makeDirectories(dir);
    std::mt19937 rng(1);

    std::vector<std::string> texts;
    KeyList kl(40);
    kl.reserve(nKeys);
    for (size_t i = 0; i < nKeys; ++i) {
        texts.push_back(randomText(rng, 40));
        kl.add(texts.back().data(), uint32_t(i + 1));
    }
    std::string descriz = dir + "/DESCRIZ.NTX";
    double tBuild = seconds([&] { CdxIndex::build(descriz, {"descrizio", "!DELETED()", KeyType::Character, 40}, Share::Exclusive, kl); });

    KeyList dl(8);
    dl.reserve(nDates);
    char k8[8];
    for (size_t i = 0; i < nDates; ++i) {
        encodeNumberKey(double(2451545 + rng() % 3650), k8);
        dl.add(k8, uint32_t(i + 1));
    }
    std::string scarico = dir + "/SCARICO.NTX";
    double tBuildDates = seconds([&] { CdxIndex::build(scarico, {"data", "!DELETED()", KeyType::Numeric, 8}, Share::Exclusive, dl); });

    std::printf("%-48s %10s %10s\n", "operation", "shared", "exclusive");
    std::printf("%-48s %9.3f s\n", ("build " + std::to_string(nKeys) + " text keys (40)").c_str(), tBuild);
    std::printf("%-48s %9.3f s\n", ("build " + std::to_string(nDates) + " date keys").c_str(), tBuildDates);

    for (int pass = 0; pass < 1; ++pass) {
        double seek[2], walk[2], ins[2];
        size_t found = 0, walked = 0;
        for (int m = 0; m < 2; ++m) {
            CdxIndex ix = CdxIndex::open(descriz, Access::ReadWrite, m == 0 ? Share::Shared : Share::Exclusive);
            IndexCursor c;
            seek[m] = seconds([&] {
                for (size_t i = 0; i < nKeys; ++i) found += ix.seek(c, texts[(i * 7919) % nKeys]);
            });
            walk[m] = seconds([&] {
                for (bool on = ix.first(c); on; on = ix.next(c)) ++walked;
            });
            ins[m] = seconds([&] {
                for (int i = 0; i < 10000; ++i) ix.insert(randomText(rng, 40), uint32_t(nKeys + 1 + i));
            });
        }
        std::printf("%-48s %8.3f us %8.3f us\n", "seek a text key, per seek", seek[0] / double(nKeys) * 1e6,
                    seek[1] / double(nKeys) * 1e6);
        std::printf("%-48s %8.3f us %8.3f us\n", "walk in key order, per key", walk[0] / double(nKeys) * 1e6,
                    walk[1] / double(nKeys + 10000) * 1e6);
        std::printf("%-48s %8.3f us %8.3f us\n", "insert a key, per insert", ins[0] / 1e4 * 1e6, ins[1] / 1e4 * 1e6);
        std::printf("(found %zu, walked %zu)\n", found, walked);
    }

    // Records: appends through the header count, reads by number.
    DbfTable t = DbfTable::create(dir + "/SCARICO.DBF",
                                  {{"SCARICO", 'N', 10, 0}, {"DATA", 'D', 8, 0}, {"CODICE", 'C', 13, 0},
                                   {"DESCRIZIO", 'C', 40, 0}, {"QUANTITA", 'N', 2, 0}, {"PREZZO", 'N', 6, 2}},
                                  Share::Shared);
    std::string rec = t.blankRecord();
    const int nRec = 100000;
    double tApp = seconds([&] {
        for (int i = 0; i < nRec; ++i) {
            t.putValue(rec.data(), 0, double(i));
            t.putValue(rec.data(), 5, 12.34);
            t.appendRecord(rec.data());
        }
    });
    double sum = 0;
    double tRead = seconds([&] {
        for (uint32_t i = 1; i <= uint32_t(nRec); ++i) {
            t.readRecord(i, rec.data());
            sum += t.getValue(rec.data(), 5).number();
        }
    });
    std::printf("%-48s %8.3f us\n", "append a record (shared), per record", tApp / nRec * 1e6);
    std::printf("%-48s %8.3f us   (sum %.2f)\n", "read a record + one N field, per record", tRead / nRec * 1e6, sum);
    platform::fs::removeTree(dir);
    return 0;
}
