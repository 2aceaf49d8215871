// Temporary views: a private index holding only the records that satisfy a
// condition, made active in place of the table's index.
#include "data/keyexpr.h"
#include "data/notify.h"
#include "data/tables.h"
#include "platform/fs.h"
#include "util/errors.h"

#include <map>

namespace velt::data {

namespace fs = platform::fs;

namespace {

// Per slot, the file of the index that was active before its view (empty:
// none was).
std::map<int, std::string>& activeBefore()
{
    static std::map<int, std::string> m;
    return m;
}

int viewOrder(WorkArea& wa)
{
    for (size_t i = 0; i < wa.orders().size(); ++i)
        if (wa.orders()[i].isView)
            return int(i) + 1;
    return 0;
}

struct Scope {
    Value top, bottom;
};

Scope noteScope(WorkArea& wa)
{
    Order* o = wa.active();
    return o ? Scope{o->topValue, o->bottomValue} : Scope{};
}

// A scope value fits an index when text meets a text key, or a number or a
// date meets a numeric one; a value that does not fit is not carried over.
bool fits(const Order& o, const Value& v)
{
    return o.cdx.keyType() == KeyType::Character ? v.isText() : (v.isNumber() || v.isDate());
}

void applyScope(WorkArea& wa, const Scope& s)
{
    Order* o = wa.active();
    if (!o)
        return;
    if (fits(*o, s.top)) {
        o->topValue = s.top;
        o->top = wa.keyBytes(*o, s.top);
    }
    if (fits(*o, s.bottom)) {
        o->bottomValue = s.bottom;
        o->bottom = wa.keyBytes(*o, s.bottom);
    }
}

// Opens the index files again in order. A file that cannot be opened is
// left out; the first such failure is returned for the caller to report.
std::exception_ptr reopen(WorkArea& wa, const std::vector<std::string>& paths)
{
    std::exception_ptr first;
    for (const auto& p : paths) {
        try {
            Order o;
            o.path = p;
            o.cdx = CdxIndex::open(p, wa.readOnly() ? Access::Read : Access::ReadWrite,
                                   wa.shared() ? Share::Shared : Share::Exclusive);
            o.keyer = IndexKeyer(o.cdx, wa.table().fields(), wa.alias());
            wa.addOrder(std::move(o));
        } catch (const VeltError&) {
            if (!first)
                first = std::current_exception();
        }
    }
    return first;
}

std::vector<std::string> ordinaryPaths(WorkArea& wa)
{
    std::vector<std::string> out;
    for (auto& o : wa.orders())
        if (!o.isView)
            out.push_back(o.path);
    return out;
}

void activate(WorkArea& wa, const std::string& path)
{
    int n = 0;
    for (size_t i = 0; i < wa.orders().size() && !path.empty(); ++i)
        if (wa.orders()[i].path == path)
            n = int(i) + 1;
    wa.setActiveOrder(n);
}

} // namespace

bool HASVIEW() { return viewOrder(area()) != 0; }

void DBSETVIEW(const ViewCondition& condition, const std::string& /*conditionText*/, const std::string& keyText)
{
    WorkArea& wa = area();
    if (viewOrder(wa))
        DBCLEARVIEW();
    const int slot = wa.slot();
    std::vector<std::string> others = ordinaryPaths(wa);
    Scope scope = noteScope(wa);
    Order* act = wa.active();
    std::string key = !keyText.empty() ? stripFieldPrefix(keyText)
                      : act            ? act->keyer.key().text()
                                       : std::string("RECNO()");
    WaitNotice wait;
    if (!notifier().currentWait())
        wait.show("Elaborazione in corso...");
    activeBefore()[slot] = act ? act->path : std::string();

    wa.closeOrders();
    KeyExpr expr = KeyExpr::compile(key, wa.table().fields(), wa.alias());
    IndexSpec def;
    def.keyExpr = expr.text();
    def.forExpr = "!DELETED()";
    def.type = expr.keyType();
    def.keyLength = expr.keyLength();
    KeyList keys(def.keyLength);
    std::string k(size_t(def.keyLength), '\0');
    wa.scan([&](uint32_t recno) {
        if (DbfTable::isDeleted(wa.buffer()) || !condition())
            return;
        expr.evalKey(wa.buffer(), recno, k.data());
        keys.add(k.data(), recno);
    });
    const std::string file = viewPath(slot);
    Order view;
    view.path = file;
    view.isView = true;
    view.viewCondition = condition;
    // Private to this process: no share lock, pages cached for its life.
    view.cdx = CdxIndex::build(file, def, Share::None, keys);
    view.keyer = IndexKeyer(std::move(expr), def.forExpr, wa.table().fields());

    std::exception_ptr failed = reopen(wa, others);
    wa.addOrder(std::move(view));
    wa.setActiveOrder(int(wa.orders().size()));
    applyScope(wa, scope);
    wait.end();
    wa.goTop();
    if (failed)
        std::rethrow_exception(failed);
}

void DBCLEARVIEW()
{
    WorkArea& wa = area();
    int v = viewOrder(wa);
    if (!v)
        return;
    const int slot = wa.slot();
    Scope scope = noteScope(wa);
    std::vector<std::string> others = ordinaryPaths(wa);
    std::string file = wa.orders()[size_t(v - 1)].path;
    wa.closeOrders();
    fs::removeFile(file);
    std::exception_ptr failed = reopen(wa, others);
    activate(wa, activeBefore()[slot]);
    activeBefore().erase(slot);
    applyScope(wa, scope);
    wa.goTop();
    // The table goes on without an index file it could not open again; the
    // failure is reported once, not retried.
    if (failed)
        std::rethrow_exception(failed);
}

} // namespace velt::data
