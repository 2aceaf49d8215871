// velt_demodata DIR: makes DIR a data directory VELT can start in: every
// table of the catalogue with its index files (through the table layer's
// own check, exactly as the program's start-up makes them), the system lock
// table and a new "VELT.CFG". An existing directory keeps its data: only
// what is missing is added. An empty article table is filled with a small
// Italian stationery and household shop (suppliers, types on three levels,
// about 300 articles with valid EAN-13 shop codes), always the same one.
// Exit code 0 on success; failures are printed.
#include "articles/ean13.h"
#include "data/createdb.h"
#include "data/notify.h"
#include "data/tables.h"
#include "shell/config/saveto.h"
#include "util/errors.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

using velt::Value;
namespace data = velt::data;

// A fixed-seed generator so every demo directory holds the same shop.
struct Lcg {
    uint32_t s = 20261201u;
    uint32_t next() { s = s * 1664525u + 1013904223u; return s >> 8; }
    uint32_t below(uint32_t n) { return next() % n; }
};

// Opens a catalogue table of the current directory with its index files.
void openWithIndexes(const std::string& name)
{
    const data::TableSpec* t = data::findTable(name);
    data::DBOPEN(true, std::filesystem::absolute(name).string(), name);
    for (const auto& ix : t->indexes) data::ORDADD(std::filesystem::absolute(ix.file).string());
}

// Appends one record: the fields given, committed and released.
void append(const std::vector<std::pair<const char*, Value>>& fields)
{
    data::DBAPP();
    for (const auto& [name, v] : fields) data::FIELDPUT(name, v);
    data::DBCOMMIT();
    data::DBUNLOCK();
}

void fillList(const std::string& table, const char* field, const std::vector<std::string>& values)
{
    data::TableGuard guard;
    openWithIndexes(table);
    if (data::LASTREC() == 0)
        for (const auto& v : values) append({{field, Value(v)}});
}

struct Kind {
    const char* descr;  // description stem
    const char* t1;     // types on three levels
    const char* t2;
    const char* t3;
    int minCents;       // purchase price range
    int maxCents;
};

