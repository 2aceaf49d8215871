#pragma once
// Deterministic shop data for bench_tables: articles with unique 13-digit
// shop codes, and sale rows referring to them, dated over ten years.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velt::bench {

struct Article {
    std::string codneg, codfor, descrizio, marca, fornitore, data, tipo[6];
    double preacq, preven;
    int scorta, giacenza;
};

struct Sale {
    long scarico;
    std::string data, codice, descrizio, acconto;
    int quantita, sconto, contanti;
    double prezzo, totale;
};

struct Data {
    std::vector<Article> articles;
    std::vector<Sale> sales, appends;
    std::vector<std::string> exactCodes, prefixes;
};

struct OursResults {
    double load = 0, idxDescriz = 0, idxCodneg = 0, idxScarico = 0, seekExact = 0, seekPrefix = 0, scan = 0,
           view = 0, append = 0;
    long exactFound = 0, prefixFound = 0, scanRows = 0, viewRows = 0;
    uintmax_t tableBytes = 0, indexBytes = 0;
};

// The word the substring view looks for inside DESCRIZIO.
inline constexpr const char* kViewWord = "ROSSO";

// Smallest text greater than every text beginning with p (p is digits).
inline std::string prefixUpperBound(std::string p)
{
    p.back() = char(p.back() + 1);
    return p;
}

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint64_t next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return s_;
    }
    int below(int n) { return int(next() % uint64_t(n)); }

private:
    uint64_t s_;
};

inline std::string ymd(int y, int m, int d)
{
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", y, m, d);
    return b;
}

inline Data generate(int nArticles, int nSales)
{
    static const char* words[] = {"MAGLIA", "ROSSO",  "BLU",    "VERDE",  "GIALLO", "CAMICIA", "PANTALONE", "GONNA",
                                  "COTONE", "LANA",   "SETA",   "LINO",   "UOMO",   "DONNA",   "BAMBINO",   "TAGLIA",
                                  "GRANDE", "PICCOLO", "CLASSICO", "SPORT", "ESTIVO", "INVERNALE", "RIGHE",   "QUADRI",
                                  "FIORI",  "NERO",   "BIANCO", "GRIGIO", "SCARPA", "CALZE",   "BORSA",     "CINTURA"};
    const int nWords = int(sizeof words / sizeof *words);
    Rng rng(20261211);
    Data d;
    d.articles.reserve(nArticles);
    for (int i = 0; i < nArticles; ++i) {
        Article a;
        // A unique 12-digit body (an odd multiplier permutes the numbers below
        // 10^10), then an EAN-13 check digit.
        uint64_t body = (uint64_t(i) * 2654435761ull + 12345) % 10000000000ull;
        char b[16];
        std::snprintf(b, sizeof b, "80%010llu", (unsigned long long)body);
        int sum = 0;
        for (int k = 0; k < 12; ++k)
            sum += (b[k] - '0') * (k % 2 ? 3 : 1);
        a.codneg = std::string(b) + char('0' + (10 - sum % 10) % 10);
        std::snprintf(b, sizeof b, "F%08d", rng.below(100000000));
        a.codfor = b;
        std::string t;
        int n = 3 + rng.below(3);
        for (int k = 0; k < n; ++k) {
            std::string w = words[rng.below(nWords)];
            if (t.size() + w.size() + 1 > 36)
                break;
            t += (t.empty() ? "" : " ") + w;
        }
        a.descrizio = t + " " + std::to_string(rng.below(1000));
        a.marca = "MARCA " + std::to_string(rng.below(200));
        a.fornitore = "FORNITORE " + std::to_string(rng.below(100));
        a.preacq = double(100 + rng.below(50000)) / 100.0;
        a.preven = double(100 + rng.below(90000)) / 100.0;
        a.scorta = rng.below(20);
        a.giacenza = rng.below(999);
        a.data = ymd(2015 + rng.below(12), 1 + rng.below(12), 1 + rng.below(28));
        for (int k = 0; k < 6; ++k)
            a.tipo[k] = "TIPO" + std::to_string(k + 1) + "-" + std::to_string(rng.below(30));
        d.articles.push_back(std::move(a));
    }
    auto sale = [&](long receipt) {
        const Article& a = d.articles[rng.below(nArticles)];
        Sale s;
        s.scarico = receipt;
        s.data = ymd(2015 + rng.below(12), 1 + rng.below(12), 1 + rng.below(28));
        s.codice = a.codneg;
        s.descrizio = a.descrizio;
        s.quantita = 1 + rng.below(5);
        s.sconto = rng.below(4) == 0 ? 10 : 0;
        s.prezzo = a.preven;
        s.totale = double(long(a.preven * 100 * s.quantita * (100 - s.sconto) / 100 + 0.5)) / 100.0;
        s.contanti = rng.below(2);
        return s;
    };
    d.sales.reserve(nSales);
    for (int j = 0; j < nSales; ++j)
        d.sales.push_back(sale(j / 3 + 1));
    for (int j = 0; j < 10000; ++j)
        d.appends.push_back(sale(nSales / 3 + 2 + j));
    for (int k = 0; k < 100000 && nArticles > 0; ++k) {
        const std::string& c = d.articles[rng.below(nArticles)].codneg;
        // Every tenth exact seek asks for a code that is not there.
        d.exactCodes.push_back(k % 10 == 9 ? "79" + c.substr(2) : c);
        d.prefixes.push_back(c.substr(0, 7));
    }
    return d;
}

} // namespace velt::bench
