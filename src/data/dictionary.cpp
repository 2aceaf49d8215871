#include "data/dictionary.h"

#include "data/keyexpr.h"

#include <algorithm>
#include <cctype>

namespace velt::data {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

TableSpec tipi(int level)
{
    std::string n = "TIPI" + std::to_string(level);
    return {n, {{"TIPO", 'C', 12, 0}}, {{n, "FIELD -> tipo"}}};
}

std::vector<TableSpec> makeCatalogue()
{
    std::vector<TableSpec> c;
    c.push_back({"ARTICOLI",
                 {{"CODNEG", 'C', 13, 0},
                  {"CODFOR", 'C', 13, 0},
                  {"DESCRIZIO", 'C', 40, 0},
                  {"MARCA", 'C', 25, 0},
                  {"PREACQ", 'N', 6, 2},
                  {"FORNITORE", 'C', 30, 0},
                  {"PREVEN", 'N', 6, 2},
                  {"SCORTA", 'N', 3, 0},
                  {"GIACENZA", 'N', 3, 0},
                  {"DATA", 'D', 8, 0},
                  {"TIPO1", 'C', 12, 0},
                  {"TIPO2", 'C', 12, 0},
                  {"TIPO3", 'C', 12, 0},
                  {"TIPO4", 'C', 12, 0},
                  {"TIPO5", 'C', 12, 0},
                  {"TIPO6", 'C', 12, 0}},
                 {{"DESCRIZ", "FIELD -> descrizio"}, {"CODNEG", "FIELD -> codneg"}, {"CODFOR", "FIELD -> codfor"}}});
    c.push_back({"FORNITOR", {{"FORNITORE", 'C', 30, 0}}, {{"FORNITOR", "FIELD -> fornitore"}}});
    for (int level = 1; level <= 6; ++level)
        c.push_back(tipi(level));
    c.push_back({"CARICO",
                 {{"DATA", 'D', 8, 0},
                  {"CODICE", 'C', 13, 0},
                  {"DESCRIZIO", 'C', 40, 0},
                  {"QUANTITA", 'N', 2, 0},
                  {"PREZZO", 'N', 6, 2}},
                 {{"CARICO", "FIELD -> data"}}});
    c.push_back({"SCARICO",
                 {{"SCARICO", 'N', 10, 0},
                  {"DATA", 'D', 8, 0},
                  {"CODICE", 'C', 13, 0},
                  {"DESCRIZIO", 'C', 40, 0},
                  {"QUANTITA", 'N', 2, 0},
                  {"SCONTO", 'N', 2, 0},
                  {"PREZZO", 'N', 6, 2},
                  {"TOTALE", 'N', 8, 2},
                  {"CONTANTI", 'L', 1, 0},
                  {"ACCONTO", 'C', 10, 0}},
                 {{"SCARICO", "FIELD -> data"}}});
    c.push_back({"VARIE",
                 {{"DATA", 'D', 8, 0},
                  {"FORNITORE", 'C', 30, 0},
                  {"IMPORTO", 'N', 9, 2},
                  {"SI", 'L', 1, 0},
                  {"NOTE", 'M', 10, 0}},
                 {{"VARIE", "FIELD -> data"}}});
    c.push_back({"ETICHETT",
                 {{"CODICE", 'C', 13, 0},
                  {"DESCRIZIO", 'C', 40, 0},
                  {"MARCA", 'C', 25, 0},
                  {"PREZZO", 'N', 6, 2},
                  {"BARRE", 'N', 3, 0}},
                 {{"ETICHETT", "FIELD -> descrizio"}}});
    return c;
}

} // namespace

std::string IndexFile::storedKey() const { return stripFieldPrefix(keyText); }

bool sameField(const FieldDef& a, const FieldDef& b)
{
    return sameName(a.name, b.name) && a.type == b.type && a.width == b.width && a.decimals == b.decimals;
}

bool TableSpec::hasMemo() const
{
    return std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return f.type == 'M'; });
}

const FieldDef* TableSpec::field(std::string_view n) const
{
    for (const auto& f : fields)
        if (sameName(f.name, n))
            return &f;
    return nullptr;
}

const std::vector<TableSpec>& catalogue()
{
    static const std::vector<TableSpec> c = makeCatalogue();
    return c;
}

const TableSpec& usersTable()
{
    static const TableSpec t{"USERS",
                             {{"USERID", 'C', 20, 0}, {"PASSWD", 'C', 20, 0}, {"LEVEL", 'N', 1, 0}},
                             {{"USERS", "FIELD -> userid"}}};
    return t;
}

const TableSpec& netTable()
{
    static const TableSpec t{"NET", {{"LOCK", 'C', 1, 0}}, {}};
    return t;
}

const TableSpec* findTable(std::string_view name)
{
    for (const auto& t : catalogue())
        if (sameName(t.name, name))
            return &t;
    if (sameName(name, usersTable().name))
        return &usersTable();
    if (sameName(name, netTable().name))
        return &netTable();
    return nullptr;
}

std::string viewFileName(int slot) { return std::string(1, kTempMark) + "VIEW" + std::to_string(slot) + ".NTX"; }

} // namespace velt::data