void fillDemoShop()
{
    {
        data::TableGuard guard;
        openWithIndexes("ARTICOLI");
        if (data::LASTREC() != 0) return;
    }
    const std::vector<std::string> suppliers = {
        "CARTOLERIA ROSSI SRL", "FABRIANO DISTRIBUZIONE SPA", "GRUPPO BIANCHI SNC",
        "INGROSSO VERDI & C.", "CASALINGHI FERRARI SRL", "LOMBARDA UFFICIO SPA",
        "PLASTICHE ROMANO SRL", "COLOMBO FORNITURE SAS", "DETERSIVI RICCI SRL",
        "ESPOSITO CARTA SPA", "MARINO IMBALLAGGI SRL", "GALLO & FIGLI SNC",
        "CONTI CASA SRL", "DE LUCA SCUOLA SRL", "COSTA ELETTRICI SAS"};
    const std::vector<Kind> kinds = {
        {"QUADERNO A RIGHE A4", "CARTA", "QUADERNI", "RIGHE", 60, 180},
        {"QUADERNO A QUADRETTI A4", "CARTA", "QUADERNI", "QUADRETTI", 60, 180},
        {"BLOCCO NOTES A5", "CARTA", "BLOCCHI", "A5", 80, 250},
        {"RISMA CARTA A4 80G", "CARTA", "RISME", "A4", 250, 450},
        {"BUSTE BIANCHE 11X23 X25", "CARTA", "BUSTE", "COMMERCIALI", 90, 200},
        {"PENNA A SFERA BLU", "SCRITTURA", "PENNE", "SFERA", 20, 90},
        {"PENNA A SFERA NERA", "SCRITTURA", "PENNE", "SFERA", 20, 90},
        {"PENNA GEL ROSSA", "SCRITTURA", "PENNE", "GEL", 50, 150},
        {"MATITA HB", "SCRITTURA", "MATITE", "GRAFITE", 15, 60},
        {"EVIDENZIATORE GIALLO", "SCRITTURA", "MARCATORI", "EVIDENZ.", 40, 120},
        {"PENNARELLI COLORATI X12", "SCRITTURA", "MARCATORI", "COLORI", 150, 450},
        {"GOMMA BIANCA", "SCRITTURA", "ACCESSORI", "GOMME", 15, 60},
        {"TEMPERAMATITE DOPPIO", "SCRITTURA", "ACCESSORI", "TEMPERINI", 30, 120},
        {"COLLA STICK 20G", "UFFICIO", "COLLE", "STICK", 50, 150},
        {"NASTRO ADESIVO 19MM", "UFFICIO", "NASTRI", "ADESIVI", 40, 130},
        {"CUCITRICE DA TAVOLO", "UFFICIO", "CUCITRICI", "TAVOLO", 300, 900},
        {"PUNTI METALLICI 6/4", "UFFICIO", "CUCITRICI", "PUNTI", 30, 90},
        {"RACCOGLITORE AD ANELLI", "UFFICIO", "ARCHIVIO", "ANELLI", 120, 350},
        {"CARTELLINA CON ELASTICO", "UFFICIO", "ARCHIVIO", "CARTELLINE", 50, 150},
        {"FORBICI 21 CM", "UFFICIO", "TAGLIO", "FORBICI", 150, 450},
        {"DETERSIVO PIATTI 1L", "CASA", "PULIZIA", "PIATTI", 80, 200},
        {"SPUGNA ABRASIVA X3", "CASA", "PULIZIA", "SPUGNE", 40, 120},
        {"SACCHI SPAZZATURA 50L", "CASA", "PULIZIA", "SACCHI", 90, 250},
        {"CANOVACCIO COTONE", "CASA", "CUCINA", "TESSILI", 100, 300},
        {"PELLICOLA ALIMENTARE 30M", "CASA", "CUCINA", "PELLICOLE", 80, 220},
        {"CARTA ALLUMINIO 16M", "CASA", "CUCINA", "PELLICOLE", 90, 250},
        {"PILE STILO AA X4", "CASA", "ELETTRICO", "PILE", 150, 400},
        {"LAMPADINA LED E27", "CASA", "ELETTRICO", "LAMPADINE", 150, 500},
        {"CONTENITORE PLASTICA 1L", "CASA", "CUCINA", "CONTENITORI", 80, 250},
        {"CANDELA PROFUMATA", "CASA", "ARREDO", "CANDELE", 120, 400}};
    const char* brands[] = {"FABRIANO", "PIGNA", "BIC", "STAEDTLER", "GIOTTO", "PRITT",
                            "LEITZ", "FILA", "SCOTCH", "MAPED", "VILEDA", "PRESTO",
                            "DURACELL", "OSRAM", "SELECTA", "CUKI"};
    const char* variants[] = {"", " CONF.", " ECO", " MAXI", " MINI", " PLUS", " LINEA SCUOLA",
                              " TRASPARENTE", " ASSORTITO", " 2PZ"};

    std::vector<std::string> t1, t2, t3;
    auto addOnce = [](std::vector<std::string>& v, const std::string& s) {
        for (const auto& x : v)
            if (x == s) return;
        v.push_back(s);
    };
    for (const auto& k : kinds) {
        addOnce(t1, k.t1);
        addOnce(t2, k.t2);
        addOnce(t3, k.t3);
    }
    fillList("FORNITOR", "FORNITORE", suppliers);
    fillList("TIPI1", "TIPO", t1);
    fillList("TIPI2", "TIPO", t2);
    fillList("TIPI3", "TIPO", t3);

    Lcg rng;
    const velt::Date base = velt::Date::fromYMD(2026, 11, 30);
    data::TableGuard guard;
    openWithIndexes("ARTICOLI");
    const int count = 300;
    for (int i = 0; i < count; ++i) {
        const Kind& k = kinds[i % kinds.size()];
        std::string code;
        if (i % 50 == 7) {
            code = std::to_string(1000 + i);  // a short internal shop code
        } else {
            // Italian GS1 prefix 80, a made-up company and the article number.
            char head[13];
            std::snprintf(head, sizeof head, "80%05u%05d", unsigned(12000 + i % 37 * 211), 10000 + i);
            code = velt::articles::EAN13(head);
        }
        char codfor[14];
        std::snprintf(codfor, sizeof codfor, "F%c%05u", char('A' + rng.below(26)), unsigned(rng.below(100000)));
        int cost = k.minCents + int(rng.below(unsigned(k.maxCents - k.minCents + 1)));
        int sale = cost + cost * int(40 + rng.below(80)) / 100 + 1;  // always above the cost
        int scorta = int(rng.below(4)) * 5;
        int giacenza = (i % 9 == 0) ? int(rng.below(unsigned(scorta + 1))) / 2 : scorta + int(rng.below(60));
        std::string descr = std::string(k.descr) + variants[(i / kinds.size()) % std::size(variants)];
        append({{"CODNEG", Value(code)},
                {"CODFOR", Value(std::string(codfor))},
                {"DESCRIZIO", Value(descr.substr(0, 40))},
                {"MARCA", Value(brands[rng.below(std::size(brands))])},
                {"PREACQ", Value(cost / 100.0)},
                {"FORNITORE", Value(suppliers[rng.below(unsigned(suppliers.size()))])},
                {"PREVEN", Value(sale / 100.0)},
                {"SCORTA", Value(scorta)},
                {"GIACENZA", Value(giacenza)},
                {"DATA", Value(base.addDays(-int(rng.below(120))))},
                {"TIPO1", Value(k.t1)},
                {"TIPO2", Value(k.t2)},
                {"TIPO3", Value(k.t3)}});
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: velt_demodata CARTELLA\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    std::filesystem::current_path(argv[1], ec);
    if (ec) {
        std::fprintf(stderr, "velt_demodata: %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    auto* notes = new velt::data::RecordingNotifier();
    velt::data::setNotifier(std::unique_ptr<velt::data::Notifier>(notes));
    try {
        velt::MKCFG();
        bool ok = velt::data::AGGIORNADATABASE();
        velt::data::SCREATE();
        if (ok) fillDemoShop();
        for (const auto& m : notes->messages()) std::fprintf(stderr, "velt_demodata: %s\n", m.c_str());
        if (!ok) return 1;
    } catch (const velt::VeltError& e) {
        std::fprintf(stderr, "velt_demodata: %s %s\n", e.description().c_str(), e.file().c_str());
        return 1;
    } catch (const velt::Abandon&) {
        for (const auto& m : notes->messages()) std::fprintf(stderr, "velt_demodata: %s\n", m.c_str());
        return 1;
    }
    std::printf("Cartella dati dimostrativa pronta: %s\n", std::filesystem::current_path().c_str());
    return 0;
}
