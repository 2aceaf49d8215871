// Index files of the current table: adding, building, listing, the active
// index, scopes, key counts and positions.
#include "data/keyexpr.h"
#include "data/tables.h"
#include "platform/fs.h"
#include "util/cp1252.h"
#include "util/errors.h"

#include <algorithm>

namespace velt::data {

namespace fs = platform::fs;

namespace {

Share indexShare(const WorkArea& wa) { return wa.shared() ? Share::Shared : Share::Exclusive; }
Access indexAccess(const WorkArea& wa) { return wa.readOnly() ? Access::Read : Access::ReadWrite; }

Order openOrder(WorkArea& wa, const std::string& path)
{
    Order o;
    o.path = path;
    o.cdx = CdxIndex::open(path, indexAccess(wa), indexShare(wa));
    o.keyer = IndexKeyer(o.cdx, wa.table().fields(), wa.alias());
    return o;
}

std::string orderName(const Order* o) { return o ? o->cdx.tagName() : std::string(); }

} // namespace

void ORDADD(const std::string& file)
{
    WorkArea& wa = area();
    wa.addOrder(openOrder(wa, indexPath(file)));
}

void ORDBUILD(const std::string& file, const std::string& keyText, bool unique)
{
    WorkArea& wa = area();
    std::string path = indexPath(file);
    // An index of this file open in the slot is replaced by the new one.
    for (size_t i = 0; i < wa.orders().size(); ++i) {
        if (wa.orders()[i].path == path) {
            std::vector<std::string> keep;
            int active = wa.activeOrder();
            std::string activePath = active ? wa.orders()[size_t(active - 1)].path : std::string();
            for (auto& o : wa.orders())
                if (o.path != path)
                    keep.push_back(o.path);
            wa.closeOrders();
            for (auto& p : keep)
                wa.addOrder(openOrder(wa, p));
            if (!activePath.empty() && activePath != path)
                for (size_t k = 0; k < wa.orders().size(); ++k)
                    if (wa.orders()[k].path == activePath)
                        wa.setActiveOrder(int(k) + 1);
            break;
        }
    }
    const std::string stored = stripFieldPrefix(keyText);
    const std::string forText = "!DELETED()";
    KeyExpr key = KeyExpr::compile(stored, wa.table().fields(), wa.alias());
    IndexSpec def;
    def.keyExpr = stored;
    def.forExpr = forText;
    def.type = key.keyType();
    def.keyLength = key.keyLength();
    def.unique = unique;
    IndexKeyer keyer(std::move(key), forText, wa.table().fields());
    KeyList keys(def.keyLength);
    keys.reserve(wa.lastRec());
    std::string k;
    wa.scan([&](uint32_t recno) {
        if (keyer.keyFor(wa.buffer(), recno, k))
            keys.add(k.data(), recno);
    });
    Order o;
    o.path = path;
    o.cdx = CdxIndex::build(path, def, indexShare(wa), keys);
    o.keyer = IndexKeyer(o.cdx, wa.table().fields(), wa.alias());
    wa.addOrder(std::move(o));
    wa.setActiveOrder(int(wa.orders().size()));
    wa.goTop();
}

std::vector<std::string> ORDLIST()
{
    std::vector<std::string> out;
    for (auto& o : area().orders())
        out.push_back(o.path);
    return out;
}

std::vector<std::string> ORDLIST(const std::string& leaveOut)
{
    std::string skip = indexPath(leaveOut);
    std::vector<std::string> out;
    for (auto& o : area().orders())
        if (o.path != skip)
            out.push_back(o.path);
    return out;
}

void ORDLIST(const std::vector<std::string>& files)
{
    for (const auto& f : files)
        ORDADD(f);
}

std::string ORDSETFOCUS(const std::string& name)
{
    WorkArea& wa = area();
    std::string was = orderName(wa.active());
    wa.setActiveOrder(name.empty() ? 0 : wa.orderByName(name));
    return was;
}

std::string ORDSETFOCUS(int n)
{
    WorkArea& wa = area();
    std::string was = orderName(wa.active());
    wa.setActiveOrder(n);
    return was;
}

std::string ORDNAME() { return orderName(area().active()); }

std::string ORDKEY()
{
    Order* o = area().active();
    return o ? o->cdx.keyExpression() : std::string();
}

void ORDSCOPE(int which, const Value& v)
{
    WorkArea& wa = area();
    Order* o = wa.active();
    if (!o)
        return;
    std::optional<std::string> bytes;
    if (!v.isNil())
        bytes = wa.keyBytes(*o, v);
    if (which == 0) {
        o->top = bytes;
        o->topValue = v;
    } else {
        o->bottom = bytes;
        o->bottomValue = v;
    }
}

Value ORDSCOPE(int which)
{
    Order* o = area().active();
    if (!o)
        return {};
    return which == 0 ? o->topValue : o->bottomValue;
}

uint64_t ORDKEYCOUNT() { return area().keyCount(); }
uint64_t ORDKEYNO() { return area().keyNo(); }
void ORDKEYGOTO(uint64_t n) { area().keyGoto(n); }

Value ORDKEYVAL()
{
    WorkArea& wa = area();
    Order* o = wa.active();
    if (!o || wa.eof())
        return {};
    std::string k = wa.currentKey();
    if (o->cdx.keyType() == KeyType::Numeric)
        return Value(decodeNumberKey(k.data()));
    return Value(cp1252ToUtf8(k));
}

uint64_t TOTREC()
{
    WorkArea& wa = area();
    if (wa.orders().empty())
        return wa.keyCount();
    Order& first = wa.orders().front();
    Order* act = wa.active();
    if (!act || act == &first)
        return wa.keyCount(first);
    // The active index's scope values, applied to the first index.
    std::optional<std::string> top, bottom;
    if (!act->topValue.isNil())
        top = wa.keyBytes(first, act->topValue);
    if (!act->bottomValue.isNil())
        bottom = wa.keyBytes(first, act->bottomValue);
    std::swap(first.top, top);
    std::swap(first.bottom, bottom);
    uint64_t n;
    try {
        n = wa.keyCount(first);
    } catch (...) {
        std::swap(first.top, top);
        std::swap(first.bottom, bottom);
        throw;
    }
    std::swap(first.top, top);
    std::swap(first.bottom, bottom);
    return n;
}

} // namespace velt::data
