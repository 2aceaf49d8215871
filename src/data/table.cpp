// The ordinary primitives on the current slot's table.
#include "data/tables.h"
#include "util/errors.h"

namespace velt::data {

namespace {

// "ALIAS->NAME" (blanks around the arrow allowed) or a plain field name.
WorkArea& fieldOwner(const std::string& name, std::string& field)
{
    size_t arrow = name.find("->");
    if (arrow == std::string::npos) {
        field = name;
        return area();
    }
    auto trim = [](std::string s) {
        size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    std::string alias = trim(name.substr(0, arrow));
    field = trim(name.substr(arrow + 2));
    if (alias == "FIELD" || alias == "field")
        return area();
    WorkArea* wa = areaAt(slotOfAlias(alias));
    if (!wa)
        throw reportError("Alias inesistente: " + alias, {}, "FIELDGET");
    return *wa;
}

int fieldPosOrFail(WorkArea& wa, const std::string& field, const char* op)
{
    int pos = wa.fieldPos(field);
    if (pos == 0)
        throw reportError("Campo inesistente: " + field, wa.path(), op);
    return pos;
}

} // namespace

void DBGOTOP() { area().goTop(); }
void DBGOBOTTOM() { area().goBottom(); }
long DBSKIP(long n) { return area().skip(n); }
void DBGOTO(uint32_t recno) { area().goTo(recno); }
bool DBEOF() { return area().eof(); }
bool DBBOF() { return area().bof(); }
uint32_t RECNO() { return area().recno(); }
uint32_t LASTREC() { return area().lastRec(); }
bool DBSEEK(const Value& key, bool soft, bool last) { return area().seek(key, soft, last); }
bool DBSEEKEXACT(const Value& key) { return area().seek(key, false, false, true); }
bool FOUND() { return area().found(); }
int FCOUNT() { return area().fieldCount(); }
int FIELDPOS(const std::string& name) { return area().fieldPos(name); }
std::string FIELDNAME(int pos) { return area().fieldInfo(pos).name; }

Value FIELDGET(const std::string& name)
{
    std::string field;
    WorkArea& wa = fieldOwner(name, field);
    return wa.get(fieldPosOrFail(wa, field, "FIELDGET"));
}

Value FIELDGET(int pos) { return area().get(pos); }

void FIELDPUT(const std::string& name, const Value& v)
{
    std::string field;
    WorkArea& wa = fieldOwner(name, field);
    wa.put(fieldPosOrFail(wa, field, "FIELDPUT"), v);
}

void FIELDPUT(int pos, const Value& v) { area().put(pos, v); }
bool DELETED() { return area().deleted(); }
void DBRECALL() { area().setDeleted(false); }

} // namespace velt::data
